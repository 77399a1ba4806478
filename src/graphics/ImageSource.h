// Where dynamic layers and screens get their pictures by file name. The
// content access controller implements it: it looks the name up in the
// content, the data directory and the decoders, and fills the surface.
#pragma once

#include <string>

namespace pelto5 {

class TLasGraphic;

class TImageSource {
 public:
  virtual ~TImageSource() = default;
  // Loads the image called name into graphic; false (surface unspecified
  // but usable) when no source has it or it cannot be decoded.
  [[nodiscard]] virtual bool LoadImage(const std::string& name, TLasGraphic& graphic) = 0;
};

}  // namespace pelto5
