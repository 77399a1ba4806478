// Windows bitmaps: BMP files and the device-independent bitmaps (an info
// header with its colour table, and the pixel bits) that image plug-ins
// return.
//
// Reading takes 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, with
// bit-field masks, or RLE8 / RLE4 compressed, stored bottom-up or top-down,
// with the core (12-byte) header or any of the later info headers. The
// data comes from outside: every size, offset and run is checked against
// it, pictures larger than a surface can hold are refused, and uncompressed
// pixel data must be complete before the picture is allocated.
#pragma once

#include "image/ImageDecoder.h"

namespace pelto5 {

// Decodes BMP file bytes into picture (pixels 0x00RRGGBB, no alpha). False,
// picture untouched, if the data is not a BMP this reader understands or is
// cut short. Pixels that an RLE bitmap never sets (skipped by a delta or an
// early end) are black.
[[nodiscard]] bool DecodeBmp(std::string_view data, TPicture& picture);
// The same for a bitmap in two blocks: infoBlock holds the info header and
// its colour table (nothing is read beyond it), bits the pixel rows.
[[nodiscard]] bool DecodeDib(std::string_view infoBlock, std::string_view bits, TPicture& picture);

class TBmpDecoder : public TImageDecoder {
 public:
  std::string FormatName() const override { return "BMP"; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override {
    return TDecodeResult::Of(DecodeBmp(data, picture));
  }
};

}  // namespace pelto5
