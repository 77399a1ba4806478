// A sound file decoded to PCM, read in pieces: what both backends' audio
// channels play (the SDL backend) or time on the virtual clock (the
// headless backend). Every decoder gives the same output format, so the
// mixer never converts: interleaved signed 16-bit stereo at kPcmRate.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelto5 {

constexpr int kPcmRate = 44100;
constexpr int kPcmChannels = 2;

class TAudioDecoder {
 public:
  virtual ~TAudioDecoder() = default;

  // Writes up to frames frames (kPcmChannels samples each) into out and
  // returns how many it wrote; 0 once the sound has ended (also when the
  // rest of the file cannot be decoded).
  virtual size_t Read(int16_t* out, size_t frames) = 0;
  // Goes back to the start of the sound. False if that failed; the decoder
  // then reads as ended.
  [[nodiscard]] virtual bool Rewind() = 0;
  // The playing time of the whole sound in milliseconds, as decoded from
  // start to end. May decode the whole file to find it, without changing
  // what Read gives next.
  virtual uint32_t LengthMs() = 0;
  // The channel's gain, for a decoder whose sound does not pass through
  // the mixer's samples (the system's MIDI synthesizer); others ignore it.
  virtual void SetGain(double /*gain*/) {}
};

}  // namespace pelto5
