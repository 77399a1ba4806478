// The windowed player started where no display can be opened says so and
// stops, instead of running with its window only in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

// The windowed player on a page that waits for a click, with environment
// (variables set or unset); the timeout turns a hang into a failure instead
// of a stuck test run.
TProgramResult RunWindowed(const std::vector<std::string>& environment) {
  TTempDir dir;
  const std::string script = dir.Write("pelto.pf5", MakeScript(ScriptWithPage({"@Wait"})));
  TProgramOptions options;
  options.Environment = environment;
  options.TimeoutSeconds = 30;
  return RunProgram({PELTO5_PLAYER, script}, options);
}

TEST(NoDisplay, WindowedPlayerSaysSoAndExitsWithItsOwnStatus) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows program always has a desktop to open its window on";
#endif
  // No display variables and no driver asked for.
  const TProgramResult run = RunWindowed({"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
  const std::string& output = run.StdErr;
  EXPECT_FALSE(run.TimedOut) << output;
  EXPECT_EQ(run.ExitStatus, 4) << output;
  EXPECT_NE(output.find("pelto5: no display could be opened"), std::string::npos) << output;
  EXPECT_NE(output.find("--headless"), std::string::npos) << output;
  // One line of ours (the window system's libraries may add their own).
  size_t ours = 0;
  for (size_t at = output.find("pelto5:"); at != std::string::npos; at = output.find("pelto5:", at + 1)) ++ours;
  EXPECT_EQ(ours, 1u) << output;
}

TEST(NoDisplay, ANamedXDisplayThatDoesNotAnswerGivesOneLineAndNothingElse) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows program always has a desktop to open its window on";
#endif
  // An X display no server answers for. The player tries X alone, several
  // times, and no other window system's library has its say.
  const TProgramResult run = RunWindowed({"DISPLAY=:97", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_RUNTIME_DIR"});
  EXPECT_FALSE(run.TimedOut) << run.StdErr;
  EXPECT_EQ(run.ExitStatus, 4) << run.StdErr;
  EXPECT_EQ(run.StdErr.rfind("pelto5: cannot open the main window: no display is available (", 0), 0u) << run.StdErr;
  EXPECT_EQ(std::count(run.StdErr.begin(), run.StdErr.end(), '\n'), 1) << run.StdErr;
}

TEST(NoDisplay, AskedForOffscreenDriverStillRuns) {
  TTempDir dir;
  // A page without commands ends the run at once: the offscreen driver the
  // user asked for is accepted, so the exit status is the normal one.
  const std::string script = dir.Write("pelto.pf5", MakeScript(ScriptWithPage({})));
  // The offscreen driver's GL libraries are unloaded at exit, so leak
  // reports from them cannot be told apart; this run is about the status.
  TProgramOptions options;
  options.Environment = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                         "ASAN_OPTIONS=detect_leaks=0"};
  options.TimeoutSeconds = 30;
  const TProgramResult run = RunProgram({PELTO5_PLAYER, script}, options);
  EXPECT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitStatus, 0) << run.StdErr;
}

TEST(NoDisplay, DemoWalkthroughPlaysToTheEndAndLeavesItsShots) {
  // The events file run-demo uses without a display must keep fitting the
  // demo: every scene shot is written and the demo ends by itself.
  TTempDir dir;
  const std::string events = std::string(PELTO5_SOURCE_DIR) + "/data/demo/walkthrough.events";
  TProgramOptions options;
  options.WorkingDirectory = dir.Path();
  options.ErrorIntoOutput = true;
  const TProgramResult run = RunProgram({PELTO5_PLAYER, "--headless", "--max-time", "60000", "--events", events,
                                         std::string(PELTO5_BINARY_DIR) + "/demo.pp5"},
                                        options);
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(run.StdOut, "");
  size_t shots = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    if (entry.path().extension() == ".png") ++shots;
  }
  EXPECT_EQ(shots, 8u);
}

}  // namespace
}  // namespace pelto5::test
