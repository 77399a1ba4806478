// How SDL's input events are read: the Windows virtual-key code of a key,
// the mouse button, which events are input and the window they belong to.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/Platform.h"

namespace pelto5 {

// The Windows virtual-key code for an SDL key (keycode first, then the
// physical key for letters and digits on non-Latin layouts); 0 for keys
// without one.
int VirtualKeyFromSdl(int32_t keycode, int scancode);
// Keyboard, text and mouse events.
[[nodiscard]] bool IsInputEvent(uint32_t type);
// The window an input event is addressed to (0 for other events).
uint32_t InputEventWindow(const SDL_Event& event);
// The engine's button for an SDL button; false for other buttons.
[[nodiscard]] bool MouseButtonFromSdl(uint8_t sdlButton, TMouseButton& button);

}  // namespace pelto5
