// Read access to 32-bit pixel rows that something else owns (a decoded
// picture, a surface): width, height and the rows, top first, each Width
// words after the one above. What the encoders take, so that they need not
// know the owner.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/Picture.h"

namespace pelto5 {

struct TPictureView {
  int Width = 0;
  int Height = 0;
  const uint32_t* Pixels = nullptr;  // Width * Height words, 0xXXRRGGBB

  const uint32_t* Row(int y) const { return Pixels + static_cast<size_t>(y) * Width; }
};

inline TPictureView ViewOf(const TPicture& picture) {
  return {picture.Width, picture.Height, picture.Pixels.data()};
}

}  // namespace pelto5
