// Where state saves, value files and the settings file go. Normally that is
// the content's data directory. When the data directory cannot be written
// (content on a mounted disc image, a system-wide install) they go to the
// game's folder in the user's data folder, $XDG_DATA_HOME/pelto5/NAME/ (see
// TUserSaveFolder), made without asking; --save-dir names the folder
// explicitly, and one that cannot be written is refused in favour of the
// user's folder. Reads look in the save folder first, then in the folder an
// older player used for the game, then in the data directory, so saves
// that came with a copied game folder still load.
#pragma once

#include <string>

namespace pelto5 {

class TSaveLocation {
 public:
  // dataDirectory: native, ending in "/". contentPath: the content's native
  // path. explicitDirectory: --save-dir ("" when not given). userDataHome:
  // the user's data folder (see TUserFolders). dataWritable: whether the
  // data directory can be written.
  void Choose(const std::string& dataDirectory, const std::string& contentPath,
              const std::string& explicitDirectory, const std::string& userDataHome, bool dataWritable);
  // The same, with the user's data folder and the writability of this machine.
  void Choose(const std::string& dataDirectory, const std::string& contentPath,
              const std::string& explicitDirectory);

  // Saves in the data directory itself, whatever its state.
  void UseDataDirectory(const std::string& dataDirectory) { Choose(dataDirectory, "", "", "", true); }

  // The folder saves are written to, native, ending in "/" ("" before
  // Choose or when no folder could be found).
  const std::string& SaveDirectory() const { return FSaveDirectory; }
  // True when saves go somewhere other than the data directory.
  [[nodiscard]] bool Redirected() const { return FSaveDirectory != FDataDirectory; }
  // The explicit folder when it could not be made or written, so that the
  // saves went elsewhere (native, ending in "/"); "" otherwise.
  const std::string& RefusedDirectory() const { return FRefusedDirectory; }

  // Native path to write the file named by a script (Shift-JIS, "\" or
  // "/" separated) to; "" for a refused name or without a save folder.
  std::string WritePath(const std::string& sjisName) const;
  // Native path to read it from: the save folder's file when it exists,
  // else the older player's folder's, else the data directory's, else the
  // write path.
  std::string ReadPath(const std::string& sjisName) const;
  // Makes sure a file that is about to be appended to exists in the save
  // folder: one that only the data directory has is copied over first, so
  // its values survive. False when that copy failed.
  [[nodiscard]] bool PrepareAppend(const std::string& sjisName) const;

 private:
  std::string FDataDirectory;
  std::string FSaveDirectory;
  std::string FLegacyDirectory;
  std::string FRefusedDirectory;
};

}  // namespace pelto5
