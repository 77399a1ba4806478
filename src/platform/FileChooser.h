// The desktop's own file chooser, run as a child process: zenity (GNOME
// and most other desktops), or kdialog (KDE, tried first there); on Windows
// the system's Open dialog. SDL 2 has no file chooser of its own.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace pelto5 {

class TFileChooser {
 public:
  // A named choice of file patterns ("*.pp5"), UTF-8.
  struct TFilter {
    std::string Name;
    std::vector<std::string> Patterns;
  };

  // Asks for one existing file (title UTF-8); its path in path. Unavailable
  // when no chooser program is installed or none could be shown.
  [[nodiscard]] static TChooseResult Choose(const std::string& title, const std::vector<TFilter>& filters,
                                            std::string& path);
};

}  // namespace pelto5
