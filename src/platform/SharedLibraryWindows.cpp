#ifdef _WIN32

#include <windows.h>

#include "base/NativeFile.h"

#include <string>
#include <vector>

#include "platform/SharedLibrary.h"

namespace pelto5 {

namespace {

// The system's text for an error code, without the line break it ends in.
std::string ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = text ? native::FromWide(std::wstring(text, length)) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return "error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

}  // namespace

bool TSharedLibrary::Open(const std::string& path) {
  Close();
  std::wstring name = native::Wide(path);
  if (name.empty()) {
    FError = "not a valid file name";
    return false;
  }
  for (wchar_t& c : name) {
    if (c == L'/') c = L'\\';
  }
  // A full path: a bare name would be searched for in the system's
  // folders, and the altered search order below needs one.
  const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (needed > 0) {
    std::vector<wchar_t> full(needed);
    const DWORD length = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
    if (length > 0 && length < needed) name.assign(full.data(), length);
  }
  // No "cannot find a DLL" or "bad image" box for a broken library: the
  // load fails, and the reason goes to Error().
  DWORD previousMode = 0;
  const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE module = LoadLibraryExW(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = module ? 0 : GetLastError();
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  if (!module) {
    FError = ErrorText(error);
    return false;
  }
  FHandle = reinterpret_cast<void*>(module);
  FError.clear();
  return true;
}

void TSharedLibrary::Close() {
  if (FHandle) FreeLibrary(static_cast<HMODULE>(FHandle));
  FHandle = nullptr;
}

void* TSharedLibrary::Symbol(const char* name) const {
  if (!FHandle) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(FHandle), name));
}

const void* TSharedLibrary::LockBlock(void* block, size_t& available) {
  available = 0;
  if (!block) return nullptr;
  const auto handle = static_cast<HLOCAL>(block);
  const void* bytes = LocalLock(handle);
  if (bytes) available = LocalSize(handle);
  return bytes;
}

void TSharedLibrary::ReleaseBlock(void* block) {
  if (!block) return;
  const auto handle = static_cast<HLOCAL>(block);
  // A movable block is locked once by LockBlock; a fixed one ignores this.
  LocalUnlock(handle);
  LocalFree(handle);
}

}  // namespace pelto5

#endif  // _WIN32
