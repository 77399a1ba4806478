// The windowed player started where no display can be opened says so and
// stops, instead of running with its window only in memory.
#include <gtest/gtest.h>

#include <string>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

TEST(NoDisplay, WindowedPlayerSaysSoAndExitsWithItsOwnStatus) {
  TTempDir dir;
  const std::string script = dir.Write("pelto.pf5", MakeScript(ScriptWithPage({"@Wait"})));
  // No display variables and no driver asked for; the timeout turns a hang
  // into a failure (status 124) instead of a stuck test run.
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 '" +
                              std::string(PELTO5_PLAYER) + "' '" + script + "' 2>&1 >/dev/null; echo \"status=$?\"";
  const std::string output = CaptureOutput(command);
  EXPECT_NE(output.find("status=4"), std::string::npos) << output;
  EXPECT_NE(output.find("pelto5: no display could be opened"), std::string::npos) << output;
  EXPECT_NE(output.find("--headless"), std::string::npos) << output;
  // One line of ours (the window system's libraries may add their own).
  size_t ours = 0;
  for (size_t at = output.find("pelto5:"); at != std::string::npos; at = output.find("pelto5:", at + 1)) ++ours;
  EXPECT_EQ(ours, 1u) << output;
}

TEST(NoDisplay, AskedForOffscreenDriverStillRuns) {
  TTempDir dir;
  // A page without commands ends the run at once: the offscreen driver the
  // user asked for is accepted, so the exit status is the normal one.
  const std::string script = dir.Write("pelto.pf5", MakeScript(ScriptWithPage({})));
  // The offscreen driver's GL libraries are unloaded at exit, so leak
  // reports from them cannot be told apart; this run is about the status.
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                              "ASAN_OPTIONS=detect_leaks=0 "
                              "timeout 30 '" + std::string(PELTO5_PLAYER) + "' '" + script +
                              "' >/dev/null 2>&1; echo \"status=$?\"";
  EXPECT_EQ(CaptureOutput(command), "status=0");
}

TEST(NoDisplay, DemoWalkthroughPlaysToTheEndAndLeavesItsShots) {
  // The events file run-demo uses without a display must keep fitting the
  // demo: every scene shot is written and the demo ends by itself.
  TTempDir dir;
  const std::string events = std::string(PELTO5_SOURCE_DIR) + "/data/demo/walkthrough.events";
  const std::string command = "cd '" + dir.Path() + "' && '" + std::string(PELTO5_PLAYER) +
                              "' --headless --max-time 60000 --events '" + events + "' '" +
                              std::string(PELTO5_BINARY_DIR) + "/demo.pp5' 2>&1; echo \"status=$?\"";
  const std::string output = CaptureOutput(command);
  EXPECT_EQ(output, "status=0");
  const std::string shots = CaptureOutput("cd '" + dir.Path() + "' && ls *.png | wc -l");
  EXPECT_EQ(shots, "8");
}

}  // namespace
}  // namespace pelto5::test
