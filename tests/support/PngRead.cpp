#include "support/PngRead.h"

#include <png.h>

#include <cstdlib>

namespace pelto5::test {

TRgbImage ReadPng(const std::string& path) {
  TRgbImage result;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return result;
  result.Width = static_cast<int>(image.width);
  result.Height = static_cast<int>(image.height);
  result.Pixels.resize(rgb.size() / 3);
  for (size_t i = 0; i < result.Pixels.size(); ++i) {
    result.Pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  }
  return result;
}

long CountDifferentPixels(const TRgbImage& a, const TRgbImage& b, int tolerance) {
  if (a.Width != b.Width || a.Height != b.Height) return -1;
  long n = 0;
  for (size_t i = 0; i < a.Pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int ca = static_cast<int>((a.Pixels[i] >> shift) & 0xFF);
      const int cb = static_cast<int>((b.Pixels[i] >> shift) & 0xFF);
      if (std::abs(ca - cb) > tolerance) {
        ++n;
        break;
      }
    }
  }
  return n;
}

}  // namespace pelto5::test
