#include "platform/ProcessSignals.h"

#include <csignal>

namespace pelto5 {

void TProcessSignals::IgnoreFileSizeLimitSignal() {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void TProcessSignals::IgnoreBrokenPipeSignal() {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace pelto5
