// JPEG through libjpeg-turbo: baseline, progressive, greyscale and CMYK
// (Adobe's inverted CMYK and YCCK included, converted to RGB). The EXIF
// orientation is ignored: the pictures were made for decoders that ignore
// it. Decodes from memory only; sizes beyond the surface limits are refused
// after the header, before anything is allocated for the pixels.
#pragma once

#include "image/ImageDecoder.h"

namespace pelto5 {

[[nodiscard]] bool DecodeJpeg(std::string_view data, TPicture& picture);

class TJpegDecoder : public TImageDecoder {
 public:
  std::string FormatName() const override { return "JPEG"; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override {
    return TDecodeResult::Of(DecodeJpeg(data, picture));
  }
};

}  // namespace pelto5
