// The SDL backend against a real display (Xvfb in practice). The tests that
// need a window skip when DISPLAY is not set; the key mapping, tracing and
// the no-display behaviour run everywhere.
#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelto5 {
namespace {

bool HasDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

// Records what the platform delivers; hooks let a test act on activation
// and on timer ticks.
class TRecordingClient : public TPlatformClient {
 public:
  std::vector<std::string> Input;
  int Activations = 0;
  int Paints = 0;
  int Ticks = 0;
  int TickDepth = 0;
  int MaxTickDepth = 0;
  std::function<void()> OnActivate;
  std::function<void()> OnTick;

  void FormMouseDown(TMouseButton button, int x, int y) override { Add("down", button, x, y); }
  void FormMouseUp(TMouseButton button, int x, int y) override { Add("up", button, x, y); }
  void FormMouseMove(int x, int y) override { Input.push_back("move " + Pos(x, y)); }
  void FormKeyDown(int key) override { Input.push_back("keydown " + std::to_string(key)); }
  void FormKeyUp(int key) override { Input.push_back("keyup " + std::to_string(key)); }
  void FormPaint() override { ++Paints; }
  void FormActivate() override {
    ++Activations;
    if (OnActivate) OnActivate();
  }
  void MainTimerTimer() override {
    ++Ticks;
    MaxTickDepth = std::max(MaxTickDepth, ++TickDepth);
    if (OnTick) OnTick();
    --TickDepth;
  }

 private:
  static std::string Pos(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
  void Add(const char* what, TMouseButton button, int x, int y) {
    const char* name = button == TMouseButton::Left ? "L" : button == TMouseButton::Right ? "R" : "M";
    Input.push_back(std::string(what) + " " + name + " " + Pos(x, y));
  }
};

class SdlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasDisplay()) GTEST_SKIP() << "DISPLAY is not set";
  }

  std::unique_ptr<TSdlPlatform> Open(int scale = 1) {
    auto platform = std::make_unique<TSdlPlatform>(TSdlOptions{scale, false});
    const TResult initialized = platform->Initialize();
    EXPECT_TRUE(initialized) << initialized.Reason();
    return platform;
  }

  static SDL_Window* WindowOf(TSdlPlatform& platform) { return SDL_GetWindowFromID(platform.WindowId()); }
};

TEST(SdlKeyMapping, GivesWindowsVirtualKeys) {
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 32);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 13);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 13);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 27);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 'A');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 'Z');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), '0');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), '9');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP, SDL_SCANCODE_UP), 38);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 39);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1, SDL_SCANCODE_F1), 112);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 123);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0, SDL_SCANCODE_KP_0), 96);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_9, SDL_SCANCODE_KP_9), 105);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 16);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), 17);
}

TEST(SdlKeyMapping, FallsBackToKeyPositionAndIgnoresUnknownKeys) {
  // A Cyrillic layout: the key in the place of A produces U+0444.
  EXPECT_EQ(VirtualKeyFromSdl(0x0444, SDL_SCANCODE_A), 'A');
  EXPECT_EQ(VirtualKeyFromSdl(0x0444, SDL_SCANCODE_0), '0');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), 0);
}

TEST(SdlPlatformTrace, WritesUtf8LinesOnlyWhenTracing) {
  TSdlPlatform tracing(TSdlOptions{1, true});
  ::testing::internal::CaptureStderr();
  tracing.TraceLine("trace: 0 main/start #0 @MessageDraw \x83\x79\x83\x8B\x83\x67");  // ペルト
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "trace: 0 main/start #0 @MessageDraw ペルト\n");
  EXPECT_TRUE(tracing.TraceEnabled());

  TSdlPlatform quiet;
  ::testing::internal::CaptureStderr();
  quiet.TraceLine("trace: 0 main/start #0 @rem");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(quiet.TraceEnabled());
}

TEST(SdlPlatformNoDisplay, InitializeFailsCleanlyAndTheRestStillAnswers) {
  if (HasDisplay()) GTEST_SKIP() << "a display is available";
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  {
    TSdlPlatform platform;
    const TResult initialized = platform.Initialize();
    EXPECT_FALSE(initialized);
    EXPECT_NE(initialized.Reason().find("no display"), std::string::npos) << initialized.Reason();
    EXPECT_EQ(platform.WindowId(), 0u);

    platform.SetClientSize(320, 200);
    EXPECT_EQ(platform.ClientWidth(), 320);
    EXPECT_EQ(platform.ClientHeight(), 200);
    platform.SetWindowPosition(12, 34);
    EXPECT_EQ(platform.WindowLeft(), 12);
    EXPECT_EQ(platform.WindowTop(), 34);
    platform.Canvas().Fill(0x00123456);
    platform.Present();
    platform.ShowMainWindow();
    platform.ProcessMessages();
    platform.SetCursor(crSelect);
    EXPECT_EQ(platform.Cursor(), crSelect);

    // No box can be shown: the default button answers and the text goes to
    // standard error instead of being lost.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(platform.MessageBox("abc", TMessageIcon::Error, TMessageButtons::AbortIgnore),
              TMessageResult::Ignore);
    EXPECT_EQ(platform.MessageBox("abc", TMessageIcon::Warning, TMessageButtons::YesNo), TMessageResult::Yes);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("abc"), std::string::npos);
  }
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
}

