// The language the system shows its own user interface in, for a system
// whose users set no locale variables (Windows).
#pragma once

namespace pelto5 {

// True when that language is Japanese; false elsewhere and where unknown.
bool SystemLanguageIsJapanese();

}  // namespace pelto5
