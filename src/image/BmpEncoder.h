// Writing pictures as BMP files: a 32-bit bottom-up bitmap of the colour
// pixels, as save thumbnails and the saved background are stored.
#pragma once

#include <string>

#include "image/PictureView.h"

namespace pelto5 {

// A 32-bit BMP (96 dpi, no compression) of the picture's colour pixels; the
// fourth byte of every pixel is written as 0.
std::string EncodeBmp32(const TPictureView& picture);

}  // namespace pelto5
