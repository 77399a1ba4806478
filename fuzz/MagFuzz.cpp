// libFuzzer target: any bytes converted from MAG to BMP. A conversion that
// succeeds must give a BMP of exactly the size the header probe promised,
// which the BMP reader then accepts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "graphics/BmpCodec.h"
#include "image/M2BC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view mag(reinterpret_cast<const char*>(data), size);
  const size_t promised = pelto5::TM2BC::MMAG_GetBmpSize(mag);
  std::string bmp;
  if (pelto5::TM2BC::MMAG_MagtoBmp(mag, bmp) != 0) return 0;
  pelto5::TPicture picture;
  if (bmp.size() != promised || !pelto5::DecodeBmp(bmp, picture)) std::abort();
  return 0;
}
