// The player in a real SDL window, observed through the window system.
// Runs only where there is a display (the test command provides a virtual
// one) and xdotool is installed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

std::string Capture(const std::string& command) { return CaptureOutput(command); }

bool HaveDisplayAndTools() {
  return std::getenv("DISPLAY") != nullptr && std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

// Waits up to a few seconds for a window with that exact title; its id or "".
// Titles are compared here rather than by xdotool's pattern, which does not
// match non-ASCII text reliably.
std::string FindWindow(const std::string& title) {
  for (int i = 0; i < 60; ++i) {
    for (const std::string& id : SplitLines(Capture("xdotool search --name . 2>/dev/null"))) {
      if (id.empty()) continue;
      const std::vector<std::string> name = SplitLines(Capture("xdotool getwindowname " + id + " 2>/dev/null"));
      if (!name.empty() && name[0] == title) return id;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "";
}

void ExpectWindowOfSize(const std::vector<std::string>& extraArgs, const std::string& title,
                        const std::string& geometry) {
  TTempDir dir;
  std::vector<std::string> page(12, "@Effect");  // about 2.4 s of ticks
  const std::string script = dir.Write(
      "w.pf5", MakeScript(ScriptWithPage(page, {"Title=" + title, "ImageWidth=320", "ImageHeight=200"})));
  std::vector<std::string> args = extraArgs;
  args.push_back(script);
  auto run = std::async(std::launch::async, [args] { return RunPlayer(args); });
  const std::string id = FindWindow(title);
  std::string actual;
  if (!id.empty()) actual = Capture("xdotool getwindowgeometry " + id);
  const TPlayerResult r = run.get();
  ASSERT_FALSE(id.empty()) << "no window titled " << title;
  EXPECT_NE(actual.find("Geometry: " + geometry), std::string::npos) << actual;
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.ErrorLines.empty()) << r.ErrorLines.front();
}

TEST(SdlWindow, OpensAtTheHeaderSizeWithTheScriptTitleAndClosesCleanly) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display and xdotool";
  ExpectWindowOfSize({}, "灯台テスト窓", "320x200");
}

TEST(SdlWindow, ScaleMultipliesTheWindowSize) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display and xdotool";
  ExpectWindowOfSize({"--scale", "2"}, "倍率テスト", "640x400");
}

}  // namespace
}  // namespace pelto5::test
