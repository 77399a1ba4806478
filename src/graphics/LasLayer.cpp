#include "graphics/LasLayer.h"

namespace pelto5 {

// A new layer's picture is the surface's default: 10 x 10 white, no alpha.
TLasLayer::TLasLayer() = default;

void TLasLayer::DrawTo(TLasGraphic& dest) const {
  Graphic.DrawTo(dest, Left, Top, Width, Height, ViewLeft, ViewTop);
}

void TLasLayer::ComposeTo(TLasGraphic& dest) const {
  // Iterative rather than recursive: the chain may be long.
  const TLasLayer* bottom = this;
  while (bottom->LowerLayer) bottom = bottom->LowerLayer;
  for (const TLasLayer* layer = bottom;; layer = layer->UpperLayer) {
    if (layer->Visible) layer->DrawTo(dest);
    if (layer == this || !layer->UpperLayer) break;
  }
}

}  // namespace pelto5
