// The demo in a real SDL window under a display, driven with the window
// system's mouse and keyboard; what the window shows is compared with what
// the headless player shows at the same point of the story.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "support/PlayerRun.h"
#include "support/WindowedPlayer.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

std::string Capture(const std::string& command) { return CaptureOutput(command); }

bool HaveDisplayAndTools() {
  return std::getenv("DISPLAY") != nullptr &&
         std::system("command -v xdotool >/dev/null 2>&1 && command -v import >/dev/null 2>&1") == 0;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string FindDemoWindow() {
  for (int i = 0; i < 100; ++i) {
    const std::string id = Capture("xdotool search --name 'pelto5' 2>/dev/null | head -n 1");
    if (!id.empty()) return id;
    Sleep(50);
  }
  return "";
}

// Takes pictures of the window until one matches expected (the transition
// and the message reveal take real time here), or gives up after a while.
// The key-wait mark blinks, so its few pixels may be in the other frame.
long DifferenceWhenSettled(const std::string& id, const std::string& path, const TRgbImage& expected) {
  long best = -1;
  for (int i = 0; i < 60; ++i) {
    Capture("import -window " + id + " png:" + path + " 2>/dev/null");
    const long difference = CountDifferentPixels(ReadPng(path), expected, 8);
    if (difference >= 0 && (best < 0 || difference < best)) best = difference;
    if (best >= 0 && best < 400) break;
    Sleep(300);
  }
  return best;
}

TEST(SdlDemo, PlaysWithTheWindowSystemsInputAndShowsTheHeadlessFrame) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display, xdotool and ImageMagick";
  TTempDir dir;
  const std::string demo = std::string(PELTO5_BINARY_DIR) + "/demo.pp5";

  // Headless: the first message waiting at its key mark, then the second one.
  const std::string events = dir.Write("events.txt",
                                       "4000 shot " + dir.Path() + "/h1.png\n5000 key space\n"
                                       "9000 shot " + dir.Path() + "/h2.png\n9500 quit\n");
  ASSERT_EQ(RunPlayer({"--headless", "--events", events, demo}).ExitStatus, 0);
  const TRgbImage h1 = ReadPng(dir.Path() + "/h1.png");
  const TRgbImage h2 = ReadPng(dir.Path() + "/h2.png");
  ASSERT_EQ(h1.Width, 640);

  auto run = std::async(std::launch::async, [demo] { return RunPlayer({demo}); });
  const std::string id = FindDemoWindow();
  ASSERT_FALSE(id.empty()) << "the demo window did not appear";
  const long first = DifferenceWhenSettled(id, dir.Path() + "/w1.png", h1);
  EXPECT_GE(first, 0);
  EXPECT_LT(first, 400) << "first message differs";

  Capture("xdotool mousemove --window " + id + " 20 20 key --window " + id + " space");
  const long second = DifferenceWhenSettled(id, dir.Path() + "/w2.png", h2);
  EXPECT_GE(second, 0);
  EXPECT_LT(second, 400) << "second message differs";

  // A quit request (what closing the window sends; there is no window
  // manager here to close it) is a normal end.
  QuitWindowedPlayer(id, run);
}

}  // namespace
}  // namespace pelto5::test
