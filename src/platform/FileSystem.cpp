#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/AtomicFile.h"
#include "base/NativeFile.h"
#include "base/SjisText.h"

namespace pelto5 {

namespace {

#ifdef _WIN32
constexpr bool kFileNamesIgnoreCase = true;
#else
constexpr bool kFileNamesIgnoreCase = false;
#endif

bool LowerEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Case-insensitive wildcard match of "*" and "?".
bool MatchMask(const char* mask, const char* name) {
  if (*mask == '\0') return *name == '\0';
  if (*mask == '*') {
    for (const char* n = name;; ++n) {
      if (MatchMask(mask + 1, n)) return true;
      if (*n == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  char m = *mask;
  char c = *name;
  if (m >= 'A' && m <= 'Z') m = static_cast<char>(m - 'A' + 'a');
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (m != '?' && m != c) return false;
  return MatchMask(mask + 1, name + 1);
}

namespace fs = std::filesystem;

std::vector<std::string> DirectoryEntries(const std::string& directory) {
  std::vector<native::TFolderEntry> entries;
  static_cast<void>(native::ListFolder(directory, entries));
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (native::TFolderEntry& entry : entries) names.push_back(std::move(entry.Name));
  return names;
}

// Whether anything (a file, a folder, what a link points to) is at path.
bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(native::Path(path), error);
}

}  // namespace

bool TFileSystem::FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(native::Path(path), error);
}

bool TFileSystem::DirectoryExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_directory(native::Path(path), error);
}

bool TFileSystem::CreateDirectory(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (DirectoryExists(p)) return true;
  std::error_code error;
  return fs::create_directory(native::Path(p), error) || DirectoryExists(p);
}

bool TFileSystem::ReadFile(const std::string& path, std::string& data) {
  if (!FileExists(path)) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> f(native::OpenFile(path, "rb"), &std::fclose);
  if (!f) return false;
  std::string out;
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) out.append(buffer, n);
  if (std::ferror(f.get())) return false;
  data = std::move(out);
  return true;
}

bool TFileSystem::ReadFilePrefix(const std::string& path, size_t count, std::string& data) {
  if (!FileExists(path)) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> f(native::OpenFile(path, "rb"), &std::fclose);
  if (!f) return false;
  std::string out(count, '\0');
  out.resize(std::fread(out.data(), 1, count, f.get()));
  data = std::move(out);
  return true;
}

bool TFileSystem::WriteFileAtomic(const std::string& path, const std::string& data) {
  return TAtomicFile::WriteWhole(path, data);
}

std::string TFileSystem::AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const fs::path canonical = fs::canonical(native::Path(path), error);
  if (!error) return native::Utf8(canonical);
  const fs::path given = native::Path(path);
  if (given.is_absolute()) return native::Utf8(given);
  const fs::path current = fs::current_path(error);
  if (error) return path;
  std::string absolute = native::Utf8(current);
  if (absolute.back() != '/') absolute += '/';
  return absolute + native::Utf8(given);
}

std::string TFileSystem::NativePath(std::string path) {
#ifdef _WIN32
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
#endif
  return path;
}

std::string TFileSystem::ExecutablePath() {
#ifdef _WIN32
  return native::ExecutablePath();
#else
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return std::string(buffer, static_cast<size_t>(n));
#endif
}

std::string TFileSystem::DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TFileSystem::FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TFileSystem::ChangeExtension(const std::string& path, const std::string& extension) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return path + extension;
  }
  return path.substr(0, dot) + extension;
}

bool TFileSystem::SplitSafeName(const std::string& sjisName, std::vector<std::string>& components,
                                int maxClimb) {
  return SplitName(sjisName, components, maxClimb) && !components.empty();
}

