// The modal message boxes of the SDL backend.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/Platform.h"

namespace pelto5 {

// Shows a modal box (text and caption in Shift-JIS) over parent (may be
// null) and returns the button chosen. Input that reached any window of
// ours while the box was up is dropped: the box stood in front of it.
// Without a display the text goes to standard error and the default
// button answers.
TMessageResult ShowSdlMessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons,
                                 const std::string& caption, SDL_Window* parent, bool videoStarted);

}  // namespace pelto5
