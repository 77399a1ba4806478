// The modal message boxes of the SDL backend: a window of their own, drawn
// by TSdlMessageDialog with the player's own fonts, in front of the main
// window and modal for it.
#pragma once

#include <SDL.h>

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace pelto5 {

// Handles an event that is not the box's while the box is up (the windows
// behind it repaint; their input is dropped). True when the application is
// to end: the box then closes with its cancel answer.
using TBehindBox = std::function<bool(const SDL_Event&)>;

// Shows a modal box (text and caption in Shift-JIS) over parent (null when
// the main window is not shown yet: the box stands alone, centred on the
// display) and returns the answer. Key presses reach the box whichever of
// our windows has the focus; the key that answered is put in endingKey.
// Without a display, or when no window can be made, the text goes to
// standard error and the box's default button answers.
TMessageResult ShowSdlMessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons,
                                 const std::string& caption, SDL_Window* parent, bool videoStarted,
                                 const TBehindBox& behind, SDL_Scancode& endingKey);

}  // namespace pelto5
