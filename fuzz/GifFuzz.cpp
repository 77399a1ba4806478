// libFuzzer target: any bytes given to the built-in GIF decoder. A decoded
// picture must be within the surface limits and have exactly the pixels its
// size promises.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "image/GifDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelto5::TPicture picture;
  if (pelto5::DecodeGif(std::string_view(reinterpret_cast<const char*>(data), size), picture)) {
    if (!pelto5::PictureSizeAllowed(picture.Width, picture.Height) ||
        picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height) {
      std::abort();
    }
  }
  return 0;
}
