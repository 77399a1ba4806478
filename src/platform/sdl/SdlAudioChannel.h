// The SDL backend's playback channel. Files are decoded by the shared
// decoding layer (TAudioFileOpener: FFmpeg, or the MIDI synthesizer) and
// streamed into SDL2_mixer: each channel object keeps a mixer channel of its
// own, plays a silent looping chunk on it, and a mixer effect replaces that
// silence with the decoder's samples at the channel's gain. So music and
// sound effects stream the same way, at full level precision. The audio
// device is opened when the first channel opens a file and closed when the
// last channel is destroyed; when no device can be opened, every Open fails
// as it would for a file that cannot be played.
#pragma once

#include <memory>
#include <string>

#include "platform/AudioChannel.h"

namespace pelto5 {

class TAudioStream;
class TSdlMixer;

class TSdlAudioChannel : public TAudioChannel {
 public:
  explicit TSdlAudioChannel(TAudioKind kind);
  ~TSdlAudioChannel() override;
  TSdlAudioChannel(const TSdlAudioChannel&) = delete;
  TSdlAudioChannel& operator=(const TSdlAudioChannel&) = delete;

  [[nodiscard]] bool Open(const std::string& path) override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override { return FStream != nullptr; }
  void Play() override;
  void Stop() override;
  void Rewind() override;
  [[nodiscard]] bool IsFinished() override;
  [[nodiscard]] bool SetVolume(int level) override;

 private:
  // Writes the --trace line for a file that does not open.
  void TraceFailure(const std::string& path, const std::string& reason) const;

  TAudioKind FKind;
  std::shared_ptr<TSdlMixer> FMixer;
  std::unique_ptr<TAudioStream> FStream;
  int FMixerChannel = -1;  // the reserved mixer channel
  bool FPlaying = false;   // Play was called and neither Stop nor Close since
  int FLevel = kAudioLevelFull;
};

}  // namespace pelto5
