// Window and full-screen mode on the headless display: the display is
// changed once per real switch, "%_fullscreen%" follows the mode (and is
// left alone when nothing switched), a refusing display keeps the window
// where it was, and leaving full screen keeps the window at the top-left.
// On a real display (Xvfb in practice) the SDL backend covers the screen
// with the picture letterboxed and gives the window back afterwards.
#include "shell/DisplayMode.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "exec/PeltoAccessControl.h"
#include "graphics/ScreenControl.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/Letterbox.h"
#include "platform/sdl/SdlPlatform.h"
#include "base/KeyValueList.h"
#include "script/VariableCtrl.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

class DisplayModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    ASSERT_TRUE(FAccess.Open(FDir.Write(
        "game.pf5", test::MakeScript({"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "ImageWidth=320",
                                      "ImageHeight=200", "<Head End>"}))));
    FScreen.AccessControl = &FAccess;
    FScreen.InitWindows();
    // As the form does on its first show: client size of the main screen,
    // position from the system settings.
    FPlatform.SetClientSize(320, 200);
    FPlatform.SetWindowPosition(100, 50);
  }
  void TearDown() override { InstallPlatform(nullptr); }

  TVariableCtrl& Vars() { return FAccess.VariableCtrl(); }
  bool FullScreenVariableSet() { return ListIndexOfName(Vars().FValueVars, "_fullscreen") >= 0; }
  int FullScreenVariable() { return Vars().GetValue("%_fullscreen%"); }

  THeadlessPlatform FPlatform{Quiet()};
  test::TTempDir FDir;
  TPeltoAccessControl FAccess;
  TScreenControl FScreen;
  TDisplayMode FMode{FAccess, FScreen};
};

TEST_F(DisplayModeTest, FullScreenAndBackChangeTheDisplayOnceEach) {
  FMode.SetFullScreen();
  EXPECT_TRUE(FMode.FullScreen());
  EXPECT_TRUE(FPlatform.FullScreen());
  EXPECT_EQ(FullScreenVariable(), 1);
  EXPECT_EQ(FPlatform.WindowLeft(), 0);
  EXPECT_EQ(FPlatform.WindowTop(), 0);
  EXPECT_EQ(FPlatform.ClientWidth(), 320);
  EXPECT_EQ(FPlatform.ClientHeight(), 200);

  // The mode already in force is not entered again.
  FMode.SetFullScreen();
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 1);

  FMode.SetWindowMode();
  EXPECT_FALSE(FMode.FullScreen());
  EXPECT_FALSE(FPlatform.FullScreen());
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 2);
  EXPECT_EQ(FullScreenVariable(), 0);
  EXPECT_TRUE(FullScreenVariableSet());
  // The old position is not restored: the window stays at the top-left,
  // which is what shut-down stores as the next start position.
  EXPECT_EQ(FPlatform.WindowLeft(), 0);
  EXPECT_EQ(FPlatform.WindowTop(), 0);
  EXPECT_EQ(FPlatform.ClientWidth(), 320);
  EXPECT_EQ(FPlatform.ClientHeight(), 200);

  FMode.SetWindowMode();
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 2);
}

TEST_F(DisplayModeTest, WindowModeWithoutFullScreenDoesNothing) {
  FMode.SetWindowMode();
  EXPECT_FALSE(FMode.FullScreen());
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 0);
  EXPECT_FALSE(FullScreenVariableSet());
  EXPECT_EQ(FPlatform.WindowLeft(), 100);
  EXPECT_EQ(FPlatform.WindowTop(), 50);
}

TEST_F(DisplayModeTest, ARefusingDisplayLeavesTheWindowAlone) {
  FPlatform.SetFullScreenRefused(true);
  FMode.SetFullScreen();
  EXPECT_FALSE(FMode.FullScreen());
  EXPECT_FALSE(FPlatform.FullScreen());
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 0);
  EXPECT_FALSE(FullScreenVariableSet());
  EXPECT_EQ(FPlatform.WindowLeft(), 100);
  EXPECT_EQ(FPlatform.WindowTop(), 50);

  // Once the display accepts, the switch works.
  FPlatform.SetFullScreenRefused(false);
  FMode.SetFullScreen();
  EXPECT_TRUE(FMode.FullScreen());
  EXPECT_EQ(FullScreenVariable(), 1);
}

TEST_F(DisplayModeTest, TheVariableReportsTheModeButDoesNotSetIt) {
  // A script writing the variable changes no mode.
  Vars().Set_Value("%_fullscreen%", 1);
  FMode.SetWindowMode();
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 0);
  EXPECT_EQ(FullScreenVariable(), 1);

  FMode.SetFullScreen();
  Vars().Set_Value("%_fullscreen%", 0);
  FMode.SetFullScreen();
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 1);
  FMode.SetWindowMode();
  EXPECT_EQ(FullScreenVariable(), 0);
  EXPECT_FALSE(FPlatform.FullScreen());
}

