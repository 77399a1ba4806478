// A decoder being played: the mixer's thread pulls samples at the channel's
// gain while the owning thread rewinds it, changes the gain or asks whether
// it has ended. The lock makes those calls safe against each other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "media/AudioDecoder.h"

namespace pelto5 {

class TAudioStream {
 public:
  explicit TAudioStream(std::unique_ptr<TAudioDecoder> decoder);

  // Fills out with frames frames: the decoder's next samples at the gain,
  // then silence once the sound has ended.
  void Fill(int16_t* out, size_t frames);
  // Back to the start; the sound has not ended any more.
  void Rewind();
  void SetGain(double gain);
  // Marks the sound as ended without reading it (it could not be started).
  void End() { FEnded = true; }
  // True once Fill has reached the end of the sound.
  [[nodiscard]] bool Ended() const { return FEnded.load(); }

 private:
  std::mutex FLock;
  std::unique_ptr<TAudioDecoder> FDecoder;
  double FGain = 1.0;
  std::atomic<bool> FEnded{false};
};

}  // namespace pelto5
