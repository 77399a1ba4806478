#include "platform/web/WebInput.h"

#include <emscripten/html5.h>

#include "platform/Letterbox.h"
#include "platform/web/WebPlatform.h"

namespace pelto5 {

namespace {

constexpr int kVkReturn = 13;

TWebPlatform& PlatformOf(void* userData) { return *static_cast<TWebPlatform*>(userData); }

// A point of the canvas element (CSS pixels from its top-left) to the
// picture pixel under it. The element may be scaled, and in full screen the
// picture is letterboxed inside it.
void ToPicture(const TWebPlatform& platform, long cssX, long cssY, int& x, int& y) {
  double cssWidth = 0;
  double cssHeight = 0;
  emscripten_get_element_css_size(kWebCanvasSelector, &cssWidth, &cssHeight);
  const int outputWidth = cssWidth >= 1 ? static_cast<int>(cssWidth + 0.5) : platform.ClientWidth();
  const int outputHeight = cssHeight >= 1 ? static_cast<int>(cssHeight + 0.5) : platform.ClientHeight();
  TLetterbox::Fit(platform.ClientWidth(), platform.ClientHeight(), outputWidth, outputHeight)
      .ToPicture(static_cast<int>(cssX), static_cast<int>(cssY), x, y);
}

bool ButtonOf(unsigned short domButton, TMouseButton& button) {
  switch (domButton) {
    case 0: button = TMouseButton::Left; return true;
    case 1: button = TMouseButton::Middle; return true;
    case 2: button = TMouseButton::Right; return true;
    default: return false;
  }
}

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* e, void* userData) {
  TWebPlatform& platform = PlatformOf(userData);
  TWebEvent event;
  ToPicture(platform, e->targetX, e->targetY, event.X, event.Y);
  if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
    event.Kind = TWebEvent::TKind::MouseMove;
  } else {
    if (!ButtonOf(e->button, event.Button)) return EM_FALSE;
    event.Kind = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? TWebEvent::TKind::MouseDown : TWebEvent::TKind::MouseUp;
  }
  if (!platform.QueueEvent(event)) return EM_FALSE;
  // The page keeps its own handling of moves; a press must not start a
  // text selection or drag of the canvas.
  return type == EMSCRIPTEN_EVENT_MOUSEMOVE ? EM_FALSE : EM_TRUE;
}

EM_BOOL OnWheel(int, const EmscriptenWheelEvent* e, void* userData) {
  TWebPlatform& platform = PlatformOf(userData);
  if (e->deltaY == 0) return EM_FALSE;
  TWebEvent event;
  event.Kind = TWebEvent::TKind::Wheel;
  // The page's wheel is positive towards the user; the engine's notches
  // are positive away from the user.
  event.Delta = e->deltaY < 0 ? 1 : -1;
  ToPicture(platform, e->mouse.targetX, e->mouse.targetY, event.X, event.Y);
  platform.QueueEvent(event);
  return EM_TRUE;
}

// Keys whose default action in the browser would get in the game's way
// (scrolling with space and the cursor keys, the page keys).
bool KeepFromBrowser(int key) { return key == 32 || (key >= 33 && key <= 40) || key == kVkReturn; }

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void* userData) {
  TWebPlatform& platform = PlatformOf(userData);
  // The page's keyCode is the Windows virtual-key code for the keys the
  // engine looks at (letters, digits, Enter, Escape, space, Shift, Ctrl,
  // Alt, the page and cursor keys, the function keys).
  const int key = static_cast<int>(e->keyCode);
  if (key <= 0 || key > 255) return EM_FALSE;
  TWebEvent event;
  if (key == kVkReturn && e->altKey) {
    // Alt+Enter switches full screen; the script sees no Enter.
    if (type == EMSCRIPTEN_EVENT_KEYDOWN && !e->repeat) {
      event.Kind = TWebEvent::TKind::ToggleFullScreen;
      platform.QueueEvent(event);
    }
    return EM_TRUE;
  }
  event.Kind = type == EMSCRIPTEN_EVENT_KEYDOWN ? TWebEvent::TKind::KeyDown : TWebEvent::TKind::KeyUp;
  event.Key = key;
  // While a dialog of the page is up, its fields get the keys.
  return platform.QueueEvent(event) && KeepFromBrowser(key) ? EM_TRUE : EM_FALSE;
}

}  // namespace

void ListenToPage(TWebPlatform& platform) {
  void* self = &platform;
  emscripten_set_mousedown_callback(kWebCanvasSelector, self, EM_FALSE, OnMouse);
  emscripten_set_mouseup_callback(kWebCanvasSelector, self, EM_FALSE, OnMouse);
  emscripten_set_mousemove_callback(kWebCanvasSelector, self, EM_FALSE, OnMouse);
  emscripten_set_wheel_callback(kWebCanvasSelector, self, EM_FALSE, OnWheel);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, self, EM_FALSE, OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, self, EM_FALSE, OnKey);
}

}  // namespace pelto5
