// The folder of one game's saves under the user's data folder
// ($XDG_DATA_HOME/pelto5/NAME/), used when the game's own data directory
// cannot be written.
//
// NAME tells games apart. It is the content's file name without its
// extension, except for a game folder's standard script "pelto.pf5", which
// every such game shares: there it is the name of the game's folder. Each
// folder holds a marker file naming the content it belongs to; when NAME is
// already taken by another content, the game gets NAME-XXXXXXXX instead,
// XXXXXXXX a hash of its absolute path, so the choice is the same on every
// run. A folder without a marker that holds files was made by an older
// player, which named it after the content's file name: it belongs to the
// content of that file name, which marks it as its own.
//
// Older players put the saves of every "pelto.pf5" game into
// $XDG_DATA_HOME/pelto5/pelto/. When a game's folder is made new and such an
// unmarked old folder of its old name exists, the marker records it and
// reads fall back to it from then on, so no save made before is lost.
#pragma once

#include <string>

namespace pelto5 {

class TUserSaveFolder {
 public:
  // The marker file in each folder: "content=PATH" and, for a folder that
  // took over from an old one, "legacy=FOLDER".
  static constexpr const char* kMarkerName = ".pelto5-content";

  // Finds (or makes, with its marker) the folder of the content at
  // contentPath under root (native, ending in "/", made when missing).
  void Claim(const std::string& root, const std::string& contentPath);

  // The folder, native, ending in "/" (even when it could not be made).
  const std::string& Directory() const { return FDirectory; }
  // The older player's folder reads fall back to; "" when there is none.
  const std::string& LegacyDirectory() const { return FLegacyDirectory; }

  // NAME for the content at an absolute path, made usable as a folder name.
  static std::string GameName(const std::string& contentPath);
  // The name an older player gave the folder: the file name without its
  // extension.
  static std::string LegacyName(const std::string& contentPath);
  // Eight hexadecimal digits (FNV-1a, 32 bits) of text.
  static std::string ShortHash(const std::string& text);

 private:
  std::string FDirectory;
  std::string FLegacyDirectory;
};

}  // namespace pelto5
