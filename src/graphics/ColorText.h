// The colour text form of the whole system: a colour-constant name such as
// "clBlack" or "clSilver" where one exists, otherwise "$" and 8 hexadecimal
// digits. Colour values are 0x00BBGGRR (red in the low byte); the system
// colours carry 0x80000000 plus the system colour index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelto5 {

constexpr uint32_t clBlack = 0x000000;
constexpr uint32_t clMaroon = 0x000080;
constexpr uint32_t clGreen = 0x008000;
constexpr uint32_t clOlive = 0x008080;
constexpr uint32_t clNavy = 0x800000;
constexpr uint32_t clPurple = 0x800080;
constexpr uint32_t clTeal = 0x808000;
constexpr uint32_t clGray = 0x808080;
constexpr uint32_t clSilver = 0xC0C0C0;
constexpr uint32_t clRed = 0x0000FF;
constexpr uint32_t clLime = 0x00FF00;
constexpr uint32_t clYellow = 0x00FFFF;
constexpr uint32_t clBlue = 0xFF0000;
constexpr uint32_t clFuchsia = 0xFF00FF;
constexpr uint32_t clAqua = 0xFFFF00;
constexpr uint32_t clWhite = 0xFFFFFF;

// The constant name of color, else "$" + 8 upper-case hexadecimal digits.
std::string ColorToText(uint32_t color);
// A constant name (letter case ignored) or a number in the system's integer
// form ("$", "x" and "0x" for hexadecimal). False, color untouched, if the
// text is neither.
[[nodiscard]] bool TextToColor(std::string_view text, uint32_t& color);
// The plain 0x00BBGGRR value a colour is drawn with: system colours map to
// their usual light-theme values, the high byte of any other value is
// dropped.
uint32_t ColorToRgb(uint32_t color);
// Colour value (0x00BBGGRR) to a surface pixel (0x00RRGGBB) and back.
uint32_t ColorToPixel(uint32_t color);
uint32_t PixelToColor(uint32_t pixel);

}  // namespace pelto5
