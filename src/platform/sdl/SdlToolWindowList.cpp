#include "platform/sdl/SdlToolWindowList.h"

#include <algorithm>

#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlTicks.h"
#include "platform/sdl/SdlToolWindow.h"

namespace pelto5 {

namespace {

// Tool windows are painted at most this often while steps run back to back.
constexpr uint32_t kPaintInterval = 20;

// The window an event belongs to, for window and input events.
uint32_t EventWindow(const SDL_Event& event) {
  return event.type == SDL_WINDOWEVENT ? event.window.windowID : InputEventWindow(event);
}

}  // namespace

void TSdlToolWindowList::Add(TSdlToolWindow* window, bool suspended) {
  FWindows.push_back(window);
  if (suspended) window->SetSuspended(true);
}

void TSdlToolWindowList::Remove(TSdlToolWindow* window) { std::erase(FWindows, window); }

void TSdlToolWindowList::Paint(bool throttled) {
  const uint32_t now = SDL_GetTicks();
  if (throttled && !TickReached(now, FLastPaint + kPaintInterval)) return;
  FLastPaint = now;
  for (TSdlToolWindow* window : FWindows) window->PaintIfInvalid();
}

bool TSdlToolWindowList::Dispatch(const SDL_Event& event, bool inputAllowed) {
  if (event.type != SDL_WINDOWEVENT && !IsInputEvent(event.type)) return false;
  TSdlToolWindow* window = WindowOf(EventWindow(event));
  if (!window) return false;
  window->HandleEvent(event, inputAllowed);
  return true;
}

void TSdlToolWindowList::SetSuspended(bool suspended) {
  for (TSdlToolWindow* window : FWindows) window->SetSuspended(suspended);
}

void TSdlToolWindowList::DeviceReset() {
  for (TSdlToolWindow* window : FWindows) window->DeviceReset();
}

TSdlToolWindow* TSdlToolWindowList::WindowOf(uint32_t windowId) const {
  if (windowId == 0) return nullptr;
  for (TSdlToolWindow* window : FWindows) {
    if (window->Id() == windowId) return window;
  }
  return nullptr;
}

}  // namespace pelto5
