// The message box and the text-input dialog, drawn by the page in HTML
// over the game. Both are modal for the engine: the call returns when the
// player has answered, while the browser goes on running the page.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace pelto5 {

// Texts are UTF-8.
TMessageResult ShowWebMessageBox(const std::string& title, const std::string& text, TMessageIcon icon,
                                 TMessageButtons buttons);
// True on OK with the text in value; false on Cancel, value unchanged.
[[nodiscard]] bool RunWebInputQuery(const std::string& caption, const std::string& prompt,
                                    std::string& value);

}  // namespace pelto5
