#include "shell/ClickFocus.h"

#include <algorithm>

#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/ScreenControl.h"

namespace pelto5 {

namespace {

// Fills the part of rect that lies on the canvas.
void FillOnCanvas(TCanvas& canvas, const TRect& rect, uint32_t color) {
  const TRect r = IntersectRect(rect, TRect{0, 0, canvas.Width(), canvas.Height()});
  for (int y = r.Top; y < r.Bottom(); ++y) std::fill_n(canvas.Row(y) + r.Left, r.Width, color);
}

// A frame of the given thickness just outside area.
void DrawFrame(TCanvas& canvas, const TRect& area, int thickness, uint32_t color) {
  const int left = area.Left - thickness;
  const int top = area.Top - thickness;
  const int width = area.Width + 2 * thickness;
  FillOnCanvas(canvas, {left, top, width, thickness}, color);
  FillOnCanvas(canvas, {left, area.Top + area.Height, width, thickness}, color);
  FillOnCanvas(canvas, {left, area.Top, thickness, area.Height}, color);
  FillOnCanvas(canvas, {area.Left + area.Width, area.Top, thickness, area.Height}, color);
}

}  // namespace

TClickFocus::TClickFocus(TPeltoAccessControl& access, TScreenControl& screen) : FAccess(access), FScreen(screen) {}

TDynamicLayer* TClickFocus::Layers() const {
  TWindowRecord* main = FScreen.GetWindow(0);
  return main && main->Screen ? &main->Screen->DynamicLayers : nullptr;
}

std::vector<const TDynamicLayerList*> TClickFocus::Clickable() const {
  const TDynamicLayer* layers = Layers();
  const int mode = FAccess.Process().GetClickMode();
  if (!layers || mode == 0) return {};
  return layers->Clickable(mode == 2);
}

const TDynamicLayerList* TClickFocus::Focused() const {
  if (!FFocused) return nullptr;
  const std::vector<const TDynamicLayerList*> entries = Clickable();
  return std::find(entries.begin(), entries.end(), FFocused) != entries.end() ? FFocused : nullptr;
}

bool TClickFocus::Move(int step) {
  const std::vector<const TDynamicLayerList*> entries = Clickable();
  if (entries.empty()) {
    FFocused = nullptr;
    return false;
  }
  const int count = static_cast<int>(entries.size());
  const auto at = std::find(entries.begin(), entries.end(), Focused());
  int index = 0;
  if (at == entries.end()) {
    index = step >= 0 ? 0 : count - 1;
  } else {
    index = (static_cast<int>(at - entries.begin()) + step % count + count) % count;
  }
  FFocused = entries[static_cast<size_t>(index)];
  return true;
}

TDynamicClick TClickFocus::TakeClick() {
  const TDynamicLayerList* focused = Focused();
  FFocused = nullptr;
  TDynamicLayer* layers = Layers();
  if (!focused || !layers) return {};
  return layers->TakeClickOf(focused);
}

TRect TClickFocus::FocusedArea() const {
  const TDynamicLayerList* focused = Focused();
  if (!focused) return {};
  return {focused->AreaLeft, focused->AreaTop, focused->AreaWidth, focused->AreaHeight};
}

TRect TClickFocus::Draw(TCanvas& canvas) const {
  const TRect area = FocusedArea();
  if (area.IsEmpty()) return {};
  // A dark edge on both sides keeps the ring visible on any picture.
  DrawFrame(canvas, area, kRingWidth + 2, kRingEdgeColor);
  const TRect inner{area.Left - 1, area.Top - 1, area.Width + 2, area.Height + 2};
  DrawFrame(canvas, inner, kRingWidth, kRingColor);
  const int outside = kRingWidth + 2;
  return IntersectRect({area.Left - outside, area.Top - outside, area.Width + 2 * outside, area.Height + 2 * outside},
                       {0, 0, canvas.Width(), canvas.Height()});
}

}  // namespace pelto5
