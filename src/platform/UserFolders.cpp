#include "platform/UserFolders.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>

#include "base/NativeFile.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsDirectory(const std::string& path) { return TFileSystem::DirectoryExists(path); }

// The parent of path ("/" for a top-level folder, "" for a bare name).
std::string ParentOf(const std::string& path) {
  const std::string p = WithoutTrailingSlashes(path);
  const size_t slash = p.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return p.substr(0, slash);
}

#ifdef _WIN32

// The roaming application data folder, "/" between folders.
std::string ApplicationData() {
  std::string folder = native::Environment("APPDATA");
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  return folder.size() >= 3 && folder[1] == ':' ? WithoutTrailingSlashes(folder) : std::string();
}

#endif

}  // namespace

#ifdef _WIN32

std::string TUserFolders::DataHome() { return ApplicationData(); }

std::string TUserFolders::ConfigHome() { return ApplicationData(); }

bool TUserFolders::IsWritableDirectory(const std::string& directory) {
  std::string probe = WithoutTrailingSlashes(directory.empty() ? "." : directory);
  for (int depth = 0; depth < 256 && !probe.empty(); ++depth) {
    if (TFileSystem::FileExists(probe)) return false;
    if (IsDirectory(probe)) return native::CanCreateFileIn(probe);
    const std::string parent = ParentOf(probe);
    if (parent == probe) return false;
    probe = parent;
  }
  return false;
}

#else

std::string TUserFolders::DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return WithoutTrailingSlashes(xdg);
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return WithoutTrailingSlashes(home) + "/.local/share";
  return "";
}

std::string TUserFolders::ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return WithoutTrailingSlashes(xdg);
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return WithoutTrailingSlashes(home) + "/.config";
  return "";
}

bool TUserFolders::IsWritableDirectory(const std::string& directory) {
  std::string probe = WithoutTrailingSlashes(directory.empty() ? "." : directory);
  // Walk up to the first folder that exists: creating the missing ones
  // needs write access there.
  for (int depth = 0; depth < 256 && !probe.empty(); ++depth) {
    struct stat st {};
    if (stat(probe.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return false;
      // access() reports a read-only mount even to the superuser.
      return access(probe.c_str(), W_OK | X_OK) == 0;
    }
    if (errno != ENOENT) return false;
    probe = ParentOf(probe);
  }
  return false;
}

#endif

bool TUserFolders::CreateDirectories(const std::string& directory) {
  const std::string path = WithoutTrailingSlashes(directory);
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  const std::string parent = ParentOf(path);
  if (!parent.empty() && parent != path && !CreateDirectories(parent)) return false;
  return TFileSystem::CreateDirectory(path);
}

std::string TUserFolders::InstalledDataBesideExecutable() {
  const std::string exe = TFileSystem::ExecutablePath();
  if (exe.empty()) return "";
#ifdef _WIN32
  // An installed or unpacked player keeps everything in its own folder.
  return ParentOf(exe) + "/";
#endif
  const std::string bin = ParentOf(exe);
  const std::string prefix = ParentOf(bin);
  if (prefix.empty()) return "";
  return (prefix == "/" ? "" : prefix) + "/share/pelto5/";
}

std::string TUserFolders::InstalledPlugInsBesideExecutable() {
#ifdef _WIN32
  const std::string exe = TFileSystem::ExecutablePath();
  return exe.empty() ? std::string() : ParentOf(exe) + "/plugins/";
#elif defined(PELTO5_PLUGIN_SUBDIR)
  const std::string exe = TFileSystem::ExecutablePath();
  if (exe.empty()) return "";
  const std::string prefix = ParentOf(ParentOf(exe));
  if (prefix.empty()) return "";
  return (prefix == "/" ? "" : prefix) + "/" + PELTO5_PLUGIN_SUBDIR + "/";
#else
  return "";
#endif
}

std::string TUserFolders::ConfiguredDataDirectory() {
#ifdef PELTO5_INSTALL_DATADIR
  return WithoutTrailingSlashes(PELTO5_INSTALL_DATADIR) + "/";
#else
  return "";
#endif
}

}  // namespace pelto5
