#include "platform/web/WebInput.h"

#include <emscripten/emscripten.h>
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
  static_cast<void>(platform.QueueEvent(event));  // dropped while a dialog is up
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
      static_cast<void>(platform.QueueEvent(event));  // dropped while a dialog is up
    }
    return EM_TRUE;
  }
  event.Kind = type == EMSCRIPTEN_EVENT_KEYDOWN ? TWebEvent::TKind::KeyDown : TWebEvent::TKind::KeyUp;
  event.Key = key;
  // While a dialog of the page is up, its fields get the keys.
  return platform.QueueEvent(event) && KeepFromBrowser(key) ? EM_TRUE : EM_FALSE;
}

// The platform the page's own controls (touch, the reader bar) queue on.
TWebPlatform* gPagePlatform = nullptr;

}  // namespace

// Input made by the page's script rather than by a DOM event the engine
// listens to: the touch gestures and the reader bar. Each returns 1 when
// the event was queued, 0 when it was dropped (a dialog is up, the player
// has ended).
extern "C" {

// kind 0 moves the pointer, 1 presses button (0 left, 1 middle, 2 right),
// 2 releases it, 3 turns the wheel by button notches (positive up); x, y
// are CSS pixels from the canvas's top-left, as a mouse event's.
EMSCRIPTEN_KEEPALIVE int pelto5_web_pointer(int kind, int button, double cssX, double cssY) {
  if (!gPagePlatform || kind < 0 || kind > 3) return 0;
  TWebEvent event;
  ToPicture(*gPagePlatform, static_cast<long>(cssX), static_cast<long>(cssY), event.X, event.Y);
  switch (kind) {
    case 0: event.Kind = TWebEvent::TKind::MouseMove; break;
    case 1:
    case 2:
      if (button < 0 || !ButtonOf(static_cast<unsigned short>(button), event.Button)) return 0;
      event.Kind = kind == 1 ? TWebEvent::TKind::MouseDown : TWebEvent::TKind::MouseUp;
      break;
    default:
      if (button == 0) return 0;
      event.Kind = TWebEvent::TKind::Wheel;
      event.Delta = button > 0 ? 1 : -1;
      break;
  }
  return gPagePlatform->QueueEvent(event) ? 1 : 0;
}

// A key (Windows virtual-key code) pressed (down 1) or released (down 0).
EMSCRIPTEN_KEEPALIVE int pelto5_web_key(int down, int key) {
  if (!gPagePlatform || key <= 0 || key > 255) return 0;
  TWebEvent event;
  event.Kind = down ? TWebEvent::TKind::KeyDown : TWebEvent::TKind::KeyUp;
  event.Key = key;
  return gPagePlatform->QueueEvent(event) ? 1 : 0;
}

}  // extern "C"

void ListenToPage(TWebPlatform& platform) {
  gPagePlatform = &platform;
  void* self = &platform;
  emscripten_set_mousedown_callback(kWebCanvasSelector, self, EM_FALSE, OnMouse);
  emscripten_set_mouseup_callback(kWebCanvasSelector, self, EM_FALSE, OnMouse);
  emscripten_set_mousemove_callback(kWebCanvasSelector, self, EM_FALSE, OnMouse);
  emscripten_set_wheel_callback(kWebCanvasSelector, self, EM_FALSE, OnWheel);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, self, EM_FALSE, OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, self, EM_FALSE, OnKey);
}

void StopListeningToPage(TWebPlatform& platform) {
  if (gPagePlatform == &platform) gPagePlatform = nullptr;
}

}  // namespace pelto5
