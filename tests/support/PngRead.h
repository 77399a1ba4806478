// Reads a PNG file back as 0x00RRGGBB pixels, for tests that look at
// screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelto5::test {

struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows top first

  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// An empty image (0 x 0) when the file cannot be read.
TRgbImage ReadPng(const std::string& path);

// Number of pixels whose channels differ by more than tolerance, or -1 when
// the sizes differ.
long CountDifferentPixels(const TRgbImage& a, const TRgbImage& b, int tolerance = 0);

}  // namespace pelto5::test
