// The application cursors the SDL backend draws itself.
#pragma once

#include <SDL.h>

namespace pelto5 {

// The select cursor shown over active clickable layers (a pointing hand);
// the system's hand cursor where a drawn one cannot be made.
SDL_Cursor* MakeSelectCursor();

}  // namespace pelto5
