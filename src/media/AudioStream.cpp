#include "media/AudioStream.h"

#include <algorithm>

#include "media/AudioGain.h"

namespace pelto5 {

TAudioStream::TAudioStream(std::unique_ptr<TAudioDecoder> decoder) : FDecoder(std::move(decoder)) {}

void TAudioStream::Fill(int16_t* out, size_t frames) {
  std::lock_guard<std::mutex> hold(FLock);
  size_t done = 0;
  while (!FEnded && done < frames) {
    const size_t n = FDecoder ? FDecoder->Read(out + done * kPcmChannels, frames - done) : 0;
    if (n == 0) FEnded = true;
    done += n;
  }
  ApplyAudioGain(out, done * kPcmChannels, FGain);
  std::fill(out + done * kPcmChannels, out + frames * kPcmChannels, int16_t{0});
}

void TAudioStream::Rewind() {
  std::lock_guard<std::mutex> hold(FLock);
  FEnded = FDecoder == nullptr || !FDecoder->Rewind();
}

void TAudioStream::SetGain(double gain) {
  std::lock_guard<std::mutex> hold(FLock);
  FGain = gain;
  if (FDecoder) FDecoder->SetGain(gain);
}

}  // namespace pelto5
