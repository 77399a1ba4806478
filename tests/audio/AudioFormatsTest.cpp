// Every sound format the player takes, through the real decoding path: the
// shared decoding layer (FFmpeg and the MIDI synthesizer), the headless
// channel's timing and the SDL channel on SDL's dummy audio driver. The
// files are made at build time (ffmpeg's tone generator and encoders, see
// sounds.txt) and by the test (MIDI written byte by byte).
#include <gtest/gtest.h>

#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/SoundFiles.h"
#include "audio/TrackerModules.h"
#include "media/AudioFileOpener.h"
#include "media/AudioGain.h"
#include "media/AudioStream.h"
#include "media/MidiFile.h"
#include "media/MidiSynth.h"
#include "media/SoundFontLocator.h"
#include "platform/headless/HeadlessAudioChannel.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlAudioChannel.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

// The small GM font when it is installed, so the tests do not load a large
// one; without it the usual search applies.
void PreferSmallSoundFont() { setenv("SDL_SOUNDFONTS", "/usr/share/sounds/sf2/TimGM6mb.sf2", 1); }

class AudioFormats : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    FDir = new TTempDir();
    std::string failed;
    FMade = MakeToneFiles(FDir->Path(), failed);
    if (!FMade) FFailed = failed;
    FDir->Write("tone.mid", OneSecondMidi());
    FDir->Write("tone.rmi", RmidFile(OneSecondMidi()));
    PreferSmallSoundFont();
  }
  static void TearDownTestSuite() {
    delete FDir;
    FDir = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(FMade) << "could not make the test sounds: " << FFailed; }

  static std::string PathOf(const std::string& name) { return FDir->Path() + "/" + name; }
  // Every test file: the tones and the two MIDI files.
  static std::vector<std::string> AllNames() {
    std::vector<std::string> names;
    for (const TToneFile& f : ToneFiles()) names.push_back(f.Name);
    names.push_back("tone.mid");
    names.push_back("tone.rmi");
    return names;
  }

  static TTempDir* FDir;
  static bool FMade;
  static std::string FFailed;
};

TTempDir* AudioFormats::FDir = nullptr;
bool AudioFormats::FMade = false;
std::string AudioFormats::FFailed;

// Reads a decoder to its end.
std::vector<int16_t> ReadAll(TAudioDecoder& decoder) {
  std::vector<int16_t> samples;
  std::vector<int16_t> block(4096 * kPcmChannels);
  while (size_t n = decoder.Read(block.data(), 4096)) samples.insert(samples.end(), block.begin(), block.begin() + n * kPcmChannels);
  return samples;
}

TEST_F(AudioFormats, EveryFormatDecodesToItsToneAndLength) {
  for (const TToneFile& f : ToneFiles()) {
    SCOPED_TRACE(f.Name);
    TAudioOpenResult opened = TAudioFileOpener::Open(PathOf(f.Name), TAudioUse::Play);
    ASSERT_TRUE(opened.Decoder) << opened.Reason;
    const std::vector<int16_t> samples = ReadAll(*opened.Decoder);
    const double playedMs = samples.size() / 2 * 1000.0 / kPcmRate;
    // Block codecs round up to whole blocks; MP3 and WMA add a little.
    EXPECT_NEAR(playedMs, 1000, 60);
    EXPECT_NEAR(opened.Decoder->LengthMs(), playedMs, 2) << "the timed length is the played length";
    EXPECT_NEAR(Peak(samples), 24576, 24576 * 0.12) << "three quarters of full scale";
    EXPECT_NEAR(ToneFrequency(samples), 440, 440 * 0.02);
    // Both sides carry the tone (mono is spread, not put on one side).
    std::vector<int16_t> right;
    for (size_t i = 1; i < samples.size(); i += 2) right.push_back(samples[i]);
    EXPECT_GT(Peak(right), 20000);

    // Rewinding plays the same sound again.
    ASSERT_TRUE(opened.Decoder->Rewind());
    EXPECT_EQ(ReadAll(*opened.Decoder).size(), samples.size());
  }
}

