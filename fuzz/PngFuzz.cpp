// libFuzzer target: any bytes (after a PNG signature) decoded and handed to
// a surface; a failed decode must leave the picture as it was, a decoded
// one must have exactly the pixels its size promises.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "graphics/LasGraphic.h"
#include "image/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes("\x89PNG\r\n\x1a\n", 8);
  bytes.append(reinterpret_cast<const char*>(data), size);
  pelto5::TPicture picture;
  if (!pelto5::DecodePng(bytes, picture)) {
    if (picture.Width != 0 || picture.Height != 0 || !picture.Pixels.empty()) std::abort();
    return 0;
  }
  if (picture.Width <= 0 || picture.Height <= 0 ||
      picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height) {
    std::abort();
  }
  pelto5::TLasGraphic graphic;
  graphic.TakePicture(std::move(picture));
  if (graphic.Width() <= 0 || graphic.Height() <= 0) std::abort();
  return 0;
}