TEST_F(SdlPlatformTest, PresentsTheCanvasScaledWithNearestNeighbour) {
  // The software renderer keeps the presented frame readable.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  auto platform = Open(2);
  SDL_ResetHint(SDL_HINT_RENDER_DRIVER);
  platform->ShowMainWindow();
  platform->SetClientSize(320, 200);
  EXPECT_EQ(platform->ClientWidth(), 320);
  EXPECT_EQ(platform->ClientHeight(), 200);
  EXPECT_EQ(platform->Canvas().Width(), 320);
  EXPECT_EQ(platform->Canvas().Height(), 200);
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(WindowOf(*platform), &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 400);

  // Left half red, right half blue, in the canvas' XRGB words.
  TCanvas& canvas = platform->Canvas();
  canvas.Fill(0x00FF0000);
  for (int y = 0; y < 200; ++y) {
    for (int x = 160; x < 320; ++x) canvas.Row(y)[x] = 0x000000FF;
  }
  platform->Present();

  SDL_Renderer* renderer = SDL_GetRenderer(WindowOf(*platform));
  ASSERT_NE(renderer, nullptr);
  std::vector<uint32_t> frame(640 * 400);
  ASSERT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_XRGB8888, frame.data(), 640 * 4), 0)
      << SDL_GetError();
  auto at = [&](int x, int y) { return frame[static_cast<size_t>(y) * 640 + x] & 0x00FFFFFF; };
  EXPECT_EQ(at(0, 0), 0x00FF0000u);
  EXPECT_EQ(at(319, 399), 0x00FF0000u);  // canvas x 159 covers window x 318 and 319
  EXPECT_EQ(at(320, 0), 0x000000FFu);
  EXPECT_EQ(at(639, 399), 0x000000FFu);
}

TEST_F(SdlPlatformTest, CaptionRoundTripsShiftJisAndShowsUtf8) {
  auto platform = Open();
  EXPECT_EQ(platform->Caption(), "Peltoforge 5 Runtime");
  EXPECT_STREQ(SDL_GetWindowTitle(WindowOf(*platform)), "Peltoforge 5 Runtime");

  // ペルト表示: the trail byte of 表 is 0x5C.
  const std::string caption = "\x83\x79\x83\x8B\x83\x67\x95\x5C\x8E\xA6";
  platform->SetCaption(caption);
  EXPECT_EQ(platform->Caption(), caption);
  EXPECT_STREQ(SDL_GetWindowTitle(WindowOf(*platform)), "ペルト表示");

  platform->SetCaption("");
  EXPECT_EQ(platform->Caption(), "");
}

TEST_F(SdlPlatformTest, WindowPositionRoundTrips) {
  auto platform = Open();
  platform->SetClientSize(320, 200);
  platform->ShowMainWindow();
  platform->SetWindowPosition(40, 30);
  platform->ProcessMessages();
  EXPECT_EQ(platform->WindowLeft(), 40);
  EXPECT_EQ(platform->WindowTop(), 30);
}

TEST_F(SdlPlatformTest, SelectCursorDiffersFromTheArrow) {
  auto platform = Open();
  platform->SetCursor(crSelect);
  EXPECT_EQ(platform->Cursor(), crSelect);
  SDL_Cursor* select = SDL_GetCursor();
  platform->SetCursor(crDefault);
  EXPECT_EQ(platform->Cursor(), crDefault);
  EXPECT_NE(SDL_GetCursor(), select);
}

TEST_F(SdlPlatformTest, TimerDrivesRunUntilTerminate) {
  auto platform = Open();
  platform->SetClientSize(320, 200);
  platform->ShowMainWindow();
  TRecordingClient client;
  uint32_t started = 0;
  client.OnActivate = [&] {
    if (client.Activations > 1) return;
    started = platform->GetTickCount();
    EXPECT_EQ(client.Ticks, 0);
    platform->SetMainTimerEnabled(true);
  };
  client.OnTick = [&] {
    if (client.Ticks == 3) platform->Terminate();
  };
  EXPECT_EQ(platform->Run(client), 0);
  const uint32_t elapsed = platform->GetTickCount() - started;
  EXPECT_GE(client.Activations, 1);
  EXPECT_EQ(client.Ticks, 3);
  // The first tick comes one interval after the timer was enabled.
  EXPECT_GE(elapsed, 600u);
  EXPECT_TRUE(platform->Terminated());
}

