// The SDL backend's own message box: the dialog's answers to the keyboard
// and the mouse and its drawing run everywhere; the box as a window of its
// own, modal over the main one, runs where there is a display (Xvfb in
// practice).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlMessageDialog.h"
#include "platform/sdl/SdlPlatform.h"

namespace pelto5 {
namespace {

SDL_Event KeyDown(SDL_Keycode sym, SDL_Scancode scancode, uint32_t window = 0, uint16_t mod = 0,
                  bool repeat = false) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = window;
  event.key.state = SDL_PRESSED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = scancode;
  event.key.keysym.mod = mod;
  return event;
}

SDL_Event Mouse(uint32_t type, int x, int y, uint32_t window = 0) {
  SDL_Event event{};
  event.type = type;
  event.button.windowID = window;
  event.button.button = SDL_BUTTON_LEFT;
  event.button.x = x;
  event.button.y = y;
  return event;
}

// Answers dialog with the keys given, one after the other.
TMessageResult Press(TSdlMessageDialog& dialog, const std::vector<SDL_Event>& keys) {
  for (const SDL_Event& key : keys) dialog.HandleEvent(key);
  EXPECT_TRUE(dialog.Answered());
  return dialog.Result();
}

const SDL_Event kEnter = KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN);
const SDL_Event kEscape = KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
const SDL_Event kTab = KeyDown(SDLK_TAB, SDL_SCANCODE_TAB);
const SDL_Event kShiftTab = KeyDown(SDLK_TAB, SDL_SCANCODE_TAB, 0, KMOD_LSHIFT);
const SDL_Event kLeft = KeyDown(SDLK_LEFT, SDL_SCANCODE_LEFT);
const SDL_Event kRight = KeyDown(SDLK_RIGHT, SDL_SCANCODE_RIGHT);
const SDL_Event kSpace = KeyDown(SDLK_SPACE, SDL_SCANCODE_SPACE);

TSdlMessageDialog Box(TMessageButtons buttons, const std::string& text = "text") {
  return TSdlMessageDialog(text, TMessageIcon::Error, buttons, 1200, 900);
}

TEST(SdlMessageDialog, EnterEscapeAndTheFocusGiveTheAnswersOfEachKind) {
  // Enter and Escape answer as the system's boxes did before the focus
  // could move: Yes / No, Ignore / Abort, OK / OK.
  {
    TSdlMessageDialog box = Box(TMessageButtons::YesNo);
    EXPECT_EQ(Press(box, {kEnter}), TMessageResult::Yes);
    EXPECT_EQ(box.EndingScancode(), SDL_SCANCODE_RETURN);
  }
  {
    TSdlMessageDialog box = Box(TMessageButtons::YesNo);
    EXPECT_EQ(Press(box, {kEscape}), TMessageResult::No);
    EXPECT_EQ(box.EndingScancode(), SDL_SCANCODE_ESCAPE);
  }
  TSdlMessageDialog abortIgnore = Box(TMessageButtons::AbortIgnore);
  EXPECT_EQ(Press(abortIgnore, {kEnter}), TMessageResult::Ignore);
  TSdlMessageDialog abortOnEscape = Box(TMessageButtons::AbortIgnore);
  EXPECT_EQ(Press(abortOnEscape, {kEscape}), TMessageResult::Abort);
  TSdlMessageDialog ok = Box(TMessageButtons::Ok);
  EXPECT_EQ(Press(ok, {kTab, kEscape}), TMessageResult::Ok);

  // Tab, Shift+Tab and the arrows move the focus round the buttons; Enter
  // and Space press the focused one; Escape stays the cancel answer.
  TSdlMessageDialog tab = Box(TMessageButtons::YesNo);
  EXPECT_EQ(Press(tab, {kTab, kEnter}), TMessageResult::No);
  TSdlMessageDialog round = Box(TMessageButtons::YesNo);
  EXPECT_EQ(Press(round, {kRight, kRight, kSpace}), TMessageResult::Yes);
  TSdlMessageDialog back = Box(TMessageButtons::AbortIgnore);
  EXPECT_EQ(Press(back, {kShiftTab, kEnter}), TMessageResult::Abort);
  TSdlMessageDialog focusedEscape = Box(TMessageButtons::YesNo);
  EXPECT_EQ(Press(focusedEscape, {kLeft, kLeft, kEscape}), TMessageResult::No);

  // A key held since before the box came up does not answer it, and once
  // answered nothing changes the answer.
  TSdlMessageDialog held = Box(TMessageButtons::YesNo);
  EXPECT_FALSE(held.HandleEvent(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, 0, 0, true)));
  EXPECT_FALSE(held.Answered());
  EXPECT_EQ(Press(held, {kEscape, kTab, kEnter}), TMessageResult::No);

  // Closed by the window's frame: the cancel answer.
  TSdlMessageDialog closed = Box(TMessageButtons::YesNo);
  closed.Close();
  EXPECT_TRUE(closed.Answered());
  EXPECT_EQ(closed.Result(), TMessageResult::No);
}

