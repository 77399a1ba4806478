// libFuzzer target: any bytes converted from MAG to BMP, and decoded
// straight into a picture. A conversion that succeeds must give a BMP of
// exactly the size the header probe promised, which the BMP reader then
// accepts; the direct decode must succeed exactly when the conversion does,
// with the very pixels the BMP gives.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "image/BmpDecoder.h"
#include "image/M2BC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view mag(reinterpret_cast<const char*>(data), size);
  const size_t promised = pelto5::TM2BC::MMAG_GetBmpSize(mag);
  pelto5::TPicture direct;
  const bool decoded = static_cast<bool>(pelto5::TM2BC().LoadFromMemory(mag, direct));
  std::string bmp;
  if (pelto5::TM2BC::MMAG_MagtoBmp(mag, bmp) != 0) {
    if (decoded) std::abort();
    return 0;
  }
  pelto5::TPicture picture;
  if (bmp.size() != promised || !pelto5::DecodeBmp(bmp, picture)) std::abort();
  if (!decoded || direct.Width != picture.Width || direct.Height != picture.Height ||
      direct.Pixels != picture.Pixels) {
    std::abort();
  }
  return 0;
}
