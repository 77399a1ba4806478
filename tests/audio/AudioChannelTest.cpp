// The platform's playback channels: the headless channel's duration from
// WAV headers and its play/stop/rewind states on the virtual clock, and the
// SDL channel on SDL's dummy audio driver (no sound card needed).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "media/AudioGain.h"
#include "platform/headless/HeadlessAudioChannel.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlAudioChannel.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

std::string Le32(uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
          static_cast<char>(v >> 24)};
}
std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string FmtChunk(uint32_t rate, uint16_t channels, uint16_t bytesPerSample) {
  const uint16_t block = static_cast<uint16_t>(channels * bytesPerSample);
  return "fmt " + Le32(16) + Le16(1) + Le16(channels) + Le32(rate) + Le32(rate * block) + Le16(block) +
         Le16(static_cast<uint16_t>(bytesPerSample * 8));
}

// A PCM WAV of the given length, with optional chunks before "data" and a
// declared data size that may differ from what is there.
std::string Wave(uint32_t dataBytes, uint32_t rate = 8000, std::string before = "",
                 int64_t declared = -1) {
  std::string body = "WAVE" + FmtChunk(rate, 1, 1) + before + "data" +
                     Le32(declared < 0 ? dataBytes : static_cast<uint32_t>(declared)) +
                     std::string(dataBytes, static_cast<char>(0x80));
  return "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
}

// The decoded length of a file as the headless channel times it, or -1 if
// the file does not open.
long HeadlessLength(const std::string& path) {
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform platform(options);
  THeadlessAudioChannel channel(TAudioKind::Sound, platform);
  return channel.Open(path) ? static_cast<long>(channel.DurationMs()) : -1;
}

TEST(HeadlessAudioChannel, DurationIsTheDecodedLength) {
  TTempDir dir;
  EXPECT_EQ(HeadlessLength(dir.Write("a.wav", Wave(8000))), 1000);
  EXPECT_EQ(HeadlessLength(dir.Write("b.wav", Wave(2000, 8000))), 250);
  // An odd-sized chunk before the data is skipped with its pad byte.
  const std::string list = "junk" + Le32(3) + "abc" + std::string(1, '\0');
  EXPECT_EQ(HeadlessLength(dir.Write("c.wav", Wave(4000, 8000, list))), 500);
  // A data size larger than the file counts only what the file holds.
  EXPECT_EQ(HeadlessLength(dir.Write("d.wav", Wave(800, 8000, "", 0xFFFFFFFF))), 100);
  // The byte rate field is not needed to decode.
  std::string noRate = Wave(8000);
  noRate.replace(28, 4, Le32(0));
  EXPECT_EQ(HeadlessLength(dir.Write("rate.wav", noRate)), 1000);
}

TEST(HeadlessAudioChannel, FilesWithoutSoundDoNotOpen) {
  TTempDir dir;
  EXPECT_EQ(HeadlessLength(dir.Write("a.ogg", "OggS and more bytes here")), -1);
  EXPECT_EQ(HeadlessLength(dir.Write("short.wav", "RIFF")), -1);
  EXPECT_EQ(HeadlessLength(dir.Write("empty.wav", "")), -1);
  const std::string noData = "RIFF" + Le32(28) + "WAVE" + FmtChunk(8000, 1, 1);
  EXPECT_EQ(HeadlessLength(dir.Write("nodata.wav", noData)), -1);
  EXPECT_EQ(HeadlessLength(dir.Write("zero.wav", Wave(0))), -1) << "a file with no samples is silent";
  EXPECT_EQ(HeadlessLength(dir.Path() + "/missing.wav"), -1);
}

