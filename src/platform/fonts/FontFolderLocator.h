// Font files from one folder, for a build without a font configuration (the
// browser build ships its faces beside the page). Every face of every
// TrueType/OpenType file in the folder is listed once, by all the family
// names its name table gives (so "IPAGothic" and its Japanese name both
// find it), with its style and whether it covers Japanese.
//
// A folder may instead describe its faces in an index, "faces.txt", one
// face per line: FILE, BOLD, ITALIC, JAPANESE (0 or 1) and the family
// names, separated by tabs.
//
// A query for a character (a fallback face) reads the character map of
// the faces it looks at, once per face. The faces are then listed without being read,
// and a face's file is asked for (fetch) only when it is first matched:
// the browser build downloads only the faces a game draws with. Such a file
// may be a subset of its face; when a character is missing from it the
// whole face is asked for (fetch with whole set) in its place.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/fonts/FaceLocator.h"

namespace pelto5 {

class TFontFolderLocator : public TFaceLocator {
 public:
  // Makes path (a file the index names) present, or with whole, replaces
  // it by the whole face when it holds a subset; false if it cannot be had.
  using TFetch = std::function<bool(const std::string& path, bool whole)>;

  explicit TFontFolderLocator(std::string folder, TFetch fetch = {});
  [[nodiscard]] bool FamilyInstalled(const std::string& family) override;
  [[nodiscard]] bool Match(const TFaceQuery& query, TFaceFile& face) override;
  [[nodiscard]] bool Complete(const std::string& path) override;

 private:
  struct TEntry {
    TFaceFile File;
    std::vector<std::string> Families;  // folded for comparison
    bool Bold = false;
    bool Italic = false;
    bool Japanese = false;
    bool Completed = false;  // the whole face was asked for
    // The characters of the face as first/last pairs, read when first asked.
    std::vector<char32_t> Ranges;
    bool RangesRead = false;
  };
  void Scan();
  void ScanFiles();
  [[nodiscard]] bool ReadIndex();
  TEntry* Find(const TFaceQuery& query);
  // Whether the face of entry has cp; a file that is not here (not fetched
  // yet) has nothing.
  static bool Covers(TEntry& entry, char32_t cp);

  std::string FFolder;
  TFetch FFetch;
  bool FScanned = false;
  std::vector<TEntry> FEntries;
};

}  // namespace pelto5
