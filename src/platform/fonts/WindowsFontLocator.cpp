#include "platform/fonts/WindowsFontLocator.h"

#include "base/NativeFile.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

std::string WithForwardSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::vector<std::string> SystemFontFolders() {
  std::vector<std::string> folders;
  const std::string windows = native::Environment("WINDIR");
  if (!windows.empty()) folders.push_back(WithForwardSlashes(windows) + "/Fonts");
  // Fonts a user installed for themselves only (Windows 10 and later).
  const std::string local = native::Environment("LOCALAPPDATA");
  if (!local.empty()) folders.push_back(WithForwardSlashes(local) + "/Microsoft/Windows/Fonts");
  return folders;
}

std::string ShippedFontFolder() {
  const std::string exe = TFileSystem::ExecutablePath();
  return exe.empty() ? std::string("fonts") : TFileSystem::DirectoryOf(exe) + "fonts";
}

}  // namespace

TWindowsFontLocator::TWindowsFontLocator() : TWindowsFontLocator(SystemFontFolders(), ShippedFontFolder()) {}

TWindowsFontLocator::TWindowsFontLocator(const std::vector<std::string>& systemFolders,
                                         const std::string& shippedFolder)
    : FShipped(std::make_unique<TFontFolderLocator>(shippedFolder)) {
  for (const std::string& folder : systemFolders) {
    if (TFileSystem::DirectoryExists(folder)) FSystem.push_back(std::make_unique<TFontFolderLocator>(folder));
  }
}

bool TWindowsFontLocator::FamilyInstalled(const std::string& family) {
  return GenuineFamilyInstalled(family) || FShipped->FamilyInstalled(family);
}

bool TWindowsFontLocator::GenuineFamilyInstalled(const std::string& family) {
  for (const auto& folder : FSystem) {
    if (folder->FamilyInstalled(family)) return true;
  }
  return false;
}

bool TWindowsFontLocator::Match(const TFaceQuery& query, TFaceFile& face) {
  if (!query.Family.empty()) {
    for (const auto& folder : FSystem) {
      if (folder->FamilyInstalled(query.Family)) return folder->Match(query, face);
    }
    return FShipped->FamilyInstalled(query.Family) && FShipped->Match(query, face);
  }
  // Any face: the shipped stand-ins come first, as a Linux player would
  // pick them, so text in a family the machine lacks looks the same on
  // every system.
  if (FShipped->Match(query, face)) return true;
  for (const auto& folder : FSystem) {
    if (folder->Match(query, face)) return true;
  }
  return false;
}

}  // namespace pelto5
