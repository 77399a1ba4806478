#include "graphics/ColorText.h"

#include <array>
#include <cstdio>

#include "base/SjisText.h"
#include "base/IntegerConversion.h"

namespace pelto5 {

namespace {

struct TColorName {
  uint32_t Value;
  const char* Name;
};

constexpr uint32_t kSystemColor = 0x80000000u;

// Value to name and back; the first entry of a value is its name.
constexpr std::array<TColorName, 46> kColorNames = {{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {kSystemColor | 0, "clScrollBar"},
    {kSystemColor | 1, "clBackground"},
    {kSystemColor | 2, "clActiveCaption"},
    {kSystemColor | 3, "clInactiveCaption"},
    {kSystemColor | 4, "clMenu"},
    {kSystemColor | 5, "clWindow"},
    {kSystemColor | 6, "clWindowFrame"},
    {kSystemColor | 7, "clMenuText"},
    {kSystemColor | 8, "clWindowText"},
    {kSystemColor | 9, "clCaptionText"},
    {kSystemColor | 10, "clActiveBorder"},
    {kSystemColor | 11, "clInactiveBorder"},
    {kSystemColor | 12, "clAppWorkSpace"},
    {kSystemColor | 13, "clHighlight"},
    {kSystemColor | 14, "clHighlightText"},
    {kSystemColor | 15, "clBtnFace"},
    {kSystemColor | 16, "clBtnShadow"},
    {kSystemColor | 17, "clGrayText"},
    {kSystemColor | 18, "clBtnText"},
    {kSystemColor | 19, "clInactiveCaptionText"},
    {kSystemColor | 20, "clBtnHighlight"},
    {kSystemColor | 21, "cl3DDkShadow"},
    {kSystemColor | 22, "cl3DLight"},
    {kSystemColor | 23, "clInfoText"},
    {kSystemColor | 24, "clInfoBk"},
    {0x1FFFFFFF, "clNone"},
}};

// Light-theme values (0x00BBGGRR) of the system colours, by index.
constexpr std::array<uint32_t, 25> kSystemColorValues = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464,
    0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933,
    0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF,
    0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF};

}  // namespace

std::string ColorToText(uint32_t color) {
  for (const TColorName& entry : kColorNames) {
    if (entry.Value == color) return entry.Name;
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(color));
  return buffer;
}

bool TextToColor(std::string_view text, uint32_t& color) {
  for (const TColorName& entry : kColorNames) {
    if (sjis::SameText(text, entry.Name)) {
      color = entry.Value;
      return true;
    }
  }
  int32_t value = 0;
  if (!TryStrToInt(text, value)) return false;
  color = static_cast<uint32_t>(value);
  return true;
}

uint32_t ColorToRgb(uint32_t color) {
  if ((color & 0xFF000000u) == kSystemColor) {
    const uint32_t index = color & 0xFF;
    return index < kSystemColorValues.size() ? kSystemColorValues[index] : 0;
  }
  return color & 0x00FFFFFFu;
}

uint32_t ColorToPixel(uint32_t color) {
  const uint32_t rgb = ColorToRgb(color);
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

uint32_t PixelToColor(uint32_t pixel) {
  return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

}  // namespace pelto5
