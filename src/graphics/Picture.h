// A decoded picture handed from an image decoder (BMP, MAG, plug-ins) to a
// surface: 32-bit pixels, bytes blue, green, red, fourth, rows top first.
#pragma once

#include <cstdint>
#include <vector>

namespace pelto5 {

struct TPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // Width * Height words, 0xXXRRGGBB
};

}  // namespace pelto5
