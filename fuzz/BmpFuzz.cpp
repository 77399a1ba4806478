// libFuzzer target: any bytes decoded as a BMP; a decoded picture must have
// exactly the pixels its size promises.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "image/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelto5::TPicture picture;
  if (pelto5::DecodeBmp(std::string_view(reinterpret_cast<const char*>(data), size), picture)) {
    if (picture.Width <= 0 || picture.Height <= 0 ||
        picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height) {
      std::abort();
    }
  }
  return 0;
}
