// libFuzzer target: any bytes (after a PNG signature) loaded into a
// surface; a failed load must leave the surface as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "graphics/LasGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes("\x89PNG\r\n\x1a\n", 8);
  bytes.append(reinterpret_cast<const char*>(data), size);
  pelto5::TLasGraphic graphic;
  graphic.SetSize(3, 4);
  if (!graphic.LoadPngFromMemory(bytes)) {
    if (graphic.Width() != 3 || graphic.Height() != 4) std::abort();
  } else if (graphic.Width() <= 0 || graphic.Height() <= 0) {
    std::abort();
  }
  return 0;
}
