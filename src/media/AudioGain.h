// Channel levels (hundredths of a decibel, 0 full, -10000 silent) as linear
// sample gains, and applying a gain to 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelto5 {

// 10^(level / 2000): 0 → 1.0, -600 → about 0.5, -2000 → 0.1, -10000 →
// 0.00001 (below one step of a 16-bit sample, so silent). Levels above 0
// count as 0 and below -10000 as -10000.
double AudioLevelGain(int level);

// Multiplies count samples by gain, rounding to the nearest value and
// clipping to the 16-bit range.
void ApplyAudioGain(int16_t* samples, size_t count, double gain);

}  // namespace pelto5