TEST_F(AudioFormats, MidiAndRmidPlayThroughTheSynthesizer) {
#ifdef _WIN32
  GTEST_SKIP() << "MIDI plays on the system's synthesizer on Windows; the build has no FluidSynth nor sound fonts";
#else
  ASSERT_FALSE(TSoundFontLocator::Find().empty()) << "no General MIDI sound font installed";
  for (const std::string name : {"tone.mid", "tone.rmi"}) {
    SCOPED_TRACE(name);
    TAudioOpenResult opened = TAudioFileOpener::Open(PathOf(name), TAudioUse::Play);
    ASSERT_TRUE(opened.Decoder) << opened.Reason;
    EXPECT_EQ(opened.DecoderName, "midi");
    EXPECT_EQ(opened.Decoder->LengthMs(), 1000u) << "the tempo change halves the second half";
    const std::vector<int16_t> samples = ReadAll(*opened.Decoder);
    EXPECT_EQ(samples.size(), 44100u * 2);
    EXPECT_GT(Peak(samples), 2000) << "the note sounds";
    EXPECT_NEAR(ToneFrequency(std::vector<int16_t>(samples.begin() + 8820, samples.begin() + 44100)), 440, 25);
  }
#endif
}

TEST_F(AudioFormats, AMidiSynthesizerIsKeptForTheNextFile) {
#ifdef _WIN32
  GTEST_SKIP() << "MIDI plays on the system's synthesizer on Windows; the build has no FluidSynth nor sound fonts";
#else
  const std::string font = TSoundFontLocator::Find();
  ASSERT_FALSE(font.empty());
  std::string reason;
  std::unique_ptr<TMidiSynth> first = TMidiSynth::Acquire(font, reason);
  ASSERT_TRUE(first) << reason;
  const fluid_synth_t* handle = first->Handle();
  TMidiSynth::Release(std::move(first));
  const auto start = std::chrono::steady_clock::now();
  TAudioOpenResult opened = TAudioFileOpener::Open(PathOf("tone.mid"), TAudioUse::Play);
  ASSERT_TRUE(opened.Decoder) << opened.Reason;
  std::vector<int16_t> block(1024 * kPcmChannels);
  EXPECT_EQ(opened.Decoder->Read(block.data(), 1024), 1024u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "no font loaded again";
  std::unique_ptr<TMidiSynth> second = TMidiSynth::Acquire(font, reason);
  ASSERT_TRUE(second);
  EXPECT_NE(second->Handle(), handle) << "the kept synthesizer is in use by the open file";
  opened.Decoder.reset();
  std::unique_ptr<TMidiSynth> third = TMidiSynth::Acquire(font, reason);
  EXPECT_EQ(third->Handle(), handle) << "closing the file gave its synthesizer back";
  TMidiSynth::Release(std::move(second));
  TMidiSynth::Release(std::move(third));
#endif
}

// libopenmpt fades the sound out over this long once a song has ended.
constexpr uint32_t kModuleFadeMs = 100;

TEST(TrackerModules, EachFormatPlaysItsNoteForItsRowsAndTheFadeOut) {
  TTempDir dir;
  for (const TTrackerModule& module : TrackerModules()) {
    SCOPED_TRACE(module.Name);
    TAudioOpenResult opened = TAudioFileOpener::Open(dir.Write(module.Name, module.Bytes), TAudioUse::Play);
    ASSERT_TRUE(opened.Decoder) << opened.Reason;
    EXPECT_EQ(opened.Decoder->LengthMs(), module.LengthMs() + kModuleFadeMs);
    const std::vector<int16_t> samples = ReadAll(*opened.Decoder);
    EXPECT_NEAR(samples.size() / 2 * 1000.0 / kPcmRate, module.LengthMs() + kModuleFadeMs, 1);
    // The note sounds until the song ends, then fades away.
    const size_t end = static_cast<size_t>(module.LengthMs()) * kPcmRate / 1000 * 2;
    ASSERT_LT(end, samples.size());
    const std::vector<int16_t> song(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(end));
    EXPECT_GT(Peak(song, song.size() / 2), 2000);
    EXPECT_NEAR(ToneFrequency(song), module.ToneHz, module.ToneHz * 0.01);
    EXPECT_LT(Peak(samples, samples.size() - 200), Peak(song) / 4);

    ASSERT_TRUE(opened.Decoder->Rewind());
    EXPECT_EQ(ReadAll(*opened.Decoder), samples) << "rewinding plays the same sound again";
  }
  // A module cut short, or its header alone, does not open.
  const TTrackerModule it = ImpulseTrackerModule();
  EXPECT_FALSE(TAudioFileOpener::Open(dir.Write("cut.it", it.Bytes.substr(0, 100)), TAudioUse::Check).Decoder);
  EXPECT_FALSE(TAudioFileOpener::Open(dir.Write("cut.s3m", ScreamTrackerModule().Bytes.substr(0, 60)),
                                      TAudioUse::Check).Decoder);
}

TEST(MidiFile, ReadsTempoMapsRunningStatusAndRefusesDamage) {
  TMidiFile midi;
  TResult read = midi.Parse(OneSecondMidi());
  ASSERT_TRUE(read) << read.Reason();
  EXPECT_EQ(midi.LengthMs(), 1000u);
  ASSERT_EQ(midi.Events().size(), 3u);
  EXPECT_EQ(midi.Events()[1].Frame, 0u);
  EXPECT_EQ(midi.Events()[2].Frame, 44100u) << "note off after the 0.5 s + 0.5 s";

  // Running status: the second note-on has no status byte.
  read = midi.Parse(MidiFile(std::string("\x00\x90\x3C\x40\x83\x60\x3C\x00", 8)));
  ASSERT_TRUE(read) << read.Reason();
  ASSERT_EQ(midi.Events().size(), 2u);
  EXPECT_EQ(midi.Events()[1].Status, 0x90);
  EXPECT_EQ(midi.LengthMs(), 500u) << "480 ticks at the default 120 bpm";

  // SMPTE time: 25 frames of 40 ticks per second, 500 ticks = 0.5 s.
  std::string smpte = MidiFile(std::string("\x00\x90\x3C\x40\x83\x74\x80\x3C\x00", 9));
  smpte[12] = static_cast<char>(-25);
  smpte[13] = 40;
  read = midi.Parse(smpte);
  ASSERT_TRUE(read) << read.Reason();
  EXPECT_EQ(midi.LengthMs(), 500u);

  const std::string good = OneSecondMidi();
  read = midi.Parse(good.substr(0, good.size() - 6));
  EXPECT_FALSE(read);
  EXPECT_NE(read.Reason().find("truncated"), std::string::npos) << read.Reason();
  EXPECT_FALSE(midi.Parse(MidiFile(std::string("\x00\x3C\x40", 3)))) << "data without a status";
  EXPECT_FALSE(midi.Parse(MidiFile(std::string("\x00\xFF\x51\x7F\x00", 5)))) << "meta longer than its track";
  EXPECT_FALSE(midi.Parse(MidiFile(""))) << "nothing to play";
  // A damaged time (the longest delta at the slowest tempo) would make a
  // waited sound hold the script for days.
  read = midi.Parse(MidiFile(std::string("\x00\xFF\x51\x03\xFF\xFF\xFF\xFF\xFF\xFF\x7F\x90\x3C\x40", 14)));
  EXPECT_FALSE(read);
  EXPECT_NE(read.Reason().find("three hours"), std::string::npos) << read.Reason();
  EXPECT_FALSE(midi.Parse("MThd"));
  EXPECT_FALSE(midi.Parse(RmidFile("").substr(0, 12))) << "RMID without data";
}

// The headless channel's verdict on a file: its length, or -1 if it does not open.
long HeadlessLength(const std::string& path) {
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform platform(options);
  THeadlessAudioChannel channel(TAudioKind::Music, platform);
  return channel.Open(path) ? static_cast<long>(channel.DurationMs()) : -1;
}

// Damaged copies of the good files, each of which must not open.
std::vector<std::string> MakeDamagedFiles(const TTempDir& dir, const std::string& from) {
  const std::string mp3 = ReadFileText(from + "/tone.mp3");
  const std::string wav = ReadFileText(from + "/msadpcm.wav");
  const std::string wma = ReadFileText(from + "/tone.wma");
  const std::string ogg = ReadFileText(from + "/tone.ogg");
  std::string garbageAdpcm = wav;
  for (size_t i = 60; i < garbageAdpcm.size(); ++i) garbageAdpcm[i] = static_cast<char>(i * 7919 >> 3);
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise += static_cast<char>((i * 2654435761u) >> 24);
  return {
      dir.Write("cut.mp3", mp3.substr(0, 100)),
      dir.Write("header.wav", wav.substr(0, 30)),
      dir.Write("cut.wma", wma.substr(0, 300)),
      dir.Write("cut.ogg", ogg.substr(0, 60)),
      dir.Write("noise.wma", noise),
      dir.Write("noise.mid", "MThd" + noise),
      dir.Write("cut.mid", OneSecondMidi().substr(0, 30)),
      dir.Write("text.mp3", "ID3 this is not a sound at all\n"),
      dir.Write("picture.wav", ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/runtime-library/_keywait_char.png")),
  };
}

TEST_F(AudioFormats, DamagedFilesDoNotOpenAndSayWhy) {
  TTempDir dir;
  for (const std::string& path : MakeDamagedFiles(dir, FDir->Path())) {
    SCOPED_TRACE(path);
    const TAudioOpenResult opened = TAudioFileOpener::Open(path, TAudioUse::Check);
    EXPECT_FALSE(opened.Decoder);
    EXPECT_FALSE(opened.Reason.empty());
    EXPECT_EQ(HeadlessLength(path), -1);
  }
  // A file cut in the middle plays what is there.
  const std::string mp3 = ReadFileText(PathOf("tone.mp3"));
  const long half = HeadlessLength(dir.Write("half.mp3", mp3.substr(0, mp3.size() / 2)));
  EXPECT_GT(half, 350);
  EXPECT_LT(half, 650);
}

TEST_F(AudioFormats, HeadlessAndSdlAgreeOnWhatOpens) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TTempDir dir;
  std::vector<std::string> paths;
  for (const std::string& name : AllNames()) paths.push_back(PathOf(name));
  for (const std::string& path : MakeDamagedFiles(dir, FDir->Path())) paths.push_back(path);
  TSdlAudioChannel sdl(TAudioKind::Music);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const long headless = HeadlessLength(path);
    EXPECT_EQ(sdl.Open(path), headless >= 0);
    if (headless >= 0) {
      EXPECT_NEAR(headless, 1000, 60);
    }
  }
}

