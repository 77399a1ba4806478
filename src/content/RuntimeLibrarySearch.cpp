#include "content/RuntimeLibrarySearch.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/UserFolders.h"

namespace pelto5 {

std::vector<std::string> TRuntimeLibrarySearch::Candidates(const std::string& explicitPath,
                                                           const std::string& contentDirectory,
                                                           const std::string& executableDirectory,
                                                           const std::vector<std::string>& installedDirectories) {
  if (!explicitPath.empty()) return {explicitPath};
  std::vector<std::string> result;
  auto add = [&result](const std::string& directory) {
    if (directory.empty()) return;
    // Content copied from a case-insensitive disc may spell it "PELTORT5.PML".
    const std::string path = TFileSystem::ResolveName(directory, LibraryFileName);
    if (!path.empty() && std::find(result.begin(), result.end(), path) == result.end()) result.push_back(path);
  };
  add(contentDirectory);
  add(executableDirectory);
  for (const std::string& directory : installedDirectories) add(directory);
  return result;
}

std::vector<std::string> TRuntimeLibrarySearch::Candidates(const std::string& explicitPath,
                                                           const std::string& contentDirectory) {
  return Candidates(explicitPath, contentDirectory, TFileSystem::DirectoryOf(TFileSystem::ExecutablePath()),
                    {TUserFolders::InstalledDataBesideExecutable(), TUserFolders::ConfiguredDataDirectory()});
}

}  // namespace pelto5
