#include "graphics/LasScreen.h"

#include "graphics/TransitionEffects.h"
#include "platform/Platform.h"

namespace pelto5 {

TLasScreen::TLasScreen() { Create(10, 10); }

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
}

void TLasScreen::EnsureSurfaces() {
  if (!FSurfacesPending) return;
  FSurfacesPending = false;
  Frame.SetSize(Width, Height);
  Composition.SetSize(Width, Height);
  FBaseLayer->Graphic.SetSize(Width, Height);
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

void TLasScreen::Compose() {
  EnsureSurfaces();
  // Not cleared first: the full-size, opaque, always visible base layer
  // covers the composition.
  GetTopLayer()->ComposeTo(Composition);
  UpdateFrame();
}

void TLasScreen::UpdateFrame() {
  EnsureSurfaces();
  Frame.Assign(Composition);
  DynamicLayers.DrawTo(Frame);
}

void TLasScreen::Paint() {
  if (!Canvas || InEffect) return;
  EnsureSurfaces();
  Frame.DrawToCanvas(*Canvas, 0, 0);
  if (PaintOverlay) PaintOverlay(*Canvas);
  Platform().Present();
}

void TLasScreen::DrawOnComposition(const TLasGraphic& graphic, int destX, int destY, int width,
                                   int height, int srcX, int srcY) {
  EnsureSurfaces();
  graphic.DrawTo(Composition, destX, destY, width, height, srcX, srcY);
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
}

}  // namespace pelto5
