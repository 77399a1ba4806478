#include "graphics/LasScreen.h"

#include "graphics/FrameCheck.h"
#include "graphics/TransitionEffects.h"
#include "platform/Platform.h"

namespace pelto5 {

TLasScreen::TLasScreen() { Create(10, 10); }

TLasScreen::~TLasScreen() = default;

void TLasScreen::Create(int width, int height) {
  CreateDeferred(width, height);
  EnsureSurfaces();
}

void TLasScreen::CreateDeferred(int width, int height) {
  FLayers.clear();
  FLayers.push_back(std::make_unique<TLasLayer>());
  FBaseLayer = FLayers.back().get();
  // A size a surface cannot hold is limited by the surface; the window
  // takes the size its pictures really have, so a header asking for an
  // enormous window never makes the canvas larger than the frame.
  TLasGraphic::ClampSize(width, height);
  Width = width;
  Height = height;
  Frame.SetSize(0, 0);
  Composition.SetSize(0, 0);
  FBaseLayer->Graphic.SetSize(0, 0);
  FBaseLayer->Width = Width;
  FBaseLayer->Height = Height;
  FBaseLayer->Visible = true;
  FSurfacesPending = true;
  DynamicLayers.Clear();
  Canvas = nullptr;
  InEffect = false;
  ForgetShown();
}

void TLasScreen::EnsureSurfaces() {
  if (!FSurfacesPending) return;
  FSurfacesPending = false;
  Frame.SetSize(Width, Height);
  Composition.SetSize(Width, Height);
  FBaseLayer->Graphic.SetSize(Width, Height);
  ForgetShown();
  if (FCheck) FCheck->Start(Composition, Frame);
}

void TLasScreen::ForgetShown() {
  FLayersShown.clear();
  FComposeDirty.SetBounds(Width, Height);
  FFrameDirty.SetBounds(Width, Height);
  FCanvasDirty.SetBounds(Width, Height);
  FComposeAll = FFrameAll = FCanvasAll = true;
  FPaintedCanvas = nullptr;
  FOverlayArea = {};
}

void TLasScreen::SetFrameCheck(bool on) {
  if (!on) {
    FCheck.reset();
    return;
  }
  if (!FCheck) FCheck = std::make_unique<TFrameCheck>();
  // The check starts from what the screen shows now.
  EnsureSurfaces();
  FCheck->Start(Composition, Frame);
}

TLasLayer* TLasScreen::AddLayerAfter(TLasLayer* layer) {
  if (!layer) return nullptr;
  FLayers.push_back(std::make_unique<TLasLayer>());
  TLasLayer* added = FLayers.back().get();
  added->LowerLayer = layer;
  added->UpperLayer = layer->UpperLayer;
  if (layer->UpperLayer) layer->UpperLayer->LowerLayer = added;
  layer->UpperLayer = added;
  return added;
}

TLasLayer* TLasScreen::GetLayer(int index) const {
  if (index < 0) return nullptr;
  TLasLayer* layer = FBaseLayer;
  for (int i = 0; layer && i < index; ++i) layer = layer->UpperLayer;
  return layer;
}

int TLasScreen::GetLayerCount() const { return static_cast<int>(FLayers.size()); }

TLasLayer* TLasScreen::GetTopLayer() const {
  TLasLayer* layer = FBaseLayer;
  while (layer && layer->UpperLayer) layer = layer->UpperLayer;
  return layer;
}

TLasScreen::TLayerShown TLasScreen::ShownNow(const TLasLayer& layer) const {
  TLayerShown shown;
  shown.Layer = &layer;
  if (!layer.Visible) return shown;
  // The area and the picture's pixel drawn at its corner decide the pixels.
  shown.Area = layer.Graphic.DrawArea(Composition, layer.Left, layer.Top, layer.Width, layer.Height,
                                      layer.ViewLeft, layer.ViewTop, &shown.FromX, &shown.FromY);
  shown.Shown = !shown.Area.IsEmpty();
  if (!shown.Shown) {
    shown.Area = {};
    shown.FromX = shown.FromY = 0;
    return shown;
  }
  shown.Version = layer.Graphic.Version();
  return shown;
}

bool TLasScreen::BaseCoversComposition() const {
  const TLasLayer& base = *FBaseLayer;
  if (!base.Visible || base.Graphic.HasAlpha()) return false;
  return ShownNow(base).Area == TRect{0, 0, Composition.Width(), Composition.Height()};
}

void TLasScreen::AddChangedLayers() {
  size_t index = 0;
  bool sameChain = true;
  for (const TLasLayer* layer = FBaseLayer; layer; layer = layer->UpperLayer, ++index) {
    const TLayerShown now = ShownNow(*layer);
    const bool known = sameChain && index < FLayersShown.size() && FLayersShown[index].Layer == layer;
    if (!known) {
      // A layer new in the chain moves every layer above it: all of them
      // count as changed.
      sameChain = false;
      if (now.Shown) FComposeDirty.Add(now.Area);
      continue;
    }
    const TLayerShown& before = FLayersShown[index];
    if (now == before) continue;
    if (before.Shown) FComposeDirty.Add(before.Area);
    if (now.Shown) FComposeDirty.Add(now.Area);
  }
  // Layers are never taken out of a chain, but a chain built anew may be
  // shorter.
  for (size_t i = index; i < FLayersShown.size(); ++i) {
    if (FLayersShown[i].Shown) FComposeDirty.Add(FLayersShown[i].Area);
  }
}

void TLasScreen::RememberLayers() {
  FLayersShown.clear();
  for (const TLasLayer* layer = FBaseLayer; layer; layer = layer->UpperLayer) {
    FLayersShown.push_back(ShownNow(*layer));
  }
}

void TLasScreen::ComposeArea(const TRect& rect) {
  EnsureSurfaces();
  const bool followed = Composition.Version() == FCompositionVersion;
  ComposeLayers(rect);
  FFrameDirty.Add(rect);
  if (followed) FCompositionVersion = Composition.Version();
}

void TLasScreen::ComposeLayers(const TRect& rect) {
  // A picture without alpha replaces what lies below it: composing starts
  // at the topmost such layer that covers the whole rectangle.
  const TLasLayer* first = FBaseLayer;
  for (const TLasLayer* layer = FBaseLayer; layer; layer = layer->UpperLayer) {
    if (!layer->Visible || layer->Graphic.HasAlpha()) continue;
    if (ShownNow(*layer).Area.Contains(rect)) first = layer;
  }
  for (const TLasLayer* layer = first; layer; layer = layer->UpperLayer) {
    if (!layer->Visible) continue;
    layer->Graphic.DrawTo(Composition, layer->Left, layer->Top, layer->Width, layer->Height, layer->ViewLeft,
                          layer->ViewTop, rect);
  }
}

void TLasScreen::Compose() {
  EnsureSurfaces();
  // A composition somebody else drew on, or one whose base picture leaves
  // pixels to what was there before, is composed in full: not cleared
  // first, as the full-size, opaque, always visible base layer covers it.
  if (FComposeAll || Composition.Version() != FCompositionVersion || !BaseCoversComposition()) {
    ComposeLayers(TRect{0, 0, Composition.Width(), Composition.Height()});
    FFrameDirty.AddAll();
  } else {
    AddChangedLayers();
    for (const TRect& r : FComposeDirty.Rects()) ComposeLayers(r);
    FFrameDirty.AddRegion(FComposeDirty);
  }
  FComposeDirty.SetBounds(Composition.Width(), Composition.Height());
  FComposeAll = false;
  RememberLayers();
  FCompositionVersion = Composition.Version();
  if (FCheck) FCheck->Composed(*this);
  UpdateFrame();
}

void TLasScreen::UpdateFrame() {
  EnsureSurfaces();
  const bool plainCopy = Frame.Width() == Composition.Width() && Frame.Height() == Composition.Height() &&
                         !Frame.HasAlpha() && !Composition.HasAlpha() &&
                         Frame.AlphaType() == TAlphaType::None && Composition.AlphaType() == TAlphaType::None;
  const bool full = FFrameAll || !plainCopy || Frame.Version() != FFrameVersion;
  if (full) {
    Frame.Assign(Composition);
    FFrameDirty.SetBounds(Frame.Width(), Frame.Height());
    FFrameDirty.AddAll();
    FCanvasDirty.SetBounds(Frame.Width(), Frame.Height());
  } else {
    DynamicLayers.AddChangedAreas(Frame, FFrameDirty);
  }
  // Rectangle by rectangle, so that where two overlap the second pass
  // starts again from the composition: a translucent entry is never drawn
  // twice over itself.
  for (const TRect& r : FFrameDirty.Rects()) {
    if (!full) Composition.CopyRectTo(Frame, r);
    DynamicLayers.DrawWithin(Frame, r);
  }
  DynamicLayers.RememberShown(Frame);
  FCanvasDirty.AddRegion(FFrameDirty);
  FFrameDirty.Clear();
  FFrameAll = false;
  FFrameVersion = Frame.Version();
  if (FCheck) FCheck->FrameUpdated(*this);
}

void TLasScreen::Paint() {
  if (!Canvas || InEffect) return;
  EnsureSurfaces();
  TCanvas& canvas = *Canvas;
  // The canvas keeps the frame outside the changed rectangles, unless it
  // is another canvas than last time, or something else drew on it.
  const bool full = FCanvasAll || Canvas != FPaintedCanvas || canvas.Version() != FCanvasVersion;
  TDirtyRegion copy;
  copy.SetBounds(canvas.Width(), canvas.Height());
  if (full) {
    copy.AddAll();
  } else {
    copy.AddRegion(FCanvasDirty);
    // The overlay drew over the frame last time: the frame comes back there.
    copy.Add(FOverlayArea);
  }
  for (const TRect& r : copy.Rects()) Frame.DrawToCanvas(canvas, 0, 0, r);
  const TRect overlay = PaintOverlay ? PaintOverlay(canvas) : TRect{};
  FCanvasDirty.Clear();
  FCanvasAll = false;
  FPaintedCanvas = Canvas;
  FOverlayArea = overlay;
  FCanvasVersion = canvas.Version();
  if (full) {
    Platform().Present();
  } else {
    copy.Add(overlay);
    Platform().PresentRects(copy.Rects());
  }
  if (FCheck) FCheck->Painted(*this, canvas, full ? nullptr : &copy);
}

void TLasScreen::DrawOnComposition(const TLasGraphic& graphic, int destX, int destY, int width,
                                   int height, int srcX, int srcY) {
  EnsureSurfaces();
  const bool followed = Composition.Version() == FCompositionVersion;
  const TRect area = graphic.DrawArea(Composition, destX, destY, width, height, srcX, srcY);
  graphic.DrawTo(Composition, destX, destY, width, height, srcX, srcY);
  // The composition no longer shows the layers there: the next frame takes
  // the new pixels, the next composition puts the layers back.
  FComposeDirty.Add(area);
  FFrameDirty.Add(area);
  if (followed) FCompositionVersion = Composition.Version();
  if (FCheck) FCheck->DrewOnComposition(graphic, destX, destY, width, height, srcX, srcY);
}

void TLasScreen::Effect(int effectType, int x, int y, int width, int height, std::mt19937& random) {
  if (!Canvas) return;
  EnsureSurfaces();
  if (width <= 0) width = Frame.Width();
  if (height <= 0) height = Frame.Height();
  TLasGraphic old;
  old.Assign(Frame);
  Compose();
  Platform().ProcessMessages();
  InEffect = true;
  TTransitionEffects effects(*Canvas, random);
  effects.Run(effectType, old, Frame, x, y, width, height);
  InEffect = false;
  // The transition painted the whole canvas in its own frames.
  FCanvasAll = true;
}

}  // namespace pelto5
