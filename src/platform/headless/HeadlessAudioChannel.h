// The headless backend's silent playback channel. It opens a file exactly
// when the SDL backend would (the same decoding layer decides, without an
// audio device), and it "plays" on the virtual clock for the file's decoded
// length. With --trace-audio every change of the channel is written as a
// line "audio: MS KIND ACTION ...", and with --trace a file that does not
// open writes the reason.
#pragma once

#include <cstdint>
#include <string>

#include "platform/AudioChannel.h"

namespace pelto5 {

class THeadlessPlatform;

class THeadlessAudioChannel : public TAudioChannel {
 public:
  // The platform gives the clock and the trace; it must outlive the channel.
  THeadlessAudioChannel(TAudioKind kind, THeadlessPlatform& platform);

  [[nodiscard]] bool Open(const std::string& path) override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override { return FOpen; }
  void Play() override;
  void Stop() override;
  void Rewind() override;
  [[nodiscard]] bool IsFinished() override;
  [[nodiscard]] bool SetVolume(int level) override;

  [[nodiscard]] bool IsPlaying() const { return FPlaying; }
  int Level() const { return FLevel; }
  uint32_t DurationMs() const { return FDuration; }

 private:
  // One --trace-audio line with the time and the channel's kind.
  void Trace(const std::string& utf8Action);
  const char* KindName() const;

  TAudioKind FKind;
  THeadlessPlatform& FPlatform;
  bool FOpen = false;
  std::string FName;  // file name part, UTF-8
  uint32_t FDuration = 0;
  bool FPlaying = false;
  uint32_t FStart = 0;  // virtual tick at which the current play began
  int FLevel = kAudioLevelFull;
};

}  // namespace pelto5