TEST(SdlMessageDialog, AButtonAnswersWhenTheMouseIsReleasedOverIt) {
  TSdlMessageDialog box = Box(TMessageButtons::YesNo);
  ASSERT_EQ(box.ButtonCount(), 2u);
  const auto& yes = box.ButtonRect(0);
  const auto& no = box.ButtonRect(1);
  ASSERT_GT(no.X, yes.X + yes.W - 1);
  // Pressed on No, released outside every button: no answer.
  EXPECT_TRUE(box.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, no.X + no.W / 2, no.Y + no.H / 2)));
  EXPECT_EQ(box.Focus(), 1u);
  box.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, 1, 1));
  EXPECT_FALSE(box.Answered());
  // Pressed on Yes and released on No: no answer either.
  box.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, yes.X + 2, yes.Y + 2));
  box.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, no.X + 2, no.Y + 2));
  EXPECT_FALSE(box.Answered());
  // A click on nothing does nothing.
  EXPECT_FALSE(box.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, 1, 1)));
  box.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, no.X + no.W - 1, no.Y + no.H - 1));
  box.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, no.X + no.W - 1, no.Y + no.H - 1));
  EXPECT_TRUE(box.Answered());
  EXPECT_EQ(box.Result(), TMessageResult::No);
  EXPECT_EQ(box.EndingScancode(), SDL_SCANCODE_UNKNOWN);
}

// Columns of the area holding a pixel darker than mid-grey.
int InkedColumns(const TCanvas& canvas, const TSdlMessageDialog::TRect& area) {
  int columns = 0;
  for (int x = area.X; x < area.X + area.W; ++x) {
    for (int y = area.Y; y < area.Y + area.H; ++y) {
      const uint32_t p = canvas.Row(y)[x];
      if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x80) {
        ++columns;
        break;
      }
    }
  }
  return columns;
}

// The dialog as the platform's language makes it.
TSdlMessageDialog BoxIn(TLanguage language, const std::string& text) {
  THeadlessOptions options;
  options.EchoToStderr = false;
  options.Language = language;
  THeadlessPlatform platform(options);
  InstallPlatform(&platform);
  TSdlMessageDialog box(text, TMessageIcon::Warning, TMessageButtons::YesNo, 1200, 900);
  InstallPlatform(nullptr);
  return box;
}

