// One playback channel of the music controller: a file opened by its full
// path on the platform's audio channel, played, stopped and rewound,
// polled for completion, at a volume on the script's 0..100 scale.
#pragma once

#include <memory>
#include <string>

#include "platform/AudioChannel.h"

namespace pelto5 {

class TMediaChannel {
 public:
  // Takes a platform channel of the given kind from the installed platform.
  explicit TMediaChannel(TAudioKind kind);
  ~TMediaChannel();
  TMediaChannel(const TMediaChannel&) = delete;
  TMediaChannel& operator=(const TMediaChannel&) = delete;

  // Releases what was open, then opens fileName (a native path); false if
  // the platform cannot open or decode it.
  [[nodiscard]] bool Open(const std::string& fileName);
  // Releases the open file; playback stops with it.
  void Release();
  void Play();
  // Stops, then rewinds to the start.
  void Stop();
  // Moves to a position in seconds. The platform channel can only go back
  // to the start, so only 0 is accepted; false for any other position.
  bool Seek(int seconds);
  // True when nothing is open or the file has played to its end; false
  // while it plays and while it is stopped.
  [[nodiscard]] bool IsFinished();
  // Applies a 0..100 volume as v × 100 − 10000 hundredths of a decibel.
  // False if nothing is open or v is out of range (level unchanged).
  bool SetVolume(int v);

  // The channel level for a volume of 0..100: 100 → 0, 50 → −5000,
  // 0 → −10000.
  static int VolumeToLevel(int v);

 private:
  std::unique_ptr<TAudioChannel> FChannel;
};

}  // namespace pelto5