// Plays a file on the SDL channel (dummy driver, real time) and returns
// how many milliseconds passed until it reported its end.
long SdlPlayingTime(TSdlAudioChannel& channel, const std::string& path) {
  if (!channel.Open(path)) return -1;
  const auto start = std::chrono::steady_clock::now();
  channel.Play();
  while (!channel.IsFinished()) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) return -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

TEST_F(AudioFormats, SdlPlaysEachKindForItsDecodedLength) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TSdlAudioChannel sound(TAudioKind::Sound);
#ifdef _WIN32
  // MIDI plays on the system's synthesizer on Windows, not through the
  // channel's decoder; the other tests of it are left out there too.
  const std::vector<std::string> names = {"msadpcm.wav", "tone.wma"};
#else
  const std::vector<std::string> names = {"msadpcm.wav", "tone.wma", "tone.mid"};
#endif
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const long length = HeadlessLength(PathOf(name));
    const long played = SdlPlayingTime(sound, PathOf(name));
    // The device takes samples in whole buffers, so the end is seen up to
    // about one buffer early; a busy machine may see it late.
    EXPECT_GE(played, length - 100);
    EXPECT_LT(played, length + 5000);
  }
}

// The loudest sample of the device's mix while a channel plays.
std::atomic<int> gMixPeak{0};
void MeasureMix(void*, Uint8* stream, int bytes) {
  const auto* samples = reinterpret_cast<const int16_t*>(stream);
  int peak = gMixPeak.load();
  for (int i = 0; i < bytes / 2; ++i) peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  gMixPeak = peak;
}

