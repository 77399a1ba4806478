#include "save/UserSaveFolder.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/UserFolders.h"

namespace pelto5 {

namespace {

// The standard script of a game folder.
constexpr const char* kStandardScript = "pelto.pf5";

struct TMarker {
  std::string Content;
  std::string Legacy;
};

// A file or folder name made of text: "/" and NUL replaced (on Windows
// also the characters its names cannot hold), and nothing that names no
// folder of its own, such as a drive ("C:", the root of a path there).
std::string FolderName(const std::string& text) {
#ifdef _WIN32
  constexpr std::string_view kRefused = std::string_view("/\0\\:*?\"<>|", 10);
  if (text.size() == 2 && text[1] == ':') return "content";
#else
  constexpr std::string_view kRefused = std::string_view("/\0", 2);
#endif
  std::string name;
  for (char c : text) name += kRefused.find(c) != std::string_view::npos ? '_' : c;
  if (name.empty() || name == "." || name == "..") name = "content";
  return name;
}

bool SameAsciiText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The marker of folder; nothing when it has none or it cannot be read.
std::optional<TMarker> ReadMarker(const std::string& folder) {
  std::string text;
  if (!TFileSystem::ReadFile(folder + TUserSaveFolder::kMarkerName, text)) return std::nullopt;
  TMarker marker;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind("content=", 0) == 0) marker.Content = line.substr(8);
    if (line.rfind("legacy=", 0) == 0) marker.Legacy = line.substr(7);
  }
  return marker;
}

bool WriteMarker(const std::string& folder, const TMarker& marker) {
  std::string text = "content=" + marker.Content + "\n";
  if (!marker.Legacy.empty()) text += "legacy=" + marker.Legacy + "\n";
  return TFileSystem::WriteFileAtomic(folder + TUserSaveFolder::kMarkerName, text);
}

bool HoldsFiles(const std::string& folder) { return !TFileSystem::ListFiles(folder, "*").empty(); }

}  // namespace

std::string TUserSaveFolder::GameName(const std::string& contentPath) {
  const std::string path = WithoutTrailingSlashes(contentPath);
  if (SameAsciiText(TFileSystem::FileNameOf(path), kStandardScript)) {
    const std::string folder = WithoutTrailingSlashes(TFileSystem::DirectoryOf(path));
    const std::string folderName = TFileSystem::FileNameOf(folder);
    if (!folderName.empty()) return FolderName(folderName);
  }
  return LegacyName(path);
}

std::string TUserSaveFolder::LegacyName(const std::string& contentPath) {
  return FolderName(TFileSystem::FileNameOf(TFileSystem::ChangeExtension(contentPath, "")));
}

std::string TUserSaveFolder::ShortHash(const std::string& text) {
  uint32_t h = 2166136261u;
  for (unsigned char c : text) {
    h ^= c;
    h *= 16777619u;
  }
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", h);
  return digits;
}

void TUserSaveFolder::Claim(const std::string& root, const std::string& contentPath) {
  const std::string content = TFileSystem::AbsolutePath(contentPath);
  const std::string name = GameName(content);
  // The older player named the folder after the path it was given.
  const std::string legacyName = LegacyName(contentPath);
  std::string folder = root + name + "/";
  std::optional<TMarker> marker = ReadMarker(folder);
  // Whose the folder of that name is: the marker says; without one, files
  // in it are an older player's, made for the content of that file name.
  const bool taken = marker ? marker->Content != content : (name != legacyName && HoldsFiles(folder));
  if (taken) {
    folder = root + name + "-" + ShortHash(content) + "/";
    marker = ReadMarker(folder);
  }
  FDirectory = folder;
  FLegacyDirectory.clear();
  if (marker) {
    // Ours; or, should two paths ever share a hash, the other's, which is
    // then shared rather than taken from it.
    if (marker->Content == content && !marker->Legacy.empty() && TFileSystem::DirectoryExists(marker->Legacy)) {
      FLegacyDirectory = marker->Legacy;
    }
    return;
  }
  // A new folder (or an older player's, taken over): mark it as this
  // content's, and remember the older player's folder under the old name
  // when that is another one and nobody has marked it since.
  TMarker own{content, ""};
  const std::string legacy = root + legacyName + "/";
  if (legacy != folder && TFileSystem::DirectoryExists(legacy) && !ReadMarker(legacy) && HoldsFiles(legacy)) {
    own.Legacy = legacy;
  }
  if (TUserFolders::CreateDirectories(folder) && WriteMarker(folder, own)) FLegacyDirectory = own.Legacy;
}

}  // namespace pelto5
