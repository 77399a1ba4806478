#include "platform/ChildProcess.h"

#ifndef _WIN32

#ifndef __EMSCRIPTEN__
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

extern char** environ;
#endif

namespace pelto5 {

TChildProcess::~TChildProcess() { Stop(); }

#ifndef __EMSCRIPTEN__

namespace {

// Descriptors of ours that the child's numbers are copied from are moved
// above those numbers first, so that no copy maps a descriptor onto itself
// (which would keep its close-on-exec flag).
constexpr int kFirstFreeDescriptor = 10;

int MovedAbove(int descriptor) { return fcntl(descriptor, F_DUPFD_CLOEXEC, kFirstFreeDescriptor); }

}  // namespace

bool TChildProcess::Start(const std::string& program, const std::string& argument, TNativeHandle shared) {
  Stop(0);
  FEndReason.clear();
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
  const int childSocket = MovedAbove(pair[1]);
  close(pair[1]);
  const int childShared = MovedAbove(shared);
  bool started = false;
  if (childSocket >= 0 && childShared >= 0) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    posix_spawn_file_actions_adddup2(&actions, childSocket, kSocketDescriptor);
    posix_spawn_file_actions_adddup2(&actions, childShared, kSharedDescriptor);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions, kSharedDescriptor + 1);
#endif
    // The child starts with no signal blocked, whatever this thread blocks.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    std::vector<char> programText(program.begin(), program.end());
    programText.push_back('\0');
    std::vector<char> argumentText(argument.begin(), argument.end());
    argumentText.push_back('\0');
    char* argv[] = {programText.data(), argumentText.data(), nullptr};
    pid_t pid = -1;
    started = posix_spawn(&pid, programText.data(), &actions, &attributes, argv, environ) == 0;
    if (started) FProcess = pid;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
  if (childSocket >= 0) close(childSocket);
  if (childShared >= 0) close(childShared);
  if (!started) {
    close(pair[0]);
    return false;
  }
  FSocket.Reset(pair[0]);
  return true;
}

bool TChildProcess::Running() {
  if (FProcess <= 0) return false;
  int status = 0;
  const pid_t result = waitpid(FProcess, &status, WNOHANG);
  if (result == 0) return true;
  if (result == FProcess) Collect(status);
  FProcess = kNoNativeHandle;
  return false;
}

void TChildProcess::Stop(int graceMs) {
  FSocket.Close();
  if (FProcess <= 0) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
  int status = 0;
  for (;;) {
    const pid_t result = waitpid(FProcess, &status, WNOHANG);
    if (result == FProcess) {
      Collect(status);
      FProcess = kNoNativeHandle;
      return;
    }
    if (result < 0 && errno != EINTR) {
      FProcess = kNoNativeHandle;
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(FProcess, SIGKILL);
  pid_t result;
  do {
    result = waitpid(FProcess, &status, 0);
  } while (result < 0 && errno == EINTR);
  if (result == FProcess) Collect(status);
  FProcess = kNoNativeHandle;
}

void TChildProcess::Collect(int status) {
  if (WIFSIGNALED(status)) {
    FEndReason = "signal " + std::to_string(WTERMSIG(status));
  } else if (WIFEXITED(status)) {
    FEndReason = "exit status " + std::to_string(WEXITSTATUS(status));
  }
}

void TChildProcess::SetUpAsChild() {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
}

bool TChildProcess::InheritedHandles(TNativeHandle& socket, TNativeHandle& shared) {
  if (fcntl(kSocketDescriptor, F_GETFD) < 0 || fcntl(kSharedDescriptor, F_GETFD) < 0) return false;
  socket = kSocketDescriptor;
  shared = kSharedDescriptor;
  return true;
}

#else  // The browser build runs no child processes.

bool TChildProcess::Start(const std::string&, const std::string&, TNativeHandle) { return false; }
bool TChildProcess::Running() { return false; }
void TChildProcess::Stop(int) { FSocket.Close(); }
void TChildProcess::Collect(int) {}
void TChildProcess::SetUpAsChild() {}
bool TChildProcess::InheritedHandles(TNativeHandle&, TNativeHandle&) { return false; }

#endif

}  // namespace pelto5

#endif  // !_WIN32
