#ifdef _WIN32

#include <windows.h>

#include <chrono>
#include <cstdint>

#include "platform/MessageSocket.h"

namespace pelto5 {

namespace {

using TClock = std::chrono::steady_clock;

constexpr size_t kLengthBytes = 4;
// The most one read or write call is asked to move.
constexpr size_t kMaxChunk = size_t{1} << 20;

HANDLE AsHandle(TNativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// The time left until deadline in whole milliseconds, rounded up so that a
// wait never ends before the deadline; INFINITE without a deadline.
DWORD MillisecondsLeft(bool limited, TClock::time_point deadline) {
  if (!limited) return INFINITE;
  const auto left = deadline - TClock::now();
  if (left <= TClock::duration::zero()) return 0;
  const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return milliseconds >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(milliseconds);
}

// One overlapped read (write false) or write of up to count bytes at data,
// waited for until deadline; done gets the bytes moved. An operation still
// pending at the deadline is cancelled, and waited for in any case, since
// its OVERLAPPED lives here.
TMessageStatus Transfer(HANDLE handle, bool write, char* data, size_t count, bool limited,
                        TClock::time_point deadline, size_t& done) {
  done = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!overlapped.hEvent) return TMessageStatus::Closed;
  const DWORD chunk = static_cast<DWORD>(count < kMaxChunk ? count : kMaxChunk);
  const BOOL started = write ? WriteFile(handle, data, chunk, nullptr, &overlapped)
                             : ReadFile(handle, data, chunk, nullptr, &overlapped);
  TMessageStatus status = TMessageStatus::Ok;
  if (!started && GetLastError() != ERROR_IO_PENDING) {
    status = TMessageStatus::Closed;  // a broken pipe, or not a pipe at all
  } else {
    bool cancelled = false;
    if (WaitForSingleObject(overlapped.hEvent, MillisecondsLeft(limited, deadline)) != WAIT_OBJECT_0) {
      CancelIoEx(handle, &overlapped);
      cancelled = true;
    }
    DWORD moved = 0;
    if (GetOverlappedResult(handle, &overlapped, &moved, TRUE)) {
      // Completed, possibly just before the cancel took hold: the bytes
      // count either way.
      done = moved;
    } else {
      status = cancelled && GetLastError() == ERROR_OPERATION_ABORTED ? TMessageStatus::TimedOut
                                                                        : TMessageStatus::Closed;
    }
  }
  CloseHandle(overlapped.hEvent);
  return status;
}

// Moves exactly count bytes, or says why not.
TMessageStatus TransferAll(HANDLE handle, bool write, char* data, size_t count, bool limited,
                           TClock::time_point deadline) {
  size_t total = 0;
  while (total < count) {
    size_t done = 0;
    const TMessageStatus status = Transfer(handle, write, data + total, count - total, limited, deadline, done);
    if (status != TMessageStatus::Ok) return status;
    total += done;
  }
  return TMessageStatus::Ok;
}

}  // namespace

void TMessageSocket::Reset(TNativeHandle handle) {
  Close();
  FHandle = handle;
}

void TMessageSocket::Close() {
  if (FHandle != kNoNativeHandle) CloseHandle(AsHandle(FHandle));
  FHandle = kNoNativeHandle;
}

TMessageStatus TMessageSocket::Send(std::string_view message, int timeoutMs) {
  if (FHandle == kNoNativeHandle || message.size() > UINT32_MAX) return TMessageStatus::Closed;
  const bool limited = timeoutMs >= 0;
  const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  std::string frame;
  frame.reserve(kLengthBytes + message.size());
  for (size_t i = 0; i < kLengthBytes; ++i)
    frame.push_back(static_cast<char>((message.size() >> (8 * i)) & 0xFF));
  frame.append(message);
  return TransferAll(AsHandle(FHandle), true, frame.data(), frame.size(), limited, deadline);
}

TMessageStatus TMessageSocket::Receive(std::string& message, size_t maxSize, int timeoutMs) {
  if (FHandle == kNoNativeHandle) return TMessageStatus::Closed;
  const bool limited = timeoutMs >= 0;
  const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  unsigned char length[kLengthBytes];
  TMessageStatus status =
      TransferAll(AsHandle(FHandle), false, reinterpret_cast<char*>(length), kLengthBytes, limited, deadline);
  if (status != TMessageStatus::Ok) return status;
  size_t size = 0;
  for (size_t i = 0; i < kLengthBytes; ++i) size |= static_cast<size_t>(length[i]) << (8 * i);
  if (size > maxSize) return TMessageStatus::Closed;
  message.assign(size, '\0');
  return TransferAll(AsHandle(FHandle), false, message.data(), size, limited, deadline);
}

}  // namespace pelto5

#endif  // _WIN32
