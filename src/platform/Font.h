// A font as the engine describes it: family name (Shift-JIS), size in
// points at 96 dpi, colour (0x00BBGGRR) and style. The platform's font
// service turns it into glyphs.
#pragma once

#include <cstdint>
#include <string>

namespace pelto5 {

// "ＭＳ ゴシック"
inline constexpr const char* kDefaultFontName = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

struct TFont {
  std::string Name = kDefaultFontName;
  int Size = 10;
  uint32_t Color = 0;
  bool Bold = false;
  bool Italic = false;
};

// Pixel size of the em square for a point size at 96 dpi, rounded
// (size 16 gives 21). Sizes are taken by magnitude and kept between 1 and
// 1000 pixels so that a wild size tag cannot ask for giant glyphs.
int FontEmPixels(int pointSize);

}  // namespace pelto5