TEST(AudioLevels, TheGainCurveHoldsAtEveryLevel) {
  TTempDir dir;
  const std::string path = dir.Write("full.wav", FullScaleToneWave(300));
  // Volume 100, 90, 75, 53 (the loudest that used to come out mute), 50,
  // 30, 10 and 0 on the script's scale.
  for (const int level : {0, -1000, -2500, -4700, -5000, -7000, -9000, -10000}) {
    SCOPED_TRACE(level);
    TAudioOpenResult opened = TAudioFileOpener::Open(path, TAudioUse::Play);
    ASSERT_TRUE(opened.Decoder) << opened.Reason;
    TAudioStream stream(std::move(opened.Decoder));
    stream.SetGain(AudioLevelGain(level));
    std::vector<int16_t> samples(8192 * kPcmChannels);
    stream.Fill(samples.data(), 8192);
    const double expected = 32767 * std::pow(10.0, level / 2000.0);
    EXPECT_NEAR(Peak(samples), expected, 1 + expected * 0.01);
    if (level > -9000) {
      EXPECT_GT(Peak(samples), 0) << "audible down to volume 10";
    }
  }
}

TEST(AudioLevels, AQuietLevelIsQuietNotSilentOnTheDevice) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TTempDir dir;
  const std::string path = dir.Write("full.wav", FullScaleToneWave(600));
  TSdlAudioChannel sound(TAudioKind::Sound);
  ASSERT_TRUE(sound.Open(path));
  ASSERT_TRUE(sound.SetVolume(-4700));  // volume 53
  gMixPeak = 0;
  Mix_SetPostMix(MeasureMix, nullptr);
  sound.Play();
  const auto start = std::chrono::steady_clock::now();
  while (!sound.IsFinished() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Mix_SetPostMix(nullptr, nullptr);
  EXPECT_NEAR(gMixPeak.load(), 32767 * std::pow(10.0, -47 / 20.0), 2.0);
}

TEST(SoundFontLocator, SdlSoundfontsComeFirst) {
#ifdef _WIN32
  GTEST_SKIP() << "MIDI plays on the system's synthesizer on Windows; the build has no FluidSynth nor sound fonts";
#else
  setenv("SDL_SOUNDFONTS", "/nowhere/a.sf2;/nowhere/b.sf2", 1);
  const std::vector<std::string> candidates = TSoundFontLocator::Candidates();
  ASSERT_GE(candidates.size(), 3u);
  EXPECT_EQ(candidates[0], "/nowhere/a.sf2");
  EXPECT_EQ(candidates[1], "/nowhere/b.sf2");
  EXPECT_EQ(candidates[2], "/usr/share/sounds/sf2/default-GM.sf2");
  // Entries that are not sound fonts are passed over.
  TTempDir dir;
  const std::string notFont = dir.Write("x.sf2", "RIFF....WAVE");
  setenv("SDL_SOUNDFONTS", notFont.c_str(), 1);
  EXPECT_NE(TSoundFontLocator::Find(), notFont);
  EXPECT_FALSE(TSoundFontLocator::IsSoundFont(notFont));
  PreferSmallSoundFont();
#endif
}

}  // namespace
}  // namespace pelto5::test
