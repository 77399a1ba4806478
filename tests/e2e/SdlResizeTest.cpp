// The resizable window under a display: the picture keeps its aspect with
// black bars, and a click at the scaled place of a button hits it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

bool HaveDisplayAndTools() {
  return std::getenv("DISPLAY") != nullptr &&
         std::system("command -v xdotool >/dev/null 2>&1 && command -v import >/dev/null 2>&1 && "
                     "command -v convert >/dev/null 2>&1") == 0;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string FindWindowNamed(const std::string& title) {
  for (int i = 0; i < 100; ++i) {
    const std::string id = CaptureOutput("xdotool search --name '^" + title + "$' 2>/dev/null | head -n 1");
    if (!id.empty()) return id;
    Sleep(50);
  }
  return "";
}

bool IsBlack(uint32_t rgb) { return (rgb & 0xF0F0F0) == 0; }
bool IsBlue(uint32_t rgb) { return ((rgb >> 16) & 0xFF) < 0x40 && (rgb & 0xFF) > 0x90; }

TEST(SdlResize, ThePictureKeepsItsAspectAndAScaledClickHitsTheButton) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display, xdotool and ImageMagick";
  TTempDir dir;
  ASSERT_EQ(std::system(("convert -size 320x200 xc:'#3060c0' png24:" + dir.Path() + "/bg.png").c_str()), 0);
  // A 320 x 200 picture; a clickable area at (200, 120)-(240, 160) jumps to
  // "hit", which marks %hit% and ends the run.
  const std::string script = dir.Write(
      "resize.pf5",
      MakeScript(ScriptWithPage(
          {"DynamicLayer.Clickable.Mode=All", "DynamicLayer.Clickable.BookName=スタートブック",
           "DynamicLayer.Clickable.PageName=hit", "DynamicLayer.Area.Left=200", "DynamicLayer.Area.Top=120",
           "DynamicLayer.Area.Width=40", "DynamicLayer.Area.Height=40", "@DynamicLayer", "Wait.InputBreak=1",
           "Wait.Input=Clickable", "@Wait", "@rem", "<Page End>", "<Page=\"hit\">", "ValueCtrl.ValueVar=%hit%",
           "ValueCtrl.LeftValue=1", "@ValueCtrl"},
          {"Title=resizetest", "ImageWidth=320", "ImageHeight=200", "Opening=bg.png"})));
  const std::string dump = dir.Path() + "/dump.txt";
  auto run = std::async(std::launch::async, [=] { return RunPlayer({"--dump-state", dump, script}); });
  const std::string id = FindWindowNamed("resizetest");
  ASSERT_FALSE(id.empty()) << "the window did not appear";
  Sleep(500);

  // 1000 x 600 is wider than 320 x 200: the picture fills the height at
  // three times its size, 960 pixels wide, with 20-pixel bars each side.
  CaptureOutput("xdotool windowsize " + id + " 1000 600");
  TRgbImage shot;
  for (int i = 0; i < 40; ++i) {
    Sleep(150);
    CaptureOutput("import -window " + id + " png:" + dir.Path() + "/shot.png 2>/dev/null");
    shot = ReadPng(dir.Path() + "/shot.png");
    if (shot.Width == 1000 && shot.Height == 600 && IsBlue(shot.At(500, 300)) && IsBlack(shot.At(5, 300))) break;
  }
  ASSERT_EQ(shot.Width, 1000);
  ASSERT_EQ(shot.Height, 600);
  EXPECT_TRUE(IsBlack(shot.At(5, 300)));
  EXPECT_TRUE(IsBlack(shot.At(19, 300)));
  EXPECT_TRUE(IsBlue(shot.At(21, 300)));
  EXPECT_TRUE(IsBlue(shot.At(500, 1)));
  EXPECT_TRUE(IsBlue(shot.At(500, 598)));
  EXPECT_TRUE(IsBlue(shot.At(978, 300)));
  EXPECT_TRUE(IsBlack(shot.At(981, 300)));
  EXPECT_TRUE(IsBlack(shot.At(995, 300)));

  // A click just outside the area in picture terms does nothing; the
  // button's centre (220, 140) is at (20 + 3 * 220, 3 * 140) in the window.
  CaptureOutput("xdotool mousemove --window " + id + " 618 420 click 1");  // picture x 199
  Sleep(600);
  EXPECT_NE(run.wait_for(std::chrono::milliseconds(0)), std::future_status::ready) << "a click beside the button hit it";
  CaptureOutput("xdotool mousemove --window " + id + " 680 420 click 1");
  const auto status = run.wait_for(std::chrono::seconds(10));
  if (status != std::future_status::ready) {
    const std::string pid = CaptureOutput("xdotool getwindowpid " + id + " 2>/dev/null");
    if (!pid.empty()) std::system(("kill -TERM " + pid).c_str());
  }
  ASSERT_EQ(status, std::future_status::ready) << "the click at the scaled button did not end the run";
  EXPECT_EQ(run.get().ExitStatus, 0);
  EXPECT_NE(ReadFileText(dump).find("[values]\nhit=1\n"), std::string::npos) << ReadFileText(dump);
}

}  // namespace
}  // namespace pelto5::test
