// A 32-bit frame: pixels are XRGB8888 words (bytes blue, green, red, unused
// on little-endian machines), rows tightly packed, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelto5 {

class TCanvas {
 public:
  void SetSize(int width, int height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Writable pixels count as a change of the frame (see Version).
  uint32_t* Row(int y) {
    ++FVersion;
    return FPixels.data() + static_cast<size_t>(y) * FWidth;
  }
  const uint32_t* Row(int y) const { return FPixels.data() + static_cast<size_t>(y) * FWidth; }
  uint32_t* Pixels() {
    ++FVersion;
    return FPixels.data();
  }
  const uint32_t* Pixels() const { return FPixels.data(); }
  void Fill(uint32_t color);
  // Grows with every change of the size or the pixels (and with every
  // writable row handed out): a drawer that knows the version after its
  // own drawing knows whether anyone else drew since.
  uint64_t Version() const { return FVersion; }
  // Writes the frame as an RGB PNG file (path in the local encoding).
  [[nodiscard]] bool SavePng(const std::string& path) const;

 private:
  int FWidth = 0;
  int FHeight = 0;
  uint64_t FVersion = 0;
  std::vector<uint32_t> FPixels;
};

}  // namespace pelto5
