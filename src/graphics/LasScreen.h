// One window's picture: a stack of layers composed bottom-up into the
// composition, the window's dynamic layers drawn over a copy of it (the
// frame), and the frame copied to the window's canvas. Transitions play
// here between the old frame and the new one.
#pragma once

#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "graphics/DynamicLayer.h"
#include "graphics/LasGraphic.h"
#include "graphics/LasLayer.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TLasScreen {
 public:
  TLasScreen();
  TLasScreen(const TLasScreen&) = delete;
  TLasScreen& operator=(const TLasScreen&) = delete;

  void Create(int width, int height);
  // The same, but the frame, the composition and the base picture are only
  // allocated when first needed (EnsureSurfaces): a window that is never
  // drawn costs no memory however large it is declared.
  void CreateDeferred(int width, int height);
  void EnsureSurfaces();
  // A new layer linked directly above layer, returned.
  TLasLayer* AddLayerAfter(TLasLayer* layer);
  TLasLayer* GetLayer(int index) const;
  int GetLayerCount() const;
  TLasLayer* GetTopLayer() const;
  TLasLayer* BaseLayer() const { return FBaseLayer; }

  void Compose();
  void UpdateFrame();
  void Paint();
  void DrawOnComposition(const TLasGraphic& graphic, int destX, int destY, int width, int height,
                         int srcX, int srcY);
  // Plays transition effectType between the current frame and a freshly
  // composed one inside the rectangle (0 or less: the whole frame).
  void Effect(int effectType, int x, int y, int width, int height, std::mt19937& random);

  TCanvas* Canvas = nullptr;
  // Drawn over the frame on the canvas at every paint, never into the frame
  // (the player's own marks and views, which the scenario does not see).
  std::function<void(TCanvas&)> PaintOverlay;
  TLasGraphic Frame;
  TLasGraphic Composition;
  TDynamicLayer DynamicLayers;
  bool InEffect = false;
  int Width = 0;
  int Height = 0;

 private:
  std::vector<std::unique_ptr<TLasLayer>> FLayers;  // owns every layer of the chain
  TLasLayer* FBaseLayer = nullptr;
  bool FSurfacesPending = false;
};

}  // namespace pelto5
