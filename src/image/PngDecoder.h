// PNG through libpng. Every image is converted to four bytes per pixel
// (blue, green, red, alpha or 255): palette, grey and 16-bit images
// included. A transparency chunk gives a Mask picture, an alpha channel a
// Blend picture.
#pragma once

#include "image/ImageDecoder.h"

namespace pelto5 {

bool DecodePng(std::string_view data, TPicture& picture);

class TPngDecoder : public TImageDecoder {
 public:
  std::string FormatName() const override { return "PNG"; }
  bool IsSupported(std::string_view data) const override;
  bool Decode(std::string_view data, TPicture& picture) override { return DecodePng(data, picture); }
};

}  // namespace pelto5