TEST(HeadlessAudioChannel, PlaysOnTheVirtualClock) {
  TTempDir dir;
  const std::string path = dir.Write("a.wav", Wave(4000));  // 500 ms
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform platform(options);
  THeadlessAudioChannel channel(TAudioKind::Sound, platform);

  EXPECT_TRUE(channel.IsFinished()) << "a closed channel has nothing left to play";
  EXPECT_FALSE(channel.SetVolume(-100)) << "no level without a file";
  EXPECT_FALSE(channel.Open(dir.Path() + "/missing.wav"));
  EXPECT_FALSE(channel.Open(dir.Path())) << "a directory is not a file";
  ASSERT_TRUE(channel.Open(path));
  EXPECT_EQ(channel.DurationMs(), 500u);
  EXPECT_FALSE(channel.IsFinished()) << "opened but not started";

  channel.Play();
  platform.AdvanceClock(499);
  EXPECT_FALSE(channel.IsFinished());
  platform.AdvanceClock(1);
  EXPECT_TRUE(channel.IsFinished());
  channel.Play();  // already playing, at its end: stays there
  EXPECT_TRUE(channel.IsFinished());
  channel.Rewind();  // from the start again
  EXPECT_FALSE(channel.IsFinished());
  platform.AdvanceClock(500);
  EXPECT_TRUE(channel.IsFinished());
  channel.Stop();
  EXPECT_FALSE(channel.IsFinished()) << "a stopped channel is not finished";
  platform.AdvanceClock(1000);
  channel.Play();
  EXPECT_FALSE(channel.IsFinished()) << "play after stop starts at the beginning";

  EXPECT_TRUE(channel.SetVolume(-10000));
  EXPECT_FALSE(channel.SetVolume(1));
  EXPECT_FALSE(channel.SetVolume(-10001));
  EXPECT_EQ(channel.Level(), -10000);
  channel.Close();
  EXPECT_TRUE(channel.IsFinished());
}

TEST(SdlAudioChannel, VolumeLevelsBecomeLinearGains) {
  EXPECT_DOUBLE_EQ(AudioLevelGain(0), 1.0);
  EXPECT_NEAR(AudioLevelGain(-600), 0.501, 0.001);  // −6 dB: half the amplitude
  EXPECT_DOUBLE_EQ(AudioLevelGain(-2000), 0.1);      // −20 dB: a tenth
  EXPECT_NEAR(AudioLevelGain(-5000), 0.00316, 0.00001) << "−50 dB is quiet, not silent";
  EXPECT_DOUBLE_EQ(AudioLevelGain(-10000), 0.00001);
  EXPECT_DOUBLE_EQ(AudioLevelGain(500), 1.0);
  EXPECT_DOUBLE_EQ(AudioLevelGain(-20000), 0.00001);
}

// Waits (real time) until the channel reports its end; false after limitMs.
bool FinishesWithin(TSdlAudioChannel& channel, int limitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (std::chrono::steady_clock::now() < end) {
    if (channel.IsFinished()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SdlAudioChannel, PlaysMusicAndSoundOnTheDummyDevice) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TTempDir dir;
  const std::string path = dir.Write("tone.wav", Wave(1600, 8000));  // 200 ms
  TSdlAudioChannel music(TAudioKind::Music);
  TSdlAudioChannel sound(TAudioKind::Sound);

  EXPECT_TRUE(sound.IsFinished());
  EXPECT_FALSE(sound.Open(dir.Path() + "/missing.wav"));
  EXPECT_FALSE(sound.IsOpen());
  EXPECT_FALSE(music.Open(dir.Write("junk.wav", "not audio at all")));

  ASSERT_TRUE(sound.Open(path));
  ASSERT_TRUE(music.Open(path));
  EXPECT_TRUE(sound.SetVolume(-5000));
  EXPECT_FALSE(sound.SetVolume(100));
  EXPECT_FALSE(sound.IsFinished());
  EXPECT_FALSE(music.IsFinished());

  sound.Play();
  music.Play();
  EXPECT_FALSE(sound.IsFinished());
  EXPECT_TRUE(FinishesWithin(sound, 5000));
  EXPECT_TRUE(FinishesWithin(music, 5000));
  music.Rewind();
  EXPECT_FALSE(music.IsFinished()) << "a rewound track plays again";
  music.Stop();
  EXPECT_FALSE(music.IsFinished());
  sound.Close();
  EXPECT_TRUE(sound.IsFinished());
}

}  // namespace
}  // namespace pelto5::test
