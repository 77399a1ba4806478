// A picture decoded for a surface, with the rule by which the surface takes
// its alpha: PNG pictures bring their own (a transparency chunk or an alpha
// channel), every other format gives an opaque surface.
#pragma once

#include "image/Picture.h"

namespace pelto5 {

enum class TAlphaRule {
  FromPicture,  // the surface becomes Mask or Blend as the picture says
  Opaque,       // the surface has no alpha plane, whatever the picture says
};

struct TDecodedImage {
  TPicture Picture;
  TAlphaRule Alpha = TAlphaRule::Opaque;
};

}  // namespace pelto5
