#include "platform/SharedLibrary.h"

#include "base/IntegerConversion.h"
#include "base/NativeFile.h"

#ifndef _WIN32

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>

namespace pelto5 {

bool TSharedLibrary::Open(const std::string& path) {
  Close();
  // A name without "/" would be searched for in the system's folders.
  const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
  FHandle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) {
    const char* reason = dlerror();
    FError = reason ? reason : "cannot load";
    return false;
  }
  FError.clear();
  return true;
}

void TSharedLibrary::Close() {
  if (FHandle) dlclose(FHandle);
  FHandle = nullptr;
}

void* TSharedLibrary::Symbol(const char* name) const {
  return FHandle ? dlsym(FHandle, name) : nullptr;
}

const void* TSharedLibrary::LockBlock(void* block, size_t& available) {
  available = SIZE_MAX;
  return block;
}

void TSharedLibrary::ReleaseBlock(void* block) { std::free(block); }

}  // namespace pelto5

#endif  // !_WIN32

namespace pelto5 {

// The environment's plug-in settings, read alike on every system.

std::vector<std::string> TSharedLibrary::PluginPathFromEnvironment() {
  std::vector<std::string> folders;
  std::string rest = native::Environment("PELTO5_PLUGIN_PATH");
#ifdef _WIN32
  // The player's paths have "/" between folders.
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
#endif
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find(kPathListSeparator, start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) folders.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

int TSharedLibrary::PluginTimeoutFromEnvironment(int fallbackMs) {
  const int32_t milliseconds = StrToIntDef(native::Environment("PELTO5_PLUGIN_TIMEOUT_MS"), 0);
  return milliseconds > 0 ? milliseconds : fallbackMs;
}

}  // namespace pelto5
