// The player's message boxes as the window system shows them, under a
// display without any Japanese X fonts: a picture of the box taken through
// the window system holds the Japanese text exactly as the player's own
// fonts draw it, and the box answers the keyboard and the mouse.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "base/MessageTexts.h"
#include "base/SjisText.h"
#include "platform/Canvas.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/DialogDrawing.h"
#include "platform/sdl/SdlMessageDialog.h"
#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

bool HaveDisplayAndTools() {
  return std::getenv("DISPLAY") != nullptr &&
         std::system("command -v xdotool >/dev/null 2>&1 && command -v import >/dev/null 2>&1") == 0;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The box: the one visible window with the player's default caption (the
// main window is still hidden when the content fails to open).
std::string FindBox() {
  for (int i = 0; i < 100; ++i) {
    const std::string id =
        CaptureOutput("xdotool search --onlyvisible --name '^Peltoforge 5 Runtime$' 2>/dev/null | head -n 1");
    if (!id.empty()) return id;
    Sleep(50);
  }
  return "";
}

TRgbImage Capture(const std::string& id, const TTempDir& dir) {
  const std::string path = dir.Path() + "/box.png";
  // The first picture may be taken before the box has painted.
  Sleep(300);
  CaptureOutput("import -window " + id + " png:" + path + " 2>/dev/null");
  return ReadPng(path);
}

bool Dark(uint32_t rgb) { return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF) < 3 * 0x80; }

