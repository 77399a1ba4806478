// The inner loops of drawing one surface onto another, a row at a time:
// Mask rows copy the pixels whose alpha byte is not 0, Blend rows mix them
// in by their alpha. Vector versions are used where the processor has
// them; every version gives the same pixels.
#pragma once

#include <cstdint>

namespace pelto5 {

// ((255 - a) * d + a * s) / 256 for red, green and blue at once; the fourth
// byte becomes 0. Each channel product stays below 2^16, so the two channels
// sharing one word never carry into each other.
inline uint32_t BlendPixel(uint32_t d, uint32_t s, uint32_t a) {
  const uint32_t na = 255 - a;
  const uint32_t rb = (((d & 0x00FF00FFu) * na + (s & 0x00FF00FFu) * a) >> 8) & 0x00FF00FFu;
  const uint32_t g = (((d & 0x0000FF00u) * na + (s & 0x0000FF00u) * a) >> 8) & 0x0000FF00u;
  return rb | g;
}

// d[i] = s[i] where a[i] != 0. separate: d and s are rows of different
// surfaces (they never overlap), which lets several pixels go at once.
void MaskRow(uint32_t* d, const uint32_t* s, const uint8_t* a, int count, bool separate);
// d[i] = BlendPixel(d[i], s[i], a[i]) where a[i] != 0.
void BlendRow(uint32_t* d, const uint32_t* s, const uint8_t* a, int count, bool separate);

}  // namespace pelto5
