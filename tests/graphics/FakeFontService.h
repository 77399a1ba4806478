// A font service with simple, exact metrics for layout tests: a single-byte
// character is Size pixels wide, a double-byte one twice that, bold adds one
// pixel per character; every run (even an empty one) is Size + 2 high. A
// drawn character fills its whole cell. Installed while the object lives.
#pragma once

#include <string>

#include "platform/FontService.h"
#include "base/SjisText.h"

namespace pelto5::test {

class TFakeFontService : public TFontService {
 public:
  TFakeFontService() { InstallFontService(this); }
  ~TFakeFontService() override { InstallFontService(nullptr); }

  static int CharWidth(std::string_view run, size_t pos, const TFont& font) {
    const int base = sjis::CharLength(run, pos) == 2 ? 2 * font.Size : font.Size;
    return base + (font.Bold ? 1 : 0);
  }

  bool IsInstalled(const std::string& familyName) override { return familyName == "Fake"; }

  TTextExtent Measure(std::string_view run, const TFont& font) override {
    TTextExtent extent;
    extent.Height = font.Size + 2;
    for (size_t pos = 0; pos < run.size(); pos += sjis::CharLength(run, pos)) {
      extent.Width += CharWidth(run, pos, font);
    }
    ++MeasureCalls;
    return extent;
  }

  void DrawRun(const TTextTarget& target, int x, int y, std::string_view run,
               const TFont& font) override {
    const uint32_t c = font.Color & 0xFFFFFF;
    const uint32_t pixel = ((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16);
    const int width = Measure(run, font).Width;
    const int height = font.Size + 2;
    for (int py = y; py < y + height; ++py) {
      for (int px = x; px < x + width; ++px) {
        if (px < 0 || py < 0 || px >= target.Width || py >= target.Height) continue;
        target.Pixels[py * target.Stride + px] = pixel;
        if (target.Alpha) target.Alpha[py * target.AlphaStride + px] = 255;
      }
    }
    LastRun = std::string(run);
    ++DrawCalls;
  }

  int MeasureCalls = 0;
  int DrawCalls = 0;
  std::string LastRun;
};

}  // namespace pelto5::test