// True when picture holds the ink of text (Shift-JIS) as the player's own
// font draws it, pixel for pixel, anywhere: the glyphs themselves, not
// some text of about that size.
bool ShowsText(const TRgbImage& picture, const std::string& text) {
  const TFont font = dialog::DialogFont();
  TCanvas drawn;
  drawn.SetSize(dialog::TextWidth(text, font) + 4, dialog::LineHeight(font) + 4);
  drawn.Fill(0xFFFFFF);
  dialog::DrawText(drawn, {0, 0, drawn.Width(), drawn.Height()}, 2, 2, text, font);
  int x0 = drawn.Width();
  int y0 = drawn.Height();
  int x1 = -1;
  int y1 = -1;
  for (int y = 0; y < drawn.Height(); ++y) {
    for (int x = 0; x < drawn.Width(); ++x) {
      if (!Dark(drawn.Row(y)[x] & 0xFFFFFF)) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return false;
  const int w = x1 - x0 + 1;
  const int h = y1 - y0 + 1;
  for (int py = 0; py + h <= picture.Height; ++py) {
    for (int px = 0; px + w <= picture.Width; ++px) {
      bool same = true;
      for (int y = 0; y < h && same; ++y) {
        for (int x = 0; x < w && same; ++x) {
          same = Dark(picture.At(px + x, py + y)) == Dark(drawn.Row(y0 + y)[x0 + x] & 0xFFFFFF);
        }
      }
      if (same) return true;
    }
  }
  return false;
}

// Waits for the player to end (killing it after 15 s) and gives its result.
TPlayerResult Finish(const std::string& box, std::future<TPlayerResult>& run) {
  if (run.wait_for(std::chrono::seconds(15)) != std::future_status::ready) {
    const std::string pid = CaptureOutput("xdotool getwindowpid " + box + " 2>/dev/null");
    if (!pid.empty()) std::system(("kill -KILL " + pid).c_str());
    ADD_FAILURE() << "the player did not end after the box was answered";
  }
  return run.get();
}

TEST(SdlMessageBoxWindow, ShowsJapaneseInThePlayersOwnFontAndEnterAnswers) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display, xdotool and ImageMagick";
  TTempDir dir;
  // A content file that is not there: "無い灯台.pf5が見つかりません".
  const std::string missing = "無い灯台.pf5";
  auto run = std::async(std::launch::async, [missing] { return RunPlayer({missing}); });
  const std::string box = FindBox();
  ASSERT_FALSE(box.empty()) << "no box appeared";
  const TRgbImage picture = Capture(box, dir);
  CaptureOutput("xdotool key --window " + box + " Return");
  const TPlayerResult r = Finish(box, run);
  ASSERT_GT(picture.Width, 0);
  EXPECT_TRUE(ShowsText(picture, sjis::FromUtf8(missing + "が見つかりません")));
  // A check that can fail: text the box does not hold is not found.
  EXPECT_FALSE(ShowsText(picture, sjis::FromUtf8("灯台が見つかりません")));
  EXPECT_EQ(r.ExitStatus, 1);
  // Shown, not written to standard error for want of a box.
  EXPECT_TRUE(r.ErrorLines.empty()) << r.ErrorLines.front();
}

// The script's header names a file type the player does not know: a box
// with Abort and Ignore; Abort ends the run, Ignore plays on.
std::string UnknownFileType(const TTempDir& dir) {
  std::vector<std::string> lines = ScriptWithPage({});
  for (std::string& line : lines) {
    if (line == "FileType=PV5") line = "FileType=PV4";
  }
  return dir.Write("old.pf5", MakeScript(lines));
}

TEST(SdlMessageBoxWindow, ButtonsAnswerFromTheKeyboardAndTheMouse) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display, xdotool and ImageMagick";
  TTempDir dir;
  const std::string script = UnknownFileType(dir);

  // The focus starts on Ignore; the left arrow moves it to Abort.
  {
    auto run = std::async(std::launch::async, [script] { return RunPlayer({script}); });
    const std::string box = FindBox();
    ASSERT_FALSE(box.empty()) << "no box appeared";
    Sleep(300);
    CaptureOutput("xdotool key --window " + box + " Left Return");
    EXPECT_EQ(Finish(box, run).ExitStatus, 1);
  }

  // A click on Ignore: the box's layout is the dialog's, in English.
  THeadlessOptions options;
  options.EchoToStderr = false;
  options.Language = TLanguage::English;
  THeadlessPlatform english(options);
  InstallPlatform(&english);
  const TSdlMessageDialog dialog(msg::kBadFileType, TMessageIcon::Error, TMessageButtons::AbortIgnore, 1200, 900);
  InstallPlatform(nullptr);
  const auto& ignore = dialog.ButtonRect(1);
  auto run = std::async(std::launch::async, [script] { return RunPlayer({script}); });
  const std::string box = FindBox();
  ASSERT_FALSE(box.empty()) << "no box appeared";
  Sleep(300);
  CaptureOutput("xdotool mousemove --window " + box + " " + std::to_string(ignore.X + ignore.W / 2) + " " +
                std::to_string(ignore.Y + ignore.H / 2) + " click 1");
  const TPlayerResult r = Finish(box, run);
  // The run went on past the box, and its empty start page ended it.
  EXPECT_EQ(r.ExitStatus, 0);
}

TEST(SdlMessageBoxWindow, StartedWithoutContentOrChooserTheBoxNamesTheCommandLine) {
  if (!HaveDisplayAndTools()) GTEST_SKIP() << "needs a display, xdotool and ImageMagick";
  TTempDir dir;
  fs::create_directories(dir.Path() + "/bin");
  fs::create_directories(dir.Path() + "/nothing");
  const std::string player = dir.Path() + "/bin/pelto5";
  fs::copy_file(PELTO5_PLAYER, player);
  auto run = std::async(std::launch::async, [&] {
    return RunPlayerBinary(player, {}, {"LANG=ja_JP.UTF-8", "PATH=" + dir.Path() + "/nothing"});
  });
  const std::string box = FindBox();
  ASSERT_FALSE(box.empty()) << "no box appeared";
  const TRgbImage picture = Capture(box, dir);
  CaptureOutput("xdotool key --window " + box + " Escape");
  const TPlayerResult r = Finish(box, run);
  EXPECT_TRUE(ShowsText(picture, sjis::FromUtf8("遊ぶゲームが指定されていません。プレイヤーの隣にも")));
  EXPECT_TRUE(ShowsText(picture, sjis::FromUtf8("    pelto5 GAME.pp5")));
  EXPECT_EQ(r.ExitStatus, 1);
}

}  // namespace
}  // namespace pelto5::test
