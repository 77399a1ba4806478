// The font service of the platform layer: resolves family names, measures
// and draws Shift-JIS text runs onto a 32-bit surface and its alpha plane.
// Glyphs are drawn as a two-level mask: a pixel is either covered (colour
// written, alpha 255) or left alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Font.h"

namespace pelto5 {

struct TTextExtent {
  int Width = 0;
  int Height = 0;  // ascent + descent of the face at the font's size
};

// Where a run is drawn: 32-bit pixels (0xXXRRGGBB) and an optional 8-bit
// alpha plane; strides are in elements. Drawing is clipped to the size.
struct TTextTarget {
  uint32_t* Pixels = nullptr;
  size_t Stride = 0;
  uint8_t* Alpha = nullptr;
  size_t AlphaStride = 0;
  int Width = 0;
  int Height = 0;
};

class TFontService {
 public:
  virtual ~TFontService() = default;
  // True when an installed face answers to the family name (Shift-JIS);
  // the Windows Japanese family names count through their stand-ins.
  [[nodiscard]] virtual bool IsInstalled(const std::string& familyName) = 0;
  virtual TTextExtent Measure(std::string_view run, const TFont& font) = 0;
  // Draws run with its cell's top-left corner at (x, y): covered pixels take
  // the font colour (fourth byte 0) and, if the target has an alpha plane,
  // alpha 255. Nothing else is touched.
  virtual void DrawRun(const TTextTarget& target, int x, int y, std::string_view run,
                       const TFont& font) = 0;
};

// The font service in use: the one installed, else the default one.
TFontService& FontService();
// Installs service (not owned); nullptr goes back to the default service.
void InstallFontService(TFontService* service);
// The service that answers while none is installed (not owned; the fonts
// backend sets it up at start, see InstallDefaultFonts()).
void InstallDefaultFontService(TFontService* service);

}  // namespace pelto5
