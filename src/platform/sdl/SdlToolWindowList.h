// The tool windows the SDL backend has open, in creation order: paints them
// when they asked for it, hands them the events addressed to them, and
// hides them while the main window is full screen.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace pelto5 {

class TSdlToolWindow;

class TSdlToolWindowList {
 public:
  // A window is listed from its creation to its destruction (its owner is
  // whoever created it). One created while full screen starts suspended.
  void Add(TSdlToolWindow* window, bool suspended);
  void Remove(TSdlToolWindow* window);

  // Paints the windows that asked for it. Throttled (steps running back
  // to back), not more often than every few tens of milliseconds.
  void Paint(bool throttled);
  // Gives a window event or input event to the tool window it belongs to;
  // false when it is none of theirs. Input is dropped unless inputAllowed.
  [[nodiscard]] bool Dispatch(const SDL_Event& event, bool inputAllowed);
  void SetSuspended(bool suspended);
  // The render device was reset: every window's texture is gone.
  void DeviceReset();

 private:
  TSdlToolWindow* WindowOf(uint32_t windowId) const;

  std::vector<TSdlToolWindow*> FWindows;
  uint32_t FLastPaint = 0;
};

}  // namespace pelto5
