// Framed messages over a connected byte stream: a stream socket on POSIX
// systems, one end of a duplex named pipe opened for overlapped use on
// Windows. Each message is its length (4 bytes, low byte first) followed
// by its bytes. Every wait has a time limit, and a peer that has gone away
// is reported as Closed, never raised as a signal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/NativeHandle.h"

namespace pelto5 {

enum class TMessageStatus {
  Ok,
  Closed,    // the peer is gone, or sent something that is not a message
  TimedOut,  // nothing complete arrived, or nothing could be sent, in time
};

class TMessageSocket {
 public:
  // Takes over handle (kNoNativeHandle: not connected).
  explicit TMessageSocket(TNativeHandle handle = kNoNativeHandle) : FHandle(handle) {}
  ~TMessageSocket() { Close(); }
  TMessageSocket(const TMessageSocket&) = delete;
  TMessageSocket& operator=(const TMessageSocket&) = delete;

  // Closes the current handle and takes over handle.
  void Reset(TNativeHandle handle);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FHandle != kNoNativeHandle; }

  // Sends one message within timeoutMs milliseconds (negative: no limit).
  [[nodiscard]] TMessageStatus Send(std::string_view message, int timeoutMs);
  // Receives one message of at most maxSize bytes within timeoutMs
  // milliseconds (negative: no limit). A longer one counts as Closed: the
  // peer is not speaking the protocol.
  [[nodiscard]] TMessageStatus Receive(std::string& message, size_t maxSize, int timeoutMs);

 private:
  TNativeHandle FHandle;
};

}  // namespace pelto5
