#include "save/SaveLocation.h"

#include "platform/FileSystem.h"
#include "platform/UserFolders.h"

namespace pelto5 {

namespace {

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// A content name usable as one folder name.
std::string FolderName(const std::string& contentName) {
  std::string name;
  for (char c : contentName) name += (c == '/' || c == '\0') ? '_' : c;
  if (name.empty() || name == "." || name == "..") name = "content";
  return name;
}

}  // namespace

void TSaveLocation::Choose(const std::string& dataDirectory, const std::string& contentName,
                           const std::string& explicitDirectory, const std::string& userDataHome,
                           bool dataWritable) {
  FDataDirectory = WithSlash(dataDirectory);
  if (!explicitDirectory.empty()) {
    FSaveDirectory = WithSlash(explicitDirectory);
    TUserFolders::CreateDirectories(FSaveDirectory);
    return;
  }
  if (dataWritable || userDataHome.empty()) {
    FSaveDirectory = FDataDirectory;
    return;
  }
  FSaveDirectory = WithSlash(userDataHome) + "pelto5/" + FolderName(contentName) + "/";
  TUserFolders::CreateDirectories(FSaveDirectory);
}

void TSaveLocation::Choose(const std::string& dataDirectory, const std::string& contentName,
                           const std::string& explicitDirectory) {
  const bool writable = !dataDirectory.empty() && TUserFolders::IsWritableDirectory(dataDirectory);
  Choose(dataDirectory, contentName, explicitDirectory, writable ? "" : TUserFolders::DataHome(), writable);
}

std::string TSaveLocation::WritePath(const std::string& sjisName) const {
  if (FSaveDirectory.empty()) return "";
  return TFileSystem::ResolveName(FSaveDirectory, sjisName);
}

std::string TSaveLocation::ReadPath(const std::string& sjisName) const {
  const std::string own = WritePath(sjisName);
  if (own.empty() || TFileSystem::FileExists(own) || !Redirected() || FDataDirectory.empty()) return own;
  const std::string shipped = TFileSystem::ResolveName(FDataDirectory, sjisName);
  return (!shipped.empty() && TFileSystem::FileExists(shipped)) ? shipped : own;
}

bool TSaveLocation::PrepareAppend(const std::string& sjisName) const {
  const std::string target = WritePath(sjisName);
  const std::string source = ReadPath(sjisName);
  if (target.empty() || source == target) return true;
  std::string bytes;
  return TFileSystem::ReadFile(source, bytes) && TFileSystem::WriteFileAtomic(target, bytes);
}

}  // namespace pelto5
