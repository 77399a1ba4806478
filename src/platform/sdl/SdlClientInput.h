// Mouse, wheel and key events of the main window handed to the platform's
// client, with pointer positions in picture pixels.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/Letterbox.h"
#include "platform/Platform.h"

namespace pelto5 {

// A pointer event's position turned into picture pixels in place; box is
// where the picture lies in the window.
void MapPointerToPicture(SDL_Event& event, const TLetterbox& box);

// Gives the client a mouse button, motion, wheel or key event of the main
// window (mainWindowId). Alt+Enter asks for full screen instead of being a
// key. Events of other windows and other kinds are dropped.
void DeliverInput(const SDL_Event& event, uint32_t mainWindowId, const TLetterbox& box,
                  TPlatformClient& client);

}  // namespace pelto5
