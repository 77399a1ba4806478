// libFuzzer target: the conversion of an image plug-in's GetPicture result
// into a picture. The input is split into the info block (its length in the
// first two bytes, little-endian) and the bits (the rest); the conversion
// must never read beyond either, and a picture it makes must have exactly
// the pixels its size promises.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/NativePlugIn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t infoSize = data[0] | static_cast<size_t>(data[1]) << 8;
  if (infoSize > size - 2) infoSize = size - 2;
  // Separate copies, so that the sanitizers see a read past either block.
  const std::vector<uint8_t> info(data + 2, data + 2 + infoSize);
  const std::vector<uint8_t> bits(data + 2 + infoSize, data + size);
  pelto5::TPicture picture;
  if (pelto5::TNativePlugIn::ConvertResult(info.data(), info.size(), bits.data(), bits.size(), picture)) {
    if (!pelto5::PictureSizeAllowed(picture.Width, picture.Height) ||
        picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height) {
      std::abort();
    }
  }
  return 0;
}