TEST(SdlMessageDialog, DrawsTheJapaneseTextAndButtonsInTheUsersLanguage) {
  // "灯台が見つかりません" and a second line.
  const std::string text = sjis::FromUtf8("灯台が見つかりません\r\n二行目");
  const TSdlMessageDialog box = BoxIn(TLanguage::Japanese, text);
  ASSERT_EQ(box.Lines().size(), 2u);
  TCanvas canvas;
  box.Draw(canvas);
  ASSERT_EQ(canvas.Width(), box.Width());
  ASSERT_EQ(canvas.Height(), box.Height());
  // Glyphs, not a blank or one smudge: ten characters ink most of the
  // columns of the first line's width.
  const auto& area = box.TextArea();
  const int lineHeight = area.H / 2;
  EXPECT_GT(InkedColumns(canvas, {area.X, area.Y, area.W, lineHeight}), area.W / 2) << area.W;
  EXPECT_GT(InkedColumns(canvas, {area.X, area.Y + lineHeight, area.W, lineHeight}), 10);
  const auto& yes = box.ButtonRect(0);
  const TSdlMessageDialog::TRect label{yes.X + 3, yes.Y + 3, yes.W - 6, yes.H - 6};
  EXPECT_GT(InkedColumns(canvas, label), 8);

  // In English the same box has other labels.
  const TSdlMessageDialog english = BoxIn(TLanguage::English, text);
  TCanvas other;
  english.Draw(other);
  ASSERT_EQ(english.ButtonRect(0).X, yes.X);
  int differing = 0;
  for (int y = label.Y; y < label.Y + label.H; ++y) {
    for (int x = label.X; x < label.X + label.W; ++x) differing += canvas.Row(y)[x] != other.Row(y)[x] ? 1 : 0;
  }
  EXPECT_GT(differing, 10);
}

TEST(SdlMessageDialog, ALongTextIsWrappedToTheDisplayAndCut) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "\x93\x94";  // "灯"
  text += "\r\n";
  for (int i = 0; i < 100; ++i) text += "line\r\n";
  TSdlMessageDialog box(text, TMessageIcon::Error, TMessageButtons::AbortIgnore, 500, 400);
  EXPECT_LE(box.Width(), 500);
  EXPECT_LE(box.Height(), 400);
  EXPECT_GT(box.Lines().size(), 3u);
  // Lines break between characters, never inside one.
  for (const std::string& line : box.Lines()) {
    if (line[0] == '\x93') {
      EXPECT_EQ(line.size() % 2, 0u) << line.size();
    }
  }
  TCanvas canvas;
  box.Draw(canvas);
  // A box on a display too small for it keeps its buttons whole.
  TSdlMessageDialog tiny("x", TMessageIcon::None, TMessageButtons::YesNo, 10, 10);
  EXPECT_GE(tiny.Width(), tiny.ButtonRect(1).X + tiny.ButtonRect(1).W);
  tiny.Draw(canvas);
  EXPECT_EQ(canvas.Width(), tiny.Width());
}

// --- The box as a window of its own --------------------------------------

class SdlMessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "DISPLAY is not set";
    FPlatform = std::make_unique<TSdlPlatform>(TSdlOptions{1, false});
    const TResult initialized = FPlatform->Initialize();
    ASSERT_TRUE(initialized) << initialized.Reason();
    FPlatform->ShowMainWindow();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }

  std::unique_ptr<TSdlPlatform> FPlatform;
};

TEST_F(SdlMessageBoxTest, KeysPressedOverTheGameAnswerTheBoxInFrontOfIt) {
  const uint32_t main = FPlatform->WindowId();
  // A click on the game while the box is up is not the box's.
  Push(Mouse(SDL_MOUSEBUTTONDOWN, 5, 5, main));
  Push(Mouse(SDL_MOUSEBUTTONUP, 5, 5, main));
  Push(KeyDown(SDLK_TAB, SDL_SCANCODE_TAB, main));
  Push(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, main));
  EXPECT_EQ(FPlatform->MessageBox(sjis::FromUtf8("灯台"), TMessageIcon::Warning, TMessageButtons::YesNo),
            TMessageResult::No);
  EXPECT_FALSE(FPlatform->Terminated());
  Push(KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, main));
  EXPECT_EQ(FPlatform->MessageBox("q", TMessageIcon::Error, TMessageButtons::AbortIgnore), TMessageResult::Abort);
}

TEST_F(SdlMessageBoxTest, QuittingClosesTheBoxWithItsCancelAnswer) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  EXPECT_EQ(FPlatform->MessageBox("q", TMessageIcon::None, TMessageButtons::YesNo), TMessageResult::No);
  EXPECT_TRUE(FPlatform->Terminated());
}

}  // namespace
}  // namespace pelto5
