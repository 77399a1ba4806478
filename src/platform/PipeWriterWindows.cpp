#ifdef _WIN32

#include <windows.h>

#include "base/NativeFile.h"
#include "platform/PipeWriter.h"

namespace pelto5 {

namespace {

HANDLE AsHandle(TNativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool TPipeWriter::IsPipeName(const std::string& utf8) {
  // \\.\pipe\ followed by a name.
  if (utf8.size() <= 9 || !IsSeparator(utf8[0]) || !IsSeparator(utf8[1]) || utf8[2] != '.' ||
      !IsSeparator(utf8[3]) || !IsSeparator(utf8[8])) {
    return false;
  }
  const char* pipe = "pipe";
  for (size_t i = 0; i < 4; ++i) {
    const char c = utf8[4 + i];
    if ((c | 0x20) != pipe[i]) return false;
  }
  return true;
}

bool TPipeWriter::Open(const std::string& utf8) {
  Close();
  std::string name = utf8;
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  const std::wstring wide = native::Wide(name);
  if (wide.empty()) return false;
  // No WaitNamedPipe: a busy pipe counts as one without a reader. The
  // server may only identify the player, never act as it.
  const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  // A write takes what fits and returns (PIPE_NOWAIT); a handle that is no
  // pipe, or one that will not switch, could block the player, so it is
  // not used.
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  if (GetFileType(handle) != FILE_TYPE_PIPE || !SetNamedPipeHandleState(handle, &mode, nullptr, nullptr)) {
    CloseHandle(handle);
    return false;
  }
  FHandle = reinterpret_cast<TNativeHandle>(handle);
  return true;
}

long TPipeWriter::Write(const char* data, size_t size) {
  if (!IsOpen()) return -1;
  // One call moves at most what a DWORD holds; the caller writes the rest
  // next time.
  const DWORD count = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD written = 0;
  if (!WriteFile(AsHandle(FHandle), data, count, &written, nullptr)) {
    // ERROR_NO_DATA (the reader closed its end), ERROR_PIPE_NOT_CONNECTED
    // (it disconnected), ERROR_BROKEN_PIPE: the reader is gone.
    Close();
    return -1;
  }
  return static_cast<long>(written);
}

void TPipeWriter::Close() {
  if (!IsOpen()) return;
  CloseHandle(AsHandle(FHandle));
  FHandle = kNoNativeHandle;
}

}  // namespace pelto5

#endif  // _WIN32
