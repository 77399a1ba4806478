#include "platform/SystemLanguage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace pelto5 {

bool SystemLanguageIsJapanese() {
#ifdef _WIN32
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
#else
  return false;
#endif
}

}  // namespace pelto5
