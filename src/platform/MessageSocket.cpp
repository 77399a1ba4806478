#include "platform/MessageSocket.h"

#ifndef _WIN32

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace pelto5 {

namespace {

using TClock = std::chrono::steady_clock;

constexpr size_t kLengthBytes = 4;

// The time left until deadline in whole milliseconds for poll(), rounded up
// so that a wait never ends before the deadline; -1 without a deadline.
int MillisecondsLeft(bool limited, TClock::time_point deadline) {
  if (!limited) return -1;
  const auto left = deadline - TClock::now();
  if (left <= TClock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Waits until descriptor is ready for events; false when the time is up.
bool WaitFor(int descriptor, short events, bool limited, TClock::time_point deadline) {
  for (;;) {
    pollfd entry{descriptor, events, 0};
    const int ready = poll(&entry, 1, MillisecondsLeft(limited, deadline));
    if (ready > 0) return true;  // an error or hang-up shows in the next call
    if (ready == 0) return false;
    if (errno != EINTR) return true;
  }
}

}  // namespace

void TMessageSocket::Reset(TNativeHandle handle) {
  Close();
  FHandle = handle;
}

void TMessageSocket::Close() {
  if (FHandle >= 0) close(FHandle);
  FHandle = kNoNativeHandle;
}

TMessageStatus TMessageSocket::Send(std::string_view message, int timeoutMs) {
  if (FHandle < 0 || message.size() > UINT32_MAX) return TMessageStatus::Closed;
  const bool limited = timeoutMs >= 0;
  const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  std::string frame;
  frame.reserve(kLengthBytes + message.size());
  for (size_t i = 0; i < kLengthBytes; ++i)
    frame.push_back(static_cast<char>((message.size() >> (8 * i)) & 0xFF));
  frame.append(message);
  size_t done = 0;
  while (done < frame.size()) {
    if (!WaitFor(FHandle, POLLOUT, limited, deadline)) return TMessageStatus::TimedOut;
    const ssize_t n =
        send(FHandle, frame.data() + done, frame.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return TMessageStatus::Closed;
    }
  }
  return TMessageStatus::Ok;
}

TMessageStatus TMessageSocket::Receive(std::string& message, size_t maxSize, int timeoutMs) {
  if (FHandle < 0) return TMessageStatus::Closed;
  const bool limited = timeoutMs >= 0;
  const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  auto readExactly = [&](char* out, size_t count) {
    size_t done = 0;
    while (done < count) {
      if (!WaitFor(FHandle, POLLIN, limited, deadline)) return TMessageStatus::TimedOut;
      const ssize_t n = recv(FHandle, out + done, count - done, MSG_DONTWAIT);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        return TMessageStatus::Closed;
      }
    }
    return TMessageStatus::Ok;
  };
  unsigned char length[kLengthBytes];
  TMessageStatus status = readExactly(reinterpret_cast<char*>(length), kLengthBytes);
  if (status != TMessageStatus::Ok) return status;
  size_t size = 0;
  for (size_t i = 0; i < kLengthBytes; ++i) size |= static_cast<size_t>(length[i]) << (8 * i);
  if (size > maxSize) return TMessageStatus::Closed;
  message.assign(size, '\0');
  return readExactly(message.data(), size);
}

}  // namespace pelto5

#endif  // !_WIN32
