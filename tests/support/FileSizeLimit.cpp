#include "support/FileSizeLimit.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/ProcessSignals.h"

namespace pelto5::test {

#ifdef _WIN32
// Windows has neither fork nor a file-size limit; the tests that need one
// skip there.
int RunUnderFileSizeLimit(size_t, const std::function<int()>&) { return -1; }
#else
int RunUnderFileSizeLimit(size_t bytes, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    TProcessSignals::IgnoreFileSizeLimitSignal();
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(255);
    _exit(body() & 0xFF);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace pelto5::test
