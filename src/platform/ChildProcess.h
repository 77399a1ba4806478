// A helper program run as a child process and connected to this one by a
// stream socket. The child finds the socket on descriptor 3 and one more
// descriptor the parent hands over (a shared memory block) on 4; its
// standard input is /dev/null and its standard output goes to the parent's
// standard error, so that nothing it prints mixes with the parent's output.
// The child ends when the parent does.
#pragma once

#include <string>

#include "platform/MessageSocket.h"

namespace pelto5 {

class TChildProcess {
 public:
  static constexpr int kSocketDescriptor = 3;
  static constexpr int kSharedDescriptor = 4;

  TChildProcess() = default;
  // Stop().
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Runs program with the single argument argument, handing it
  // sharedDescriptor. False when it cannot be started (the browser build
  // never can).
  [[nodiscard]] bool Start(const std::string& program, const std::string& argument, int sharedDescriptor);
  // Whether the child has been started and has not ended yet.
  [[nodiscard]] bool Running();
  TMessageSocket& Socket() { return FSocket; }

  // Closes the connection, gives the child up to graceMs milliseconds to
  // end by itself, then kills it, and collects its end.
  void Stop(int graceMs = 200);
  // How the child ended, once it has: "exit status 1", "signal 11".
  const std::string& EndReason() const { return FEndReason; }

  // Called by the child first: it is killed when its parent ends, and a
  // crash of it leaves no core file behind.
  static void SetUpAsChild();

 private:
  void Collect(int status);

  [[maybe_unused]] int FPid = -1;  // (the web build has no child processes)
  TMessageSocket FSocket;
  std::string FEndReason;
};

}  // namespace pelto5