bool TFileSystem::SplitName(const std::string& sjisName, std::vector<std::string>& components, int maxClimb) {
  components.clear();
  if (sjisName.empty()) return false;
  if (sjisName[0] == '\\' || sjisName[0] == '/') return false;
  if (sjisName.size() >= 2 && sjisName[1] == ':') return false;
  // "." and empty components (doubled or trailing separators) name nothing;
  // ".." takes back the component before it, or climbs above the directory
  // while maxClimb allows.
  int climbed = 0;
  const auto take = [&](const std::string& part) {
    if (part.empty() || part == ".") return true;
    if (part != "..") {
      components.push_back(part);
      return true;
    }
    if (!components.empty() && components.back() != "..") {
      components.pop_back();
      return true;
    }
    if (climbed >= maxClimb) return false;
    ++climbed;
    components.push_back(part);
    return true;
  };
  std::string current;
  for (size_t i = 0; i < sjisName.size();) {
    const size_t n = sjis::CharLength(sjisName, i);
    if (n == 1 && (sjisName[i] == '\\' || sjisName[i] == '/')) {
      if (!take(current)) return false;
      current.clear();
    } else {
      current.append(sjisName, i, n);
    }
    i += n;
  }
  return take(current) && (components.empty() || components.back() != "..");
}

std::string TFileSystem::ResolveName(const std::string& directory, const std::string& sjisName,
                                     int maxClimb) {
  std::vector<std::string> parts;
  if (!SplitSafeName(sjisName, parts, maxClimb)) return "";
  return ResolveParts(directory, parts);
}

std::string TFileSystem::ResolveFolderName(const std::string& directory, const std::string& sjisName) {
  std::vector<std::string> parts;
  if (!SplitName(sjisName, parts, 0)) return "";
  if (parts.empty()) {
    std::string path = directory.empty() ? std::string(".") : directory;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }
  return ResolveParts(directory, parts);
}

std::string TFileSystem::ResolveParts(const std::string& directory, const std::vector<std::string>& parts) {
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  for (const std::string& part : parts) {
    if (part == "..") {
      // Only leading, and only as far as the caller allowed: the directory
      // has at least that many components of its own.
      const size_t slash = path.size() >= 2 ? path.rfind('/', path.size() - 2) : std::string::npos;
      path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
      continue;
    }
    const std::string native = sjis::ToUtf8(part);
    std::string candidate = path + native;
    // The name as it is spelled on disk, so that paths the player shows or
    // stores are the same on every system: a case-insensitive file system
    // (Windows) opens the name in any case, so there the folder is read
    // even when the name as asked for exists.
    if (kFileNamesIgnoreCase || !Exists(candidate)) {
      std::string folded;
      for (const std::string& entry : DirectoryEntries(path.empty() ? "." : path)) {
        if (entry == native) {
          folded.clear();
          break;
        }
        if (folded.empty() && LowerEqual(entry, native)) folded = entry;
      }
      if (!folded.empty()) candidate = path + folded;
    }
    path = candidate + "/";
  }
  path.pop_back();
  return path;
}

std::vector<std::string> TFileSystem::ListFiles(const std::string& directory, const std::string& mask) {
  std::vector<std::string> result;
  std::string dir = directory;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  for (const std::string& name : DirectoryEntries(dir)) {
    if (MatchMask(mask.c_str(), name.c_str()) && FileExists(dir + name)) result.push_back(name);
  }
  std::sort(result.begin(), result.end());
  return result;
}

bool TFileSystem::FileStamp(const std::string& path, uint64_t& stamp) {
  std::error_code error;
  const fs::path file = native::Path(path);
  if (!fs::is_regular_file(file, error)) return false;
  const auto written = fs::last_write_time(file, error);
  if (error) return false;
  const uintmax_t size = fs::file_size(file, error);
  if (error) return false;
  stamp = static_cast<uint64_t>(written.time_since_epoch().count()) * 31u + static_cast<uint64_t>(size);
  return true;
}

std::string TFileSystem::CreateTemporaryDirectory(const std::string& prefix) {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return "";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path path = base / (prefix + std::to_string(random() % 100000000u));
    // Fails, without touching it, when the folder is already there.
    if (std::filesystem::create_directory(path, error) && !error) return native::Utf8(path) + "/";
  }
  return "";
}

bool TFileSystem::RemoveDirectoryTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(native::Path(path), error);
  return !error;
}

}  // namespace pelto5
