#include "image/BmpEncoder.h"

#include <cstdint>

#include "base/ByteOrder.h"

namespace pelto5 {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kPixelsPerMetre96Dpi = 3780;

}  // namespace

std::string EncodeBmp32(const TPictureView& picture) {
  const uint32_t width = static_cast<uint32_t>(picture.Width);
  const uint32_t height = static_cast<uint32_t>(picture.Height);
  const uint32_t imageSize = width * height * 4;
  std::string out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageSize);
  out += "BM";
  AppendLe32(out, kFileHeaderSize + kInfoHeaderSize + imageSize);
  AppendLe32(out, 0);
  AppendLe32(out, kFileHeaderSize + kInfoHeaderSize);
  AppendLe32(out, kInfoHeaderSize);
  AppendLe32(out, width);
  AppendLe32(out, height);
  AppendLe16(out, 1);   // planes
  AppendLe16(out, 32);  // bits per pixel
  AppendLe32(out, kBiRgb);
  AppendLe32(out, imageSize);
  AppendLe32(out, kPixelsPerMetre96Dpi);
  AppendLe32(out, kPixelsPerMetre96Dpi);
  AppendLe32(out, 0);
  AppendLe32(out, 0);
  for (uint32_t row = height; row-- > 0;) {
    const uint32_t* s = picture.Row(static_cast<int>(row));
    for (uint32_t x = 0; x < width; ++x) AppendLe32(out, s[x] & 0x00FFFFFFu);
  }
  return out;
}

}  // namespace pelto5
