// Font files from one folder, for a build without a font configuration (the
// browser build ships its faces beside the page). Every face of every
// TrueType/OpenType file in the folder is listed once, by all the family
// names its name table gives (so "IPAGothic" and its Japanese name both
// find it), with its style and whether it covers Japanese.
#pragma once

#include <string>
#include <vector>

#include "platform/fonts/FaceLocator.h"

namespace pelto5 {

class TFontFolderLocator : public TFaceLocator {
 public:
  explicit TFontFolderLocator(std::string folder);
  bool FamilyInstalled(const std::string& family) override;
  bool Match(const TFaceQuery& query, TFaceFile& face) override;

 private:
  struct TEntry {
    TFaceFile File;
    std::vector<std::string> Families;  // folded for comparison
    bool Bold = false;
    bool Italic = false;
    bool Japanese = false;
  };
  void Scan();
  const TEntry* Find(const TFaceQuery& query) const;

  std::string FFolder;
  bool FScanned = false;
  std::vector<TEntry> FEntries;
};

}  // namespace pelto5
