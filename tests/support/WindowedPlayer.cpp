#include "support/WindowedPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace pelto5::test {

void QuitWindowedPlayer(const std::string& windowId, std::future<TPlayerResult>& run) {
  const std::string pid = CaptureOutput("xdotool getwindowpid " + windowId + " 2>/dev/null");
  ASSERT_FALSE(pid.empty()) << "no process for window " << windowId;
  std::system(("kill -TERM " + pid).c_str());
  const auto status = run.wait_for(std::chrono::seconds(10));
  if (status != std::future_status::ready) std::system(("kill -KILL " + pid).c_str());
  ASSERT_EQ(status, std::future_status::ready) << "the player did not end on a quit request";
  EXPECT_EQ(run.get().ExitStatus, 0);
}

}  // namespace pelto5::test
