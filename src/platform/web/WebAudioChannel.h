// A playback channel on the page's Web Audio: the file is read from the
// build's file system and decoded by the browser (WAV, OGG and MP3 in every
// browser; whatever else the browser decodes). A MIDI file is sequenced by
// the engine (TMidiScore) and rendered by the page's synthesizer. A file
// neither decodes does not open.
#pragma once

#include <string>

#include "platform/AudioChannel.h"

namespace pelto5 {

class TWebAudioChannel : public TAudioChannel {
 public:
  explicit TWebAudioChannel(TAudioKind kind);
  ~TWebAudioChannel() override;
  TWebAudioChannel(const TWebAudioChannel&) = delete;
  TWebAudioChannel& operator=(const TWebAudioChannel&) = delete;

  [[nodiscard]] bool Open(const std::string& path) override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override { return FOpen; }
  void Play() override;
  void Stop() override;
  void Rewind() override;
  [[nodiscard]] bool IsFinished() override;
  [[nodiscard]] bool SetVolume(int level) override;

 private:
  int FId;  // the page's handle of this channel
  bool FOpen = false;
};

}  // namespace pelto5
