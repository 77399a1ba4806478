// GIF through giflib: the first frame of the file, interlaced or not, on a
// picture of the logical screen's size filled with the background colour.
// The transparent index gives no alpha: its pixels keep their palette
// colour. Decodes from memory only; sizes beyond the surface limits are
// refused before anything is allocated for the pixels.
#pragma once

#include "image/ImageDecoder.h"

namespace pelto5 {

[[nodiscard]] bool DecodeGif(std::string_view data, TPicture& picture);

class TGifDecoder : public TImageDecoder {
 public:
  std::string FormatName() const override { return "GIF"; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override {
    return TDecodeResult::Of(DecodeGif(data, picture));
  }
};

}  // namespace pelto5
