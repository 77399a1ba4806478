// Folders of the user and the machine that the player writes into or reads
// its installed files from: the user's data folder for saves of content
// that lives where nobody may write, and the writability test that decides
// when it is needed.
#pragma once

#include <string>

namespace pelto5 {

class TUserFolders {
 public:
  // $XDG_DATA_HOME, else $HOME/.local/share, without a trailing "/"; "" when
  // neither gives an absolute path. Relative values are ignored, as the
  // base-directory rules of the desktop ask.
  static std::string DataHome();
  // $XDG_CONFIG_HOME, else $HOME/.config, by the same rules.
  static std::string ConfigHome();
  // True when files can be created in directory. A directory that does not
  // exist yet counts as writable when its nearest existing parent is, since
  // it can then be created there.
  [[nodiscard]] static bool IsWritableDirectory(const std::string& directory);
  // Creates directory with every missing parent; true if it exists afterwards.
  static bool CreateDirectories(const std::string& directory);
  // The folder of installed shared data ("share/pelto5/" with a trailing
  // "/"), beside the executable's "bin/": <exe folder>/../share/pelto5/.
  static std::string InstalledDataBesideExecutable();
  // The image plug-in folder of an install whose bin/ holds this player
  // (PREFIX/lib/.../pelto5/plugins/), "" when unknown.
  static std::string InstalledPlugInsBesideExecutable();
  // The same folder as the build configured it ("" when not configured).
  static std::string ConfiguredDataDirectory();
};

}  // namespace pelto5
