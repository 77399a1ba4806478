#include "content/GameFolder.h"

#include "content/PackageReader.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

// An executable with a package appended, whole or damaged: a damaged one
// is still the folder's content, and opening it says what is wrong.
bool HasAppendedPackage(const std::string& path) {
  if (!HasMagic(path, "MZ")) return false;
  PackageReader reader;
  const bool opened = OpenPackage(path, reader);
  const bool damaged = reader.Damaged;
  ClosePackage(reader);
  return opened || damaged;
}

}  // namespace

TGameFolder::TResult TGameFolder::Resolve(const std::string& directory, std::string& content,
                                          std::vector<std::string>& candidates) {
  std::string dir = directory;
  if (dir.empty()) dir = "./";
  if (dir.back() != '/') dir += '/';
  candidates = TFileSystem::ListFiles(dir, "*.pp5");
  if (candidates.empty()) {
    for (const std::string& name : TFileSystem::ListFiles(dir, "*.exe")) {
      if (HasAppendedPackage(dir + name)) candidates.push_back(name);
    }
  }
  if (candidates.size() > 1) return TResult::Ambiguous;
  if (candidates.size() == 1) {
    content = dir + candidates.front();
    return TResult::Found;
  }
  const std::string script = TFileSystem::ResolveName(dir, "pelto.pf5");
  if (!script.empty() && TFileSystem::FileExists(script)) {
    content = script;
    return TResult::Found;
  }
  return TResult::NothingToPlay;
}

}  // namespace pelto5
