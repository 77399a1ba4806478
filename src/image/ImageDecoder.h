// The one interface of every image decoder: bytes in memory in, a picture
// out. Decoders never read outside the bytes they are given, refuse
// pictures beyond the surface limits before allocating them, and leave the
// picture untouched when they fail. They never show anything to the user:
// a failure worth telling comes back as the result's warning.
#pragma once

#include <string>
#include <string_view>

#include "image/DecodeResult.h"
#include "image/Picture.h"

namespace pelto5 {

class TImageDecoder {
 public:
  virtual ~TImageDecoder() = default;
  // A short name of the format ("PNG", "JPEG", ...).
  virtual std::string FormatName() const = 0;
  // Whether data starts like a file of this format. Cheap: looks at the
  // first bytes only.
  [[nodiscard]] virtual bool IsSupported(std::string_view data) const = 0;
  // Decodes data into picture; on any failure the result is false and the
  // picture untouched.
  virtual TDecodeResult Decode(std::string_view data, TPicture& picture) = 0;
};

}  // namespace pelto5
