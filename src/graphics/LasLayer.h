// One layer of a window: a rectangle of its own picture shown at a
// position, linked to the layers below and above it.
#pragma once

#include <string>

#include "graphics/LasGraphic.h"

namespace pelto5 {

class TLasLayer {
 public:
  TLasLayer();

  // Draws the shown rectangle of the picture onto dest, whatever Visible says.
  void DrawTo(TLasGraphic& dest) const;
  // Composes this layer and every layer below it onto dest, bottom-up,
  // drawing only the visible ones.
  void ComposeTo(TLasGraphic& dest) const;

  TLasLayer* LowerLayer = nullptr;
  TLasLayer* UpperLayer = nullptr;
  TLasGraphic Graphic;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int ViewLeft = 0;
  int ViewTop = 0;
  bool Visible = false;
  std::string LayerName;
  std::string FileName;
  // How the picture of FileName was loaded (colour key, half translucency),
  // so that a restored screen loads it the same way.
  bool Transparent = false;
  bool Translucent = false;
};

}  // namespace pelto5
