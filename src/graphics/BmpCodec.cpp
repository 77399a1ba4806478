#include "graphics/BmpCodec.h"

#include <cstdint>

#include "graphics/LasGraphic.h"

namespace pelto5 {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;

void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

bool LoadBmp(std::string_view data, TLasGraphic& graphic) {
  TPicture picture;
  if (!DecodeBmp(data, picture)) return false;
  graphic.AssignGraphic(picture);
  return true;
}

std::string EncodeBmp32(const TLasGraphic& graphic) {
  const uint32_t width = static_cast<uint32_t>(graphic.Width());
  const uint32_t height = static_cast<uint32_t>(graphic.Height());
  const uint32_t imageSize = width * height * 4;
  std::string out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageSize);
  out += "BM";
  Put32(out, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize) + imageSize);
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize));
  Put32(out, static_cast<uint32_t>(kInfoHeaderSize));
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, kBiRgb);
  Put32(out, imageSize);
  Put32(out, 3780);  // 96 dpi in pixels per metre
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (uint32_t row = height; row-- > 0;) {
    const uint32_t* s = graphic.Row(static_cast<int>(row));
    for (uint32_t x = 0; x < width; ++x) Put32(out, s[x] & 0x00FFFFFFu);
  }
  return out;
}

}  // namespace pelto5
