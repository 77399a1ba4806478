// Where the runtime library "peltort5.pml" is looked for. A library named
// on the command line is the only candidate; otherwise the folder of the
// content comes first (a game copied with its own library plays with it),
// then the folder of the player, then the installed shared data folder.
#pragma once

#include <string>
#include <vector>

namespace pelto5 {

class TRuntimeLibrarySearch {
 public:
  static constexpr const char* LibraryFileName = "peltort5.pml";

  // Native paths to try in order, without duplicates. explicitPath: the
  // --library option ("" when not given); contentDirectory and
  // executableDirectory end in "/" (or are empty); installedDirectories
  // are the shared data folders to try last.
  static std::vector<std::string> Candidates(const std::string& explicitPath, const std::string& contentDirectory,
                                             const std::string& executableDirectory,
                                             const std::vector<std::string>& installedDirectories);
  // The same with the installed folders of this build.
  static std::vector<std::string> Candidates(const std::string& explicitPath, const std::string& contentDirectory);
};

}  // namespace pelto5
