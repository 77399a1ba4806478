// The names of a game controller's buttons, as SDL spells them: the
// headless events file reads them and a recording writes them.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace pelto5 {

// SDL's name of a button ("a", "leftshoulder", "dpup", ...).
const char* PadButtonName(TPadButton button);
// The button of such a name; false if there is none.
bool PadButtonFromName(const std::string& name, TPadButton& button);

}  // namespace pelto5