TEST_F(DisplayModeTest, TheDisplayRoutinesGoThroughThePlatform) {
  EXPECT_FALSE(TDisplayMode::SetDisplayMode(0, 200));
  EXPECT_FALSE(FPlatform.FullScreen());
  EXPECT_TRUE(TDisplayMode::SetDisplayMode(640, 480));
  EXPECT_TRUE(FPlatform.FullScreen());
  EXPECT_TRUE(TDisplayMode::RestoreDisplayMode());
  EXPECT_FALSE(FPlatform.FullScreen());
  // Restoring a display that was never changed is no change.
  EXPECT_TRUE(TDisplayMode::RestoreDisplayMode());
  EXPECT_EQ(FPlatform.DisplayModeChanges(), 2);
}

// Records where button presses arrive.
class TPointerClient : public TPlatformClient {
 public:
  std::vector<std::pair<int, int>> Downs;
  void FormMouseDown(TMouseButton, int x, int y) override { Downs.emplace_back(x, y); }
  void FormMouseUp(TMouseButton, int, int) override {}
  void FormMouseMove(int, int) override {}
  void FormKeyDown(int) override {}
  void FormKeyUp(int) override {}
  void FormPaint() override {}
  void FormActivate() override {}
  void MainTimerTimer() override {}
};

TEST(SdlFullScreen, CoversTheDisplayLetterboxedAndGivesTheWindowBack) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') GTEST_SKIP() << "DISPLAY is not set";
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  TSdlPlatform platform(TSdlOptions{2, false});
  const TResult initialized = platform.Initialize();
  ASSERT_TRUE(initialized) << initialized.Reason();
  SDL_ResetHint(SDL_HINT_RENDER_DRIVER);
  platform.SetClientSize(40, 20);
  platform.ShowMainWindow();
  SDL_Window* window = SDL_GetWindowFromID(platform.WindowId());
  ASSERT_NE(window, nullptr);

  ASSERT_TRUE(platform.SetFullScreen(true, 40, 20)) << SDL_GetError();
  EXPECT_TRUE(platform.FullScreen());
  EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
  SDL_PumpEvents();
  // The picture keeps its proportions in the middle of the output; the
  // canvas keeps its size.
  platform.Canvas().Fill(0x00FF0000);
  platform.Present();
  SDL_Renderer* renderer = SDL_GetRenderer(window);
  int w = 0;
  int h = 0;
  ASSERT_EQ(SDL_GetRendererOutputSize(renderer, &w, &h), 0);
  ASSERT_GT(w, 0);
  EXPECT_EQ(platform.ClientWidth(), 40);
  std::vector<uint32_t> frame(static_cast<size_t>(w) * h);
  ASSERT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_XRGB8888, frame.data(), w * 4), 0)
      << SDL_GetError();
  auto at = [&](int x, int y) { return frame[static_cast<size_t>(y) * w + x] & 0x00FFFFFF; };
  EXPECT_EQ(at(w / 2, h / 2), 0x00FF0000u);
  // An output of other proportions than 2:1 has black bars.
  if (w * 20 != h * 40) {
    EXPECT_EQ(at(0, 0), 0u);
  }
  // The picture fills exactly the largest 2:1 rectangle in the middle.
  const TLetterbox box = TLetterbox::Fit(40, 20, w, h);
  EXPECT_EQ(at(box.X, box.Y), 0x00FF0000u);
  EXPECT_EQ(at(box.X + box.Width - 1, box.Y + box.Height - 1), 0x00FF0000u);
  if (box.X > 0) {
    EXPECT_EQ(at(box.X - 1, h / 2), 0u);
  }
  if (box.Y > 0) {
    EXPECT_EQ(at(w / 2, box.Y - 1), 0u);
  }

  // A press in the middle of the output is the middle of the picture,
  // whatever the window scale.
  SDL_Event press{};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.windowID = platform.WindowId();
  press.button.button = SDL_BUTTON_LEFT;
  press.button.state = SDL_PRESSED;
  press.button.x = w / 2;
  press.button.y = h / 2;
  ASSERT_EQ(SDL_PushEvent(&press), 1);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  TPointerClient client;
  platform.Run(client);
  EXPECT_EQ(client.Downs, (std::vector<std::pair<int, int>>{{20, 10}}));

  ASSERT_TRUE(platform.SetFullScreen(false, 0, 0));
  EXPECT_FALSE(platform.FullScreen());
  EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
  int logicalW = -1;
  int logicalH = -1;
  SDL_RenderGetLogicalSize(renderer, &logicalW, &logicalH);
  EXPECT_EQ(logicalW, 0);
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 80);
  EXPECT_EQ(h, 40);
}

TEST(SdlFullScreen, NeedsAWindow) {
  TSdlPlatform platform;
  EXPECT_FALSE(platform.SetFullScreen(true, 640, 480));
  EXPECT_FALSE(platform.FullScreen());
  EXPECT_TRUE(platform.SetFullScreen(false, 0, 0));
}

}  // namespace
}  // namespace pelto5
