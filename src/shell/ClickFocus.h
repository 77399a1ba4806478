// Play without a mouse: a focus that Tab, the arrow keys or a game
// controller's D-pad move over the areas a click could reach in the
// current wait (choices and clickable layers, in the order they were made),
// and that Enter, Space or the controller's A button clicks. Nothing has
// the focus until it is first moved. The focus is the player's own: it
// never sets an area's hover state, and its ring is drawn over the
// window's picture only, never into the screen the scenario composes or
// saves.
#pragma once

#include <vector>

#include "base/Rect.h"
#include "graphics/DynamicLayer.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;

class TClickFocus {
 public:
  static constexpr int kRingWidth = 2;
  static constexpr uint32_t kRingColor = 0x00FFC800u;  // 0x00RRGGBB: amber
  static constexpr uint32_t kRingEdgeColor = 0x00000000u;

  TClickFocus(TPeltoAccessControl& access, TScreenControl& screen);

  // Moves the focus step areas on (negative: back), wrapping round; the
  // first move focuses the first area (or the last, going back). False
  // when no area can be clicked now.
  bool Move(int step);
  // The focused area's click, as a mouse click on it would take it; not
  // found when nothing (still clickable) has the focus. The focus is gone
  // afterwards.
  TDynamicClick TakeClick();
  // The focused area's rectangle on the screen; empty when none.
  TRect FocusedArea() const;
  void Clear() { FFocused = nullptr; }
  // Draws the ring around the focused area; returns the canvas it drew on.
  TRect Draw(TCanvas& canvas) const;

 private:
  // The areas a click could reach now, oldest first; none outside a wait.
  std::vector<const TDynamicLayerList*> Clickable() const;
  // The focused entry when it is still one of Clickable(), else null.
  const TDynamicLayerList* Focused() const;
  TDynamicLayer* Layers() const;

  TPeltoAccessControl& FAccess;
  TScreenControl& FScreen;
  // Compared only, never followed unless it is found among the entries.
  const TDynamicLayerList* FFocused = nullptr;
};

}  // namespace pelto5
