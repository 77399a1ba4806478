// The headless backend's silent playback channel. It opens a file only if
// it exists, so missing files fail as they would with real audio, and it
// "plays" on the virtual clock: a WAV file finishes after the duration its
// header gives, any other file at once. With --trace every change of the
// channel is written as a line "audio: MS KIND ACTION ..." when asked for
// (--trace-audio).
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

  bool Open(const std::string& path) override;
  void Close() override;
  bool IsOpen() const override { return FOpen; }
  void Play() override;
  void Stop() override;
  void Rewind() override;
  bool IsFinished() override;
  bool SetVolume(int level) override;

  bool IsPlaying() const { return FPlaying; }
  int Level() const { return FLevel; }
  uint32_t DurationMs() const { return FDuration; }

  // The playing time of a PCM WAV file from its header (the data chunk's
  // size, bounded by the file's length, over the byte rate), or 0 when the
  // file is not a WAV file the header of which tells it.
  static uint32_t WaveDurationMs(const std::string& path);

 private:
  void Trace(const std::string& utf8Action);

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
