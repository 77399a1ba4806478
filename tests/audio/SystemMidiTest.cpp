// MIDI files played on the system's synthesizer: each mixing buffer's events
// go out at their own moment, not together when the buffer is read; the
// gain is channel volume, also for volumes still waiting; a rewind drops
// what waits and silences at once.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/SoundFiles.h"
#include "media/AudioDecoder.h"
#include "media/MidiOutPort.h"
#include "media/SystemMidiDecoder.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

using TClock = std::chrono::steady_clock;

struct TSent {
  TClock::time_point At;
  std::vector<uint8_t> Bytes;
};

using TMatch = std::function<bool(const std::vector<uint8_t>&)>;

// Messages that start with these bytes.
TMatch StartingWith(std::vector<uint8_t> prefix) {
  return [prefix](const std::vector<uint8_t>& bytes) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
  };
}

// A controller change of any channel.
TMatch Controller(uint8_t number) {
  return [number](const std::vector<uint8_t>& bytes) {
    return bytes.size() == 3 && (bytes[0] & 0xF0) == 0xB0 && bytes[1] == number;
  };
}

// What reached the synthesizer, and when; shared with the port the decoder
// owns.
class TRecording {
 public:
  void Add(std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(FLock);
    FSent.push_back({TClock::now(), std::move(bytes)});
    FChanged.notify_all();
  }
  // Waits (at most a few seconds) until count messages match, then
  // returns those that match.
  std::vector<TSent> WaitFor(size_t count, const TMatch& match) {
    std::unique_lock<std::mutex> lock(FLock);
    FChanged.wait_for(lock, std::chrono::seconds(10), [&] { return MatchingLocked(match).size() >= count; });
    return MatchingLocked(match);
  }
  std::vector<TSent> Matching(const TMatch& match) {
    std::lock_guard<std::mutex> lock(FLock);
    return MatchingLocked(match);
  }

 private:
  std::vector<TSent> MatchingLocked(const TMatch& match) const {
    std::vector<TSent> found;
    for (const TSent& sent : FSent) {
      if (match(sent.Bytes)) found.push_back(sent);
    }
    return found;
  }
  std::mutex FLock;
  std::condition_variable FChanged;
  std::vector<TSent> FSent;
};

class TRecordingPort : public TMidiOutPort {
 public:
  explicit TRecordingPort(std::shared_ptr<TRecording> recording) : FRecording(std::move(recording)) {}
  void Short(uint8_t status, uint8_t data1, uint8_t data2) override { FRecording->Add({status, data1, data2}); }
  void SystemExclusive(const std::vector<uint8_t>& message) override { FRecording->Add(message); }

 private:
  std::shared_ptr<TRecording> FRecording;
};

std::unique_ptr<TSystemMidiDecoder> DecoderFor(const std::shared_ptr<TRecording>& recording) {
  return std::make_unique<TSystemMidiDecoder>([recording] { return std::make_unique<TRecordingPort>(recording); });
}