TEST_F(SdlPlatformTest, SlowTicksNeitherNestNorQueueUp) {
  auto platform = Open();
  TRecordingClient client;
  uint32_t firstTickEnd = 0;
  uint32_t thirdTickStart = 0;
  client.OnActivate = [&] { platform->SetMainTimerEnabled(true); };
  client.OnTick = [&] {
    if (client.Ticks == 1) {
      // Two intervals pass inside this tick, pumping messages all along.
      const uint32_t until = platform->GetTickCount() + 450;
      platform->WaitUntil(until);
      EXPECT_FALSE(static_cast<int32_t>(platform->GetTickCount() - until) < 0);
      platform->ProcessMessages();
      firstTickEnd = platform->GetTickCount();
    } else if (client.Ticks == 3) {
      thirdTickStart = platform->GetTickCount();
      platform->Terminate();
    }
  };
  platform->Run(client);
  EXPECT_EQ(client.Ticks, 3);
  EXPECT_EQ(client.MaxTickDepth, 1);
  // Only one overdue tick follows the slow one; the next waits an interval.
  EXPECT_GE(thirdTickStart - firstTickEnd, 200u);
}

TEST_F(SdlPlatformTest, QuitAndWindowCloseEndRun) {
  {
    auto platform = Open();
    TRecordingClient client;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    // The timer is off: only the event can end the wait.
    EXPECT_EQ(platform->Run(client), 0);
    EXPECT_TRUE(platform->Terminated());
    EXPECT_EQ(client.Ticks, 0);
  }
  {
    auto platform = Open();
    TRecordingClient client;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = platform->WindowId();
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    EXPECT_EQ(platform->Run(client), 0);
    EXPECT_TRUE(platform->Terminated());
  }
}

TEST_F(SdlPlatformTest, WaitUntilReachesItsTickOrEndsOnQuit) {
  auto platform = Open();
  uint32_t target = platform->GetTickCount() + 120;
  platform->WaitUntil(target);
  EXPECT_FALSE(static_cast<int32_t>(platform->GetTickCount() - target) < 0);
  EXPECT_FALSE(platform->Terminated());

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  target = platform->GetTickCount() + 60000;
  platform->WaitUntil(target);
  EXPECT_TRUE(platform->Terminated());
  EXPECT_TRUE(static_cast<int32_t>(platform->GetTickCount() - target) < 0);
}

SDL_Event MouseButtonEvent(uint32_t type, uint32_t window, uint8_t button, int x, int y) {
  SDL_Event event{};
  event.type = type;
  event.button.windowID = window;
  event.button.button = button;
  event.button.x = x;
  event.button.y = y;
  return event;
}

SDL_Event KeyEvent(uint32_t type, uint32_t window, SDL_Keycode sym, SDL_Scancode scancode) {
  SDL_Event event{};
  event.type = type;
  event.key.windowID = window;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = scancode;
  return event;
}

TEST_F(SdlPlatformTest, InputReachesTheClientInScreenPixels) {
  // The window stays hidden so that no real pointer movement mixes in.
  auto platform = Open(2);
  const uint32_t id = platform->WindowId();
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = id;
  motion.motion.x = -1;
  motion.motion.y = 11;
  std::vector<SDL_Event> events = {
      MouseButtonEvent(SDL_MOUSEBUTTONDOWN, id, SDL_BUTTON_LEFT, 101, 51),
      MouseButtonEvent(SDL_MOUSEBUTTONUP, id, SDL_BUTTON_RIGHT, 3, 5),
      MouseButtonEvent(SDL_MOUSEBUTTONDOWN, id, SDL_BUTTON_MIDDLE, 639, 479),
      MouseButtonEvent(SDL_MOUSEBUTTONDOWN, id, SDL_BUTTON_X1, 10, 10),     // no such button here
      MouseButtonEvent(SDL_MOUSEBUTTONDOWN, id + 100, SDL_BUTTON_LEFT, 4, 4),  // another window
      motion,
      KeyEvent(SDL_KEYDOWN, id, SDLK_SPACE, SDL_SCANCODE_SPACE),
      KeyEvent(SDL_KEYDOWN, id, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER),
      KeyEvent(SDL_KEYDOWN, id, SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY),  // no virtual key
      KeyEvent(SDL_KEYUP, id, SDLK_a, SDL_SCANCODE_A),
      KeyEvent(SDL_KEYDOWN, id, SDLK_F1, SDL_SCANCODE_F1),
  };
  for (SDL_Event& event : events) ASSERT_EQ(SDL_PushEvent(&event), 1);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);

  TRecordingClient client;
  EXPECT_EQ(platform->Run(client), 0);
  const std::vector<std::string> expected = {
      "down L 50 25", "up R 1 2", "down M 319 239", "move -1 5",
      "keydown 32",   "keydown 13", "keyup 65",   "keydown 112",
  };
  EXPECT_EQ(client.Input, expected);
}

}  // namespace
}  // namespace pelto5
