// One window's picture: a stack of layers composed bottom-up into the
// composition, the window's dynamic layers drawn over a copy of it (the
// frame), and the frame copied to the window's canvas. Transitions play
// here between the old frame and the new one.
#pragma once

#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "base/DirtyRegion.h"
#include "graphics/DynamicLayer.h"
#include "graphics/LasGraphic.h"
#include "graphics/LasLayer.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TFrameCheck;

// The screen keeps, from one frame to the next, where the composition, the
// frame and the canvas differ from what the layers and dynamic layers now
// say, and redraws only there: Compose compares every layer with what it
// showed at the last composition (place, view, visibility, picture
// version), UpdateFrame does the same for the dynamic layers, and Paint
// copies and presents only the changed rectangles. Whatever a screen cannot
// follow (a layer chain that is not covered by an opaque base picture, a
// surface or canvas that someone else drew on) is redrawn in full, so the
// pixels are always those of a full composition.
class TLasScreen {
 public:
  TLasScreen();
  ~TLasScreen();
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
  // Composes the visible layers into the composition inside rect only, as
  // Compose does where something changed.
  void ComposeArea(const TRect& rect);
  void UpdateFrame();
  void Paint();
  void DrawOnComposition(const TLasGraphic& graphic, int destX, int destY, int width, int height,
                         int srcX, int srcY);
  // Development check: every composition, frame and paint is also made in
  // full, as without the change tracking, and compared (see TFrameCheck).
  void SetFrameCheck(bool on);
  const TFrameCheck* FrameCheck() const { return FCheck.get(); }

  // Plays transition effectType between the current frame and a freshly
  // composed one inside the rectangle (0 or less: the whole frame).
  void Effect(int effectType, int x, int y, int width, int height, std::mt19937& random);

  TCanvas* Canvas = nullptr;
  // Drawn over the frame on the canvas at every paint, never into the frame
  // (the player's own marks and views, which the scenario does not see);
  // returns the rectangle of the canvas it drew on.
  std::function<TRect(TCanvas&)> PaintOverlay;
  TLasGraphic Frame;
  TLasGraphic Composition;
  TDynamicLayer DynamicLayers;
  bool InEffect = false;
  int Width = 0;
  int Height = 0;

 private:
  // What a layer showed at the last composition.
  struct TLayerShown {
    const TLasLayer* Layer = nullptr;
    bool Shown = false;
    TRect Area;  // the pixels of the composition it covers
    int FromX = 0;  // the picture's pixel at the area's top left corner
    int FromY = 0;
    uint64_t Version = 0;
    bool operator==(const TLayerShown&) const = default;
  };

  TLayerShown ShownNow(const TLasLayer& layer) const;
  // Whether the base layer alone paints every pixel of the composition, so
  // that a composition of a part equals that part of a full one.
  [[nodiscard]] bool BaseCoversComposition() const;
  // Adds to FComposeDirty what changed in the layers since the last
  // composition.
  void AddChangedLayers();
  void RememberLayers();
  void ComposeLayers(const TRect& rect);
  // Forgets all that was kept: the next composition, frame and paint are
  // made in full.
  void ForgetShown();

  std::vector<std::unique_ptr<TLasLayer>> FLayers;  // owns every layer of the chain
  TLasLayer* FBaseLayer = nullptr;
  bool FSurfacesPending = false;

  std::vector<TLayerShown> FLayersShown;
  TDirtyRegion FComposeDirty;  // the composition differs from the layers here
  TDirtyRegion FFrameDirty;    // the frame differs from the composition here
  TDirtyRegion FCanvasDirty;   // the canvas differs from the frame here
  bool FComposeAll = true;
  bool FFrameAll = true;
  bool FCanvasAll = true;
  uint64_t FCompositionVersion = 0;
  uint64_t FFrameVersion = 0;
  const TCanvas* FPaintedCanvas = nullptr;
  uint64_t FCanvasVersion = 0;
  TRect FOverlayArea;
  std::unique_ptr<TFrameCheck> FCheck;
};

}  // namespace pelto5