long long MsBetween(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// A GM reset and a channel volume, then three notes a quarter of a second
// apart (240 ticks of 480 a quarter, at 120 bpm), and one more from a
// second and a half to two seconds.
std::string Notes() {
  return MidiFile(std::string("\x00\xF0\x05\x7E\x7F\x09\x01\xF7", 8) +  // GM system on
                  std::string("\x00\xB0\x07\x7F", 4) +                  // channel 1 volume 127
                  std::string("\x00\x90\x3C\x64", 4) +                  // C4
                  std::string("\x81\x70\x90\x3E\x64", 5) +              // +240: D4
                  std::string("\x81\x70\x90\x40\x64", 5) +              // +240: E4
                  std::string("\x87\x40\x90\x41\x64", 5) +              // +960: F4
                  std::string("\x83\x60\x80\x41\x00", 5));              // +480: F4 off
}

TEST(SystemMidi, TheEventsOfOneBufferGoOutAtTheirOwnMomentInTheirOrder) {
  TTempDir dir;
  auto recording = std::make_shared<TRecording>();
  auto decoder = DecoderFor(recording);
  ASSERT_TRUE(decoder->Open(dir.Write("notes.mid", Notes())));
  // The mixer reads one second in one go.
  std::vector<int16_t> samples(static_cast<size_t>(kPcmRate) * kPcmChannels, 1);
  const TClock::time_point read = TClock::now();
  ASSERT_EQ(decoder->Read(samples.data(), static_cast<size_t>(kPcmRate)), static_cast<size_t>(kPcmRate));
  EXPECT_EQ(samples.back(), 0) << "the mixer gets silence";

  const std::vector<TSent> notes = recording->WaitFor(3, StartingWith({0x90}));
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0].Bytes, (std::vector<uint8_t>{0x90, 0x3C, 0x64}));
  EXPECT_EQ(notes[1].Bytes, (std::vector<uint8_t>{0x90, 0x3E, 0x64}));
  EXPECT_EQ(notes[2].Bytes, (std::vector<uint8_t>{0x90, 0x40, 0x64}));
  // Never early: each note waits for its moment after the read.
  EXPECT_GE(MsBetween(read, notes[1].At), 250);
  EXPECT_GE(MsBetween(read, notes[2].At), 500);
  EXPECT_GE(MsBetween(notes[1].At, notes[2].At), 240);
  // The GM reset went out whole, before the first note.
  const std::vector<TSent> sysex = recording->Matching(StartingWith({0xF0}));
  ASSERT_EQ(sysex.size(), 1u);
  EXPECT_EQ(sysex[0].Bytes, (std::vector<uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_LE(sysex[0].At, notes[0].At);
  // F4 lies beyond the buffer read: it has not been posted.
  EXPECT_TRUE(recording->Matching(StartingWith({0x90, 0x41})).empty());
}

TEST(SystemMidi, TheGainScalesChannelVolumesAndARewindDropsWhatWaitsAndSilences) {
  TTempDir dir;
  auto recording = std::make_shared<TRecording>();
  auto decoder = DecoderFor(recording);
  ASSERT_TRUE(decoder->Open(dir.Write("notes.mid", Notes())));
  decoder->SetGain(0.25);  // half the channel volume: loudness goes with its square
  // Two seconds: F4, a second and a half in, is posted too.
  const size_t frames = 2 * static_cast<size_t>(kPcmRate);
  std::vector<int16_t> samples(frames * kPcmChannels);
  ASSERT_EQ(decoder->Read(samples.data(), frames), frames);
  // Opening sends every channel's power-on volume (100) scaled; then the
  // file's 127 on channel 1, scaled too.
  std::vector<TSent> volumes = recording->WaitFor(16 + 1, Controller(7));
  ASSERT_EQ(volumes.size(), 17u);
  for (int channel = 0; channel < 16; ++channel) {
    EXPECT_EQ(volumes[static_cast<size_t>(channel)].Bytes,
              (std::vector<uint8_t>{static_cast<uint8_t>(0xB0 | channel), 7, 50}));
  }
  EXPECT_EQ(volumes[16].Bytes, (std::vector<uint8_t>{0xB0, 7, 64}));
  ASSERT_EQ(recording->WaitFor(1, StartingWith({0x90, 0x3C})).size(), 1u);

  // F4 waits for its moment; a rewind drops it and silences at once.
  ASSERT_TRUE(decoder->Rewind());
  const std::vector<TSent> notesOff = recording->WaitFor(16, Controller(123));
  EXPECT_EQ(notesOff.size(), 16u);
  EXPECT_EQ(recording->WaitFor(16, Controller(121)).size(), 16u);
  volumes = recording->WaitFor(17 + 16, Controller(7));
  ASSERT_EQ(volumes.size(), 33u);
  EXPECT_EQ(volumes[17].Bytes, (std::vector<uint8_t>{0xB0, 7, 50})) << "back to the power-on volume, scaled";
  decoder.reset();
  EXPECT_TRUE(recording->Matching(StartingWith({0x90, 0x41})).empty());
  // Ending the sound silenced every channel once more.
  EXPECT_EQ(recording->Matching(Controller(123)).size(), 32u);
}

}  // namespace
}  // namespace pelto5::test
