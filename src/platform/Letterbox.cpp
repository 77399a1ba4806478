#include "platform/Letterbox.h"

#include <algorithm>
#include <cstdint>

namespace pelto5 {

namespace {

int64_t FloorDiv(int64_t value, int64_t divisor) {
  const int64_t q = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? q - 1 : q;
}

}  // namespace

TLetterbox TLetterbox::Fit(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight) {
  TLetterbox box;
  box.PictureWidth = std::max(pictureWidth, 1);
  box.PictureHeight = std::max(pictureHeight, 1);
  const int64_t pw = box.PictureWidth;
  const int64_t ph = box.PictureHeight;
  const int64_t ow = std::max(outputWidth, 1);
  const int64_t oh = std::max(outputHeight, 1);
  if (ow * ph <= oh * pw) {
    // Full width, bars above and below.
    box.Width = static_cast<int>(ow);
    box.Height = static_cast<int>(std::max<int64_t>((ow * ph + pw / 2) / pw, 1));
  } else {
    box.Height = static_cast<int>(oh);
    box.Width = static_cast<int>(std::max<int64_t>((oh * pw + ph / 2) / ph, 1));
  }
  box.X = static_cast<int>((ow - box.Width) / 2);
  box.Y = static_cast<int>((oh - box.Height) / 2);
  return box;
}

void TLetterbox::ToPicture(int x, int y, int& pictureX, int& pictureY) const {
  pictureX = static_cast<int>(FloorDiv((static_cast<int64_t>(x) - X) * PictureWidth, Width));
  pictureY = static_cast<int>(FloorDiv((static_cast<int64_t>(y) - Y) * PictureHeight, Height));
}

void TLetterbox::ToOutput(int pictureX, int pictureY, int& x, int& y) const {
  x = X + static_cast<int>(FloorDiv(static_cast<int64_t>(pictureX) * Width, PictureWidth));
  y = Y + static_cast<int>(FloorDiv(static_cast<int64_t>(pictureY) * Height, PictureHeight));
}

}  // namespace pelto5
