#include "save/SaveLocation.h"

#include "platform/FileSystem.h"
#include "platform/UserFolders.h"
#include "save/UserSaveFolder.h"

namespace pelto5 {

namespace {

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

}  // namespace

void TSaveLocation::Choose(const std::string& dataDirectory, const std::string& contentPath,
                           const std::string& explicitDirectory, const std::string& userDataHome,
                           bool dataWritable) {
  FDataDirectory = WithSlash(dataDirectory);
  FLegacyDirectory.clear();
  FRefusedDirectory.clear();
  if (!explicitDirectory.empty()) {
    const std::string chosen = WithSlash(explicitDirectory);
    if (TUserFolders::CreateDirectories(chosen) && TUserFolders::IsWritableDirectory(chosen)) {
      FSaveDirectory = chosen;
      return;
    }
    // Saves written there would be lost: they go where they would for
    // content whose data directory cannot be written.
    FRefusedDirectory = chosen;
    dataWritable = false;
  }
  if (dataWritable || userDataHome.empty()) {
    FSaveDirectory = FDataDirectory;
    return;
  }
  TUserSaveFolder folder;
  folder.Claim(WithSlash(userDataHome) + "pelto5/", contentPath);
  FSaveDirectory = folder.Directory();
  FLegacyDirectory = folder.LegacyDirectory();
}

void TSaveLocation::Choose(const std::string& dataDirectory, const std::string& contentPath,
                           const std::string& explicitDirectory) {
  const bool writable = !dataDirectory.empty() && TUserFolders::IsWritableDirectory(dataDirectory);
  Choose(dataDirectory, contentPath, explicitDirectory, TUserFolders::DataHome(), writable);
}

std::string TSaveLocation::WritePath(const std::string& sjisName) const {
  if (FSaveDirectory.empty()) return "";
  return TFileSystem::ResolveName(FSaveDirectory, sjisName);
}

std::string TSaveLocation::ReadPath(const std::string& sjisName) const {
  const std::string own = WritePath(sjisName);
  if (own.empty() || TFileSystem::FileExists(own) || !Redirected()) return own;
  for (const std::string* folder : {&FLegacyDirectory, &FDataDirectory}) {
    if (folder->empty()) continue;
    const std::string other = TFileSystem::ResolveName(*folder, sjisName);
    if (!other.empty() && TFileSystem::FileExists(other)) return other;
  }
  return own;
}

bool TSaveLocation::PrepareAppend(const std::string& sjisName) const {
  const std::string target = WritePath(sjisName);
  const std::string source = ReadPath(sjisName);
  if (target.empty() || source == target) return true;
  std::string bytes;
  return TFileSystem::ReadFile(source, bytes) && TFileSystem::WriteFileAtomic(target, bytes);
}

}  // namespace pelto5
