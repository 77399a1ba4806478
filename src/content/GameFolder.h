// A game folder given in place of a content file: the content is its only
// package (".pp5"), else its only executable with an appended package
// (".exe"), else its script "pelto.pf5". Names are matched without regard
// to letter case, as they were made on a case-insensitive file system.
#pragma once

#include <string>
#include <vector>

namespace pelto5 {

class TGameFolder {
 public:
  enum class TResult { Found, NothingToPlay, Ambiguous };

  // directory: a native folder path. Found: the content's path in content.
  // Ambiguous: more than one candidate of the first kind that has any;
  // their file names (sorted) in candidates.
  static TResult Resolve(const std::string& directory, std::string& content, std::vector<std::string>& candidates);
};

}  // namespace pelto5
