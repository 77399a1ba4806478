// A helper program run as a child process and connected to this one by a
// byte stream (TMessageSocket), with one more handle the parent hands over
// (a shared memory block); the child takes both with InheritedHandles().
// Its standard input is the null device and its standard output goes to
// the parent's standard error, so that nothing it prints mixes with the
// parent's output. The child ends when the parent does.
//
// On POSIX systems the stream is a socket pair and the child finds it on
// descriptor 3, the shared block on 4. On Windows the stream is a duplex
// named pipe used with overlapped I/O; the child inherits its end and the
// shared block, and finds their handle values in the environment variable
// kHandlesVariable. It runs in a job object that kills it when the parent
// ends, shows no console window and no error dialog, and a crash of it
// ends it at once.
#pragma once

#include <string>

#include "platform/MessageSocket.h"
#include "platform/NativeHandle.h"

namespace pelto5 {

class TChildProcess {
 public:
  static constexpr int kSocketDescriptor = 3;
  static constexpr int kSharedDescriptor = 4;
  // Windows: "SOCKET SHARED", the inherited handles' values in decimal.
  static constexpr const char* kHandlesVariable = "PELTO5_HELPER_HANDLES";

  TChildProcess() = default;
  // Stop().
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Runs program (a native path, UTF-8) with the single argument argument,
  // handing it shared. False when it cannot be started (the browser build
  // never can).
  [[nodiscard]] bool Start(const std::string& program, const std::string& argument, TNativeHandle shared);
  // Whether the child has been started and has not ended yet.
  [[nodiscard]] bool Running();
  TMessageSocket& Socket() { return FSocket; }

  // Closes the connection, gives the child up to graceMs milliseconds to
  // end by itself, then kills it, and collects its end.
  void Stop(int graceMs = 200);
  // How the child ended, once it has: "exit status 1", "signal 11";
  // on Windows "exit status 1", "exception 0xC0000005", "killed".
  const std::string& EndReason() const { return FEndReason; }

  // Called by the child first: it is killed when its parent ends, and a
  // crash of it leaves no core file behind (on Windows: shows no dialog
  // and starts no debugger).
  static void SetUpAsChild();
  // The child's side: the connection and the shared block its parent
  // handed over. False when there are none (not started by Start()).
  [[nodiscard]] static bool InheritedHandles(TNativeHandle& socket, TNativeHandle& shared);

 private:
  void Collect(int status);

  // The child's process id on POSIX systems, its process handle on
  // Windows (the web build has no child processes).
  [[maybe_unused]] TNativeHandle FProcess = kNoNativeHandle;
  // Windows: the job object the child runs in.
  [[maybe_unused]] TNativeHandle FJob = kNoNativeHandle;
  TMessageSocket FSocket;
  std::string FEndReason;
};

}  // namespace pelto5
