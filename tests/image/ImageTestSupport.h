// JPEG and GIF files made by the tests through libjpeg-turbo and giflib,
// and libjpeg-turbo's own decode of JPEG bytes as the reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelto5::test {

struct TJpegOptions {
  int Quality = 90;
  bool Progressive = false;
  bool Grey = false;
  bool Cmyk = false;  // stored as Adobe CMYK, from the RGB pixels
};

// pixels: 0x00RRGGBB, rows top first.
std::string EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels, const TJpegOptions& options = {});
// libjpeg-turbo's decode of the bytes to RGB (0x00RRGGBB); empty on failure.
std::vector<uint32_t> ReferenceJpegDecode(const std::string& jpeg, int& width, int& height);

struct TGifOptions {
  bool Interlaced = false;
  int TransparentIndex = -1;
  int ScreenWidth = 0;  // 0: the frame's size
  int ScreenHeight = 0;
  int Left = 0, Top = 0;
  int Background = 0;
};

// A one-frame GIF: indices into palette (0x00RRGGBB, up to 256 entries).
std::string EncodeGif(int width, int height, const std::vector<uint8_t>& indices,
                      const std::vector<uint32_t>& palette, const TGifOptions& options = {});

// A test pattern, 0x00RRGGBB.
inline uint32_t ImagePattern(int x, int y) {
  return static_cast<uint32_t>(((x * 37) & 0xFF) << 16 | ((y * 23) & 0xFF) << 8 | (((x + y) * 11) & 0xFF));
}

}  // namespace pelto5::test
