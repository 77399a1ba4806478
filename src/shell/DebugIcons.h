// The eight 16 x 16 icons of the debug information window, drawn from
// character pictures held in code: process line, book name, page name,
// command index, layer, dynamic layer, value variable, string variable.
#pragma once

#include <cstdint>

#include "shell/PixelView.h"

namespace pelto5 {

class TDebugIcons {
 public:
  static constexpr int kCount = 8;
  static constexpr int kSize = 16;
  enum : int {
    ProcessLine = 0, BookName = 1, PageName = 2, CommandIndex = 3,
    Layer = 4, DynamicLayer = 5, ValueVariable = 6, StringVariable = 7
  };

  // Draws icon index with its top-left corner at (x, y); transparent pixels
  // leave the view alone. An index outside 0..7 draws nothing.
  static void Draw(const TPixelView& view, int index, int x, int y);
  // The icon's pixel at (x, y) (0x00RRGGBB), or -1 where it is transparent.
  static int64_t PixelAt(int index, int x, int y);
};

}  // namespace pelto5
