// --record in a real SDL window: a few clicks and keys through the demo
// with the window system's input, then the recording replayed headless
// reaches the state dump the window's run wrote at its end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "support/PlayerRun.h"
#include "support/WindowedPlayer.h"

namespace pelto5::test {
namespace {

bool HaveDisplayAndTools() {
  return std::getenv("DISPLAY") != nullptr && std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string FindWindow() {
  for (int i = 0; i < 100; ++i) {
    const std::string id = CaptureOutput("xdotool search --name 'pelto5' 2>/dev/null | head -n 1");
    if (!id.empty()) return id;
    Sleep(50);
  }
  return "";
}

TEST(SdlRecord, ClicksThroughTheDemoReplayHeadlessToTheSameDump) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display and xdotool";
  TTempDir dir;
  const std::string demo = std::string(PELTO5_BINARY_DIR) + "/demo.pp5";
  const std::string recording = dir.Path() + "/rec.events";
  const std::string windowDump = dir.Path() + "/window.txt";
  auto run = std::async(std::launch::async, [&] {
    return RunPlayer({"--record", recording, "--dump-state", windowDump, "--save-dir", dir.Path() + "/s1", demo});
  });
  const std::string id = FindWindow();
  ASSERT_FALSE(id.empty()) << "the demo window did not appear";
  // Through the first two messages to the first choice, which is clicked.
  Sleep(5500);
  CaptureOutput("xdotool mousemove --window " + id + " 20 20 key --window " + id + " space");
  Sleep(5000);
  CaptureOutput("xdotool key --window " + id + " space");
  Sleep(5000);
  CaptureOutput("xdotool mousemove --window " + id + " 320 160");
  Sleep(300);
  CaptureOutput("xdotool click --window " + id + " 1");
  Sleep(2500);
  QuitWindowedPlayer(id, run);

  const std::string recorded = ReadFileText(recording);
  EXPECT_NE(recorded.find(" key-down 32\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" click 320 160\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" quit\n"), std::string::npos) << recorded;
  const std::string expected = ReadFileText(windowDump);
  ASSERT_FALSE(expected.empty());
  const std::string replayDump = dir.Path() + "/replay.txt";
  const TPlayerResult replay = RunPlayer({"--headless", "--events", recording, "--dump-state", replayDump,
                                          "--save-dir", dir.Path() + "/s2", demo});
  EXPECT_EQ(replay.ExitStatus, 0);
  EXPECT_EQ(ReadFileText(replayDump), expected) << recorded;
  // The choice was taken in both.
  EXPECT_NE(expected.find("[values]\n"), std::string::npos);
}

}  // namespace
}  // namespace pelto5::test
