// PNG through libpng. Every image is converted to four bytes per pixel
// (blue, green, red, alpha or 255): palette, grey and 16-bit images
// included. A transparency chunk gives a Mask picture, an alpha channel a
// Blend picture.
#pragma once

#include "image/ImageDecoder.h"

namespace pelto5 {

[[nodiscard]] bool DecodePng(std::string_view data, TPicture& picture);
// A ".png" file (extension compared without regard to letter case) at a
// native path. False, picture untouched, for another extension, an
// unreadable file or data that does not decode.
[[nodiscard]] bool DecodePngFile(const std::string& fileName, TPicture& picture);

class TPngDecoder : public TImageDecoder {
 public:
  std::string FormatName() const override { return "PNG"; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override {
    return TDecodeResult::Of(DecodePng(data, picture));
  }
};

}  // namespace pelto5
