#ifdef _WIN32
#include <windows.h>

#include <atomic>

#include "base/NativeFile.h"
#include "support/PipeServer.h"

namespace pelto5::test {

TPipeServer::TPipeServer(size_t bufferBytes, const std::string& name) : FName(name) {
  static std::atomic<unsigned> counter{0};
  if (FName.empty()) {
    FName = "\\\\.\\pipe\\pelto5-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
  }
  const DWORD size = static_cast<DWORD>(bufferBytes);
  const HANDLE handle = CreateNamedPipeW(native::Wide(FName).c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                         1, size, size, 0, nullptr);
  if (handle != INVALID_HANDLE_VALUE) FHandle = handle;
}

std::string TPipeServer::ReadAvailable() {
  std::string text;
  while (IsOpen()) {
    DWORD available = 0;
    // Fails once the writer has closed its end and nothing is left.
    if (!PeekNamedPipe(FHandle, nullptr, 0, nullptr, &available, nullptr) || available == 0) break;
    std::string chunk(available, '\0');
    DWORD read = 0;
    if (!ReadFile(FHandle, chunk.data(), available, &read, nullptr) || read == 0) break;
    text.append(chunk, 0, read);
  }
  return text;
}

void TPipeServer::Close() {
  if (!IsOpen()) return;
  DisconnectNamedPipe(FHandle);
  CloseHandle(FHandle);
  FHandle = nullptr;
}

}  // namespace pelto5::test
#endif
