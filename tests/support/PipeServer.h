// The serving end of a Windows named pipe, as a program that reads the
// player's --text-out (a screen reader's bridge) makes one: inbound, byte
// mode, one instance, a buffer of the given size. (Windows only.)
#pragma once

#include <cstddef>
#include <string>

namespace pelto5::test {

class TPipeServer {
 public:
  // A pipe of a name no other test uses, or the name of an earlier one
  // (a reader that comes back).
  explicit TPipeServer(size_t bufferBytes, const std::string& name = "");
  ~TPipeServer() { Close(); }
  TPipeServer(const TPipeServer&) = delete;
  TPipeServer& operator=(const TPipeServer&) = delete;

  [[nodiscard]] bool IsOpen() const { return FHandle != nullptr; }
  // "\\.\pipe\NAME", as the reader passes it to the player.
  const std::string& Name() const { return FName; }
  // Everything written so far and not read yet (without waiting).
  std::string ReadAvailable();
  // The reader goes away: its end is disconnected and closed.
  void Close();

 private:
  std::string FName;
  void* FHandle = nullptr;
};

}  // namespace pelto5::test
