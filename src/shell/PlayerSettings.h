// The player's own settings, kept for the reader whatever game is played
// (never in a game's settings or saves): $XDG_CONFIG_HOME/pelto5/player.ini
// (default ~/.config/pelto5/player.ini), key=value lines. It is written
// only when the reader changes a setting.
#pragma once

#include <string>

namespace pelto5 {

class TPlayerSettings {
 public:
  bool SelfVoicing = false;

  // The file's path; "" when there is no folder for it.
  static std::string Path();
  // Reads the file; a missing or unreadable file leaves the defaults.
  void Load();
  // Writes the file (with its folder); false when it could not be written.
  [[nodiscard]] bool Save() const;
};

}  // namespace pelto5
