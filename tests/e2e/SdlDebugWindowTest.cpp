// The debug information window as a real second SDL window under a
// display: the demo with "DebugMode" = 1 opens it beside the main window,
// it changes while the demo runs, and a picture of the whole screen taken
// through the window system shows it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "support/PlayerRun.h"
#include "support/WindowedPlayer.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

bool HaveDisplayAndTools() {
  return std::getenv("DISPLAY") != nullptr &&
         std::system("command -v xdotool >/dev/null 2>&1 && command -v import >/dev/null 2>&1") == 0;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string FindWindowNamed(const std::string& pattern) {
  for (int i = 0; i < 100; ++i) {
    const std::string id = CaptureOutput("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null | head -n 1");
    if (!id.empty()) return id;
    Sleep(50);
  }
  return "";
}

// The demo's script with "DebugMode=1" in its header, beside its pictures.
std::string DebugDemo(const TTempDir& dir) {
  const std::string source = std::string(PELTO5_SOURCE_DIR) + "/data/demo";
  for (const auto& entry : std::filesystem::directory_iterator(source)) {
    std::filesystem::copy_file(entry.path(), std::filesystem::path(dir.Path()) / entry.path().filename());
  }
  std::string script = ReadFileText(source + "/pelto.pf5");
  const std::string anchor = "CommandVersion=19\r\n";
  const size_t at = script.find(anchor);
  if (at == std::string::npos) return "";
  script.insert(at + anchor.size(), "DebugMode=1\r\n");
  return dir.Write("pelto.pf5", script);
}

TEST(SdlDebugWindow, OpensBesideTheDemoUpdatesAndShowsOnTheScreen) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display, xdotool and ImageMagick";
  TTempDir dir;
  const std::string script = DebugDemo(dir);
  ASSERT_FALSE(script.empty());
  auto run = std::async(std::launch::async, [script] { return RunPlayer({script}); });
  const std::string debug = FindWindowNamed("^DebugInfo$");
  const std::string main = FindWindowNamed("pelto5");
  ASSERT_FALSE(debug.empty()) << "the debug window did not appear";
  ASSERT_FALSE(main.empty()) << "the main window did not appear";
  const std::string geometry = CaptureOutput("xdotool getwindowgeometry " + debug);
  EXPECT_NE(geometry.find("Geometry: 331x485"), std::string::npos) << geometry;

  // The window follows the run: pictures of it taken while the demo
  // reveals its first message, and after a key has moved it on, differ.
  const std::string first = dir.Path() + "/d1.png";
  const std::string later = dir.Path() + "/d2.png";
  Sleep(1500);
  CaptureOutput("import -window " + debug + " png:" + first + " 2>/dev/null");
  bool changed = false;
  for (int i = 0; i < 20 && !changed; ++i) {
    CaptureOutput("xdotool key --window " + main + " space");
    Sleep(500);
    CaptureOutput("import -window " + debug + " png:" + later + " 2>/dev/null");
    changed = CountDifferentPixels(ReadPng(first), ReadPng(later)) > 0;
  }
  EXPECT_TRUE(changed) << "the debug window did not change while the demo ran";

  // The whole screen, as the window system composes it, shows the window
  // where its own picture says.
  const std::string root = dir.Path() + "/root.png";
  CaptureOutput("import -window root png:" + root + " 2>/dev/null");
  const TRgbImage screen = ReadPng(root);
  const TRgbImage window = ReadPng(later);
  ASSERT_EQ(window.Width, 331);
  const std::string position = CaptureOutput("xdotool getwindowgeometry " + debug + " | sed -n 's/.*Position: \\([0-9]*\\),\\([0-9]*\\).*/\\1 \\2/p'");
  int x = -1;
  int y = -1;
  ASSERT_EQ(std::sscanf(position.c_str(), "%d %d", &x, &y), 2) << position;
  ASSERT_LE(x + window.Width, screen.Width);
  long same = 0;
  for (int py = 0; py < 40; ++py) {
    for (int px = 0; px < window.Width; ++px) same += screen.At(x + px, y + py) == window.At(px, py) ? 1 : 0;
  }
  EXPECT_GT(same, 40 * window.Width * 9 / 10) << "the tabs and header are not on the screen";

  QuitWindowedPlayer(main, run);
}

}  // namespace
}  // namespace pelto5::test
