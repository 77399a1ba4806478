#include "media/AudioGain.h"

#include <algorithm>
#include <cmath>

#include "platform/AudioChannel.h"

namespace pelto5 {

double AudioLevelGain(int level) {
  const int clamped = std::clamp(level, kAudioLevelSilent, kAudioLevelFull);
  return std::pow(10.0, clamped / 2000.0);
}

void ApplyAudioGain(int16_t* samples, size_t count, double gain) {
  if (gain == 1.0) return;
  for (size_t i = 0; i < count; ++i) {
    const double v = std::nearbyint(samples[i] * gain);
    samples[i] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
  }
}

}  // namespace pelto5
