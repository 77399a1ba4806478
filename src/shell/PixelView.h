// A clipped view into a 32-bit canvas (pixels 0x00RRGGBB): a rectangle
// of it with its own origin, so that drawing a list row or a header never
// spills into its neighbours. Colours here are canvas pixels 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/FontService.h"

namespace pelto5 {

struct TPixelView {
  uint32_t* Pixels = nullptr;  // the view's top-left pixel
  int Stride = 0;              // pixels per canvas row
  int Width = 0;
  int Height = 0;

  // The part of canvas from (x, y) of the given size, cut to the canvas.
  static TPixelView Of(TCanvas& canvas, int x, int y, int width, int height);
  // A part of this view, cut to it; coordinates relative to this view.
  TPixelView Sub(int x, int y, int width, int height) const;

  void FillRect(int x, int y, int width, int height, uint32_t color) const;
  void HorzLine(int x, int y, int length, uint32_t color) const { FillRect(x, y, length, 1, color); }
  void VertLine(int x, int y, int length, uint32_t color) const { FillRect(x, y, 1, length, color); }
  // A one-pixel frame round the rectangle.
  void FrameRect(int x, int y, int width, int height, uint32_t color) const;
  // Text with its cell's top-left corner at (x, y); font.Color is a colour
  // value 0x00BBGGRR as everywhere in the engine.
  void DrawText(int x, int y, std::string_view text, const TFont& font) const;
};

}  // namespace pelto5
