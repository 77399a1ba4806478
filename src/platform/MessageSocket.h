// Framed messages over a connected stream socket: each message is its
// length (4 bytes, low byte first) followed by its bytes. Every wait has a
// time limit, and a peer that has gone away is reported as Closed, never
// raised as a signal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelto5 {

enum class TMessageStatus {
  Ok,
  Closed,    // the peer is gone, or sent something that is not a message
  TimedOut,  // nothing complete arrived, or nothing could be sent, in time
};

class TMessageSocket {
 public:
  // Takes over descriptor (-1: not connected).
  explicit TMessageSocket(int descriptor = -1) : FDescriptor(descriptor) {}
  ~TMessageSocket() { Close(); }
  TMessageSocket(const TMessageSocket&) = delete;
  TMessageSocket& operator=(const TMessageSocket&) = delete;

  // Closes the current descriptor and takes over descriptor.
  void Reset(int descriptor);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FDescriptor >= 0; }

  // Sends one message within timeoutMs milliseconds (negative: no limit).
  [[nodiscard]] TMessageStatus Send(std::string_view message, int timeoutMs);
  // Receives one message of at most maxSize bytes within timeoutMs
  // milliseconds (negative: no limit). A longer one counts as Closed: the
  // peer is not speaking the protocol.
  [[nodiscard]] TMessageStatus Receive(std::string& message, size_t maxSize, int timeoutMs);

 private:
  int FDescriptor;
};

}  // namespace pelto5
