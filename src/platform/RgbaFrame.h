// A canvas as bytes red, green, blue, alpha (opaque), as a web page's image
// data takes them: the whole frame, kept from one present to the next so
// that only changed rectangles need converting.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TRgbaFrame {
 public:
  // Converts the whole canvas (and takes its size).
  void Convert(const TCanvas& canvas);
  // Converts the part of the canvas inside rect; false when the frame does
  // not have the canvas's size (then nothing is converted).
  [[nodiscard]] bool ConvertRect(const TCanvas& canvas, const TRect& rect);
  const uint8_t* Data() const { return FBytes.data(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FBytes;
};

}  // namespace pelto5
