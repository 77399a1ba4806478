// The in-window text-input dialog: the edit buffer and the dialog's state
// machine and drawing run everywhere; the modal loop inside the SDL
// platform runs when a display is available (Xvfb in practice).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/SdlInputDialog.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/sdl/TextEditBuffer.h"

namespace pelto5 {
namespace {

// "ナギ" in Shift-JIS and UTF-8.
const std::string kNagiSjis = "\x83\x69\x83\x4d";
const std::string kNagiUtf8 = "ナギ";
// "メ": its trail byte 0x81 is also a lead-byte value.
const std::string kMeSjis = "\x83\x81";
// "ソ": its trail byte is 0x5C, the backslash.
const std::string kSoSjis = "\x83\x5c";

TEST(TextEditBuffer, InsertsConvertedTextAtTheCaret) {
  TTextEditBuffer buffer;
  EXPECT_EQ(buffer.InsertUtf8(kNagiUtf8), 4u);
  EXPECT_EQ(buffer.Text(), kNagiSjis);
  EXPECT_EQ(buffer.Caret(), 4u);
  buffer.MoveLeft();
  EXPECT_EQ(buffer.Caret(), 2u);
  EXPECT_EQ(buffer.InsertUtf8("a?ｱ"), 3u);  // the half-width katakana is one byte
  EXPECT_EQ(buffer.Text(), "\x83\x69" "a?\xb1" "\x83\x4d");
  EXPECT_EQ(buffer.Caret(), 5u);
}

TEST(TextEditBuffer, DropsWhatShiftJisCannotHoldAndControlCharacters) {
  TTextEditBuffer buffer;
  // An emoji, a Hangul syllable, tab, line feed, DEL, a stray continuation
  // byte, a truncated sequence and an overlong encoding of "/".
  EXPECT_EQ(buffer.InsertUtf8("x\xF0\x9F\x98\x80y한\t\n\x7F\x80z\xE3\x83\xC0\xAF"), 3u);
  EXPECT_EQ(buffer.Text(), "xyz");
  EXPECT_EQ(TTextEditBuffer::SjisCharFromUtf8("ナ"), "\x83\x69");
  EXPECT_EQ(TTextEditBuffer::SjisCharFromUtf8("\xE3\x83"), "");
  EXPECT_EQ(TTextEditBuffer::SjisCharFromUtf8("ab"), "");
}

TEST(TextEditBuffer, BackspaceAndDeleteRemoveWholeCharacters) {
  TTextEditBuffer buffer("a" + kMeSjis + kMeSjis + kSoSjis);
  EXPECT_TRUE(buffer.Backspace());
  EXPECT_EQ(buffer.Text(), "a" + kMeSjis + kMeSjis);
  EXPECT_TRUE(buffer.Backspace());
  EXPECT_EQ(buffer.Text(), "a" + kMeSjis);
  buffer.Home();
  EXPECT_FALSE(buffer.Backspace());
  EXPECT_TRUE(buffer.Delete());
  EXPECT_EQ(buffer.Text(), kMeSjis);
  EXPECT_TRUE(buffer.Delete());
  EXPECT_EQ(buffer.Text(), "");
  EXPECT_FALSE(buffer.Delete());

  // A lead byte cut off at the end counts as one character.
  TTextEditBuffer cut("a\x83");
  EXPECT_TRUE(cut.Backspace());
  EXPECT_EQ(cut.Text(), "a");
}

TEST(TextEditBuffer, CaretMovesByCharactersAndSnapsToBoundaries) {
  TTextEditBuffer buffer(kMeSjis + "b" + kSoSjis);
  EXPECT_EQ(buffer.Caret(), 5u);
  buffer.MoveRight();
  EXPECT_EQ(buffer.Caret(), 5u);
  buffer.MoveLeft();
  EXPECT_EQ(buffer.Caret(), 3u);
  buffer.MoveLeft();
  EXPECT_EQ(buffer.Caret(), 2u);
  buffer.MoveLeft();
  EXPECT_EQ(buffer.Caret(), 0u);
  buffer.MoveLeft();
  EXPECT_EQ(buffer.Caret(), 0u);
  buffer.MoveRight();
  EXPECT_EQ(buffer.Caret(), 2u);
  buffer.End();
  EXPECT_EQ(buffer.Caret(), 5u);
  buffer.Home();
  EXPECT_EQ(buffer.Caret(), 0u);

  buffer.SetCaret(1);  // inside "メ"
  EXPECT_EQ(buffer.Caret(), 0u);
  buffer.SetCaret(4);  // inside "ソ"
  EXPECT_EQ(buffer.Caret(), 3u);
  buffer.SetCaret(99);
  EXPECT_EQ(buffer.Caret(), 5u);
}

TEST(TextEditBuffer, KeepsUnderItsByteLimit) {
  TTextEditBuffer buffer("", 5);
  EXPECT_EQ(buffer.InsertUtf8("abcd"), 4u);
  // "ナ" needs two bytes: it does not fit, and nothing after it is taken.
  EXPECT_EQ(buffer.InsertUtf8("ナe"), 0u);
  EXPECT_EQ(buffer.InsertUtf8("e"), 1u);
  EXPECT_EQ(buffer.Text(), "abcde");
  EXPECT_EQ(buffer.InsertUtf8("f"), 0u);

  TTextEditBuffer standard;
  EXPECT_EQ(standard.InsertUtf8(std::string(300, 'x')), TTextEditBuffer::kDefaultMaxBytes);
  EXPECT_EQ(standard.Text().size(), 255u);

  // A longer initial text stays whole; it only cannot grow.
  TTextEditBuffer longer(std::string(300, 'y'));
  EXPECT_EQ(longer.InsertUtf8("z"), 0u);
  EXPECT_EQ(longer.Text(), std::string(300, 'y'));
  EXPECT_TRUE(longer.Backspace());
  EXPECT_EQ(longer.Text().size(), 299u);
}

SDL_Event KeyDown(SDL_Keycode sym, SDL_Scancode scancode, uint32_t window = 0, bool repeat = false) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = window;
  event.key.state = SDL_PRESSED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = scancode;
  return event;
}

SDL_Event TextInput(const std::string& utf8, uint32_t window = 0) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  event.text.windowID = window;
  std::strncpy(event.text.text, utf8.c_str(), sizeof(event.text.text) - 1);
  return event;
}

SDL_Event TextEditing(const std::string& utf8, int start) {
  SDL_Event event{};
  event.type = SDL_TEXTEDITING;
  std::strncpy(event.edit.text, utf8.c_str(), sizeof(event.edit.text) - 1);
  event.edit.start = start;
  return event;
}

SDL_Event Mouse(uint32_t type, int x, int y, uint8_t button = SDL_BUTTON_LEFT, uint32_t window = 0) {
  SDL_Event event{};
  event.type = type;
  event.button.windowID = window;
  event.button.button = button;
  event.button.x = x;
  event.button.y = y;
  return event;
}

// Centre of a dialog rectangle in window pixels.
int CentreX(const TSdlInputDialog::TRect& r, int scale) { return (r.X + r.W / 2) * scale; }
int CentreY(const TSdlInputDialog::TRect& r, int scale) { return (r.Y + r.H / 2) * scale; }

TEST(SdlInputDialog, EnterAcceptsAndEscapeCancels) {
  TSdlInputDialog accept("c", "p", "", 640, 480, 1);
  EXPECT_TRUE(accept.HandleEvent(TextInput(kNagiUtf8)));
  // A key held since before the dialog opened does not answer it.
  EXPECT_FALSE(accept.HandleEvent(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, 0, true)));
  EXPECT_EQ(accept.State(), TInputDialogState::Open);
  EXPECT_TRUE(accept.HandleEvent(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN)));
  EXPECT_EQ(accept.State(), TInputDialogState::Accepted);
  EXPECT_EQ(accept.Text(), kNagiSjis);
  EXPECT_EQ(accept.EndingScancode(), SDL_SCANCODE_RETURN);
  // Nothing changes once it has answered.
  EXPECT_FALSE(accept.HandleEvent(TextInput("x")));
  EXPECT_EQ(accept.Text(), kNagiSjis);

  TSdlInputDialog cancel("c", "p", "abc", 640, 480, 1);
  cancel.HandleEvent(KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE));
  EXPECT_EQ(cancel.Text(), "ab");
  cancel.HandleEvent(KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
  EXPECT_EQ(cancel.State(), TInputDialogState::Cancelled);
  EXPECT_EQ(cancel.EndingScancode(), SDL_SCANCODE_ESCAPE);
}

TEST(SdlInputDialog, CompositionOwnsTheKeysUntilCommitted) {
  TSdlInputDialog dialog("c", "p", "a", 640, 480, 1);
  EXPECT_TRUE(dialog.HandleEvent(TextEditing("なぎ", 1)));
  EXPECT_EQ(dialog.Composition(), "\x82\xc8\x82\xac");
  EXPECT_EQ(dialog.Text(), "a");
  // Backspace, the arrows and Enter edit the composition, not the field.
  EXPECT_FALSE(dialog.HandleEvent(KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE)));
  EXPECT_FALSE(dialog.HandleEvent(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN)));
  EXPECT_EQ(dialog.Text(), "a");
  EXPECT_EQ(dialog.State(), TInputDialogState::Open);
  dialog.HandleEvent(TextInput(kNagiUtf8));
  EXPECT_EQ(dialog.Composition(), "");
  EXPECT_EQ(dialog.Text(), "a" + kNagiSjis);
  dialog.HandleEvent(KeyDown(SDLK_LEFT, SDL_SCANCODE_LEFT));
  dialog.HandleEvent(KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE));
  EXPECT_EQ(dialog.Text(), "a\x83\x4d");
}

TEST(SdlInputDialog, ButtonsAnswerWhenReleasedOverThemAtTheWindowScale) {
  constexpr int scale = 2;
  TSdlInputDialog dialog("c", "p", "v", 320, 240, scale);
  const auto& ok = dialog.OkButton();
  const auto& cancel = dialog.CancelButton();
  ASSERT_GT(ok.W, 0);
  ASSERT_GT(cancel.X, ok.X);
  // Pressed on OK, released elsewhere: nothing.
  EXPECT_TRUE(dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, CentreX(ok, scale), CentreY(ok, scale))));
  dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, 1, 1));
  EXPECT_EQ(dialog.State(), TInputDialogState::Open);
  // The right button does nothing.
  EXPECT_FALSE(dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, CentreX(ok, scale), CentreY(ok, scale), SDL_BUTTON_RIGHT)));
  dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, CentreX(ok, scale), CentreY(ok, scale), SDL_BUTTON_RIGHT));
  EXPECT_EQ(dialog.State(), TInputDialogState::Open);
  // Unscaled coordinates of OK would land elsewhere; scaled ones answer.
  dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, CentreX(ok, scale), CentreY(ok, scale)));
  dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, CentreX(ok, scale), CentreY(ok, scale)));
  EXPECT_EQ(dialog.State(), TInputDialogState::Accepted);
  EXPECT_EQ(dialog.EndingScancode(), SDL_SCANCODE_UNKNOWN);

  TSdlInputDialog other("c", "p", "v", 320, 240, 1);
  other.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, CentreX(other.CancelButton(), 1), CentreY(other.CancelButton(), 1)));
  other.HandleEvent(Mouse(SDL_MOUSEBUTTONUP, CentreX(other.CancelButton(), 1), CentreY(other.CancelButton(), 1)));
  EXPECT_EQ(other.State(), TInputDialogState::Cancelled);
}

TEST(SdlInputDialog, ClickInTheFieldPlacesTheCaret) {
  TSdlInputDialog dialog("c", "p", "abcdef", 640, 480, 1);
  const auto& field = dialog.Field();
  dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, field.X + 1, CentreY(field, 1)));
  EXPECT_EQ(dialog.Buffer().Caret(), 0u);
  dialog.HandleEvent(Mouse(SDL_MOUSEBUTTONDOWN, field.X + field.W - 2, CentreY(field, 1)));
  EXPECT_EQ(dialog.Buffer().Caret(), 6u);
}

int CountPixels(const TCanvas& canvas, const TSdlInputDialog::TRect& r, uint32_t color) {
  int count = 0;
  for (int y = r.Y; y < r.Y + r.H; ++y) {
    for (int x = r.X; x < r.X + r.W; ++x) count += (canvas.Row(y)[x] & 0xFFFFFF) == color ? 1 : 0;
  }
  return count;
}

TEST(SdlInputDialog, DrawsOverTheDimmedFrame) {
  TCanvas frame;
  frame.SetSize(320, 240);
  frame.Fill(0x808080);
  TCanvas canvas;
  TSdlInputDialog empty("Title", "Name?", "", 320, 240, 1);
  empty.Draw(frame, canvas);
  ASSERT_EQ(canvas.Width(), 320);
  ASSERT_EQ(canvas.Height(), 240);
  EXPECT_EQ(canvas.Row(0)[0] & 0xFFFFFF, 0x404040u);
  const auto& panel = empty.Panel();
  EXPECT_GE(panel.X, 0);
  EXPECT_LE(panel.X + panel.W, 320);
  EXPECT_LE(panel.Y + panel.H, 240);
  EXPECT_EQ(canvas.Row(panel.Y + panel.H - 2)[panel.X + 2] & 0xFFFFFF, 0xF0F0F0u);
  // The caption is drawn in white on the title bar.
  EXPECT_GT(CountPixels(canvas, {panel.X, panel.Y, panel.W, empty.Field().Y - panel.Y}, 0xFFFFFF), 10);
  // The empty field shows only its caret in black.
  const int caretOnly = CountPixels(canvas, empty.Field(), 0x000000);
  EXPECT_GT(caretOnly, 0);

  TSdlInputDialog typed("Title", "Name?", "", 320, 240, 1);
  typed.HandleEvent(TextInput(kNagiUtf8));
  typed.Draw(frame, canvas);
  EXPECT_GT(CountPixels(canvas, typed.Field(), 0x000000), caretOnly + 20);
  // The frame itself is left alone.
  EXPECT_EQ(frame.Row(0)[0], 0x808080u);
}

TEST(SdlInputDialog, LongTextScrollsToKeepTheCaretInTheField) {
  TCanvas frame;
  frame.SetSize(320, 240);
  TCanvas canvas;
  TSdlInputDialog dialog("c", "p", "", 320, 240, 3);
  dialog.HandleEvent(TextInput(std::string(30, 'W')));
  for (int i = 0; i < 8; ++i) dialog.HandleEvent(TextInput(std::string(30, 'M')));
  dialog.Draw(frame, canvas);
  const auto& field = dialog.Field();
  SDL_Rect caret = dialog.CaretWindowRect();
  EXPECT_GE(caret.x, field.X * 3);
  EXPECT_LT(caret.x, (field.X + field.W) * 3);
  EXPECT_EQ(caret.w, 3);
  dialog.HandleEvent(KeyDown(SDLK_HOME, SDL_SCANCODE_HOME));
  dialog.Draw(frame, canvas);
  caret = dialog.CaretWindowRect();
  EXPECT_GE(caret.x, field.X * 3);
  EXPECT_LT(caret.x, (field.X + 10) * 3);
}

TEST(SdlInputDialog, SurvivesATinyWindowAndALongPrompt) {
  TCanvas frame;
  frame.SetSize(40, 20);
  TCanvas canvas;
  std::string prompt;
  for (int i = 0; i < 40; ++i) prompt += "line\r\n" + kNagiSjis;
  TSdlInputDialog dialog("c", prompt + "\x83", "v", 40, 20, 1);
  dialog.Draw(frame, canvas);
  EXPECT_LE(dialog.Panel().X + dialog.Panel().W, 40);
  EXPECT_GE(dialog.Panel().X, 0);
}

// --- The modal loop in the SDL platform -----------------------------------

bool HasDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

class SdlInputQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasDisplay()) GTEST_SKIP() << "DISPLAY is not set";
    FPlatform = std::make_unique<TSdlPlatform>(TSdlOptions{1, false});
    const TResult initialized = FPlatform->Initialize();
    ASSERT_TRUE(initialized) << initialized.Reason();
    FPlatform->ShowMainWindow();
    FPlatform->Canvas().Fill(0x336699);
    FPlatform->Present();
    // Whatever showing the window queued is not part of the test.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  uint32_t Id() const { return FPlatform->WindowId(); }
  static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }

  std::unique_ptr<TSdlPlatform> FPlatform;
};

TEST_F(SdlInputQueryTest, EnterReturnsTheTypedTextAndRestoresTheFrame) {
  Push(TextInput(kNagiUtf8, Id()));
  Push(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, Id()));
  std::string value = "old";
  EXPECT_TRUE(FPlatform->InputQuery("caption", "prompt", value));
  EXPECT_EQ(value, "old" + kNagiSjis);
  EXPECT_FALSE(FPlatform->Terminated());
  EXPECT_EQ(FPlatform->Canvas().Row(0)[0] & 0xFFFFFF, 0x336699u);
}

TEST_F(SdlInputQueryTest, EscapeLeavesTheValueAlone) {
  Push(KeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, Id()));
  Push(TextInput("x", Id()));
  // Input for another window is not the dialog's.
  Push(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, Id() + 100));
  Push(KeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, Id()));
  std::string value = "old";
  EXPECT_FALSE(FPlatform->InputQuery("caption", "prompt", value));
  EXPECT_EQ(value, "old");
  EXPECT_FALSE(FPlatform->Terminated());
}

TEST_F(SdlInputQueryTest, QuitOrClosingCancelsAndTerminates) {
  Push(TextInput("x", Id()));
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  std::string value = "old";
  EXPECT_FALSE(FPlatform->InputQuery("caption", "prompt", value));
  EXPECT_EQ(value, "old");
  EXPECT_TRUE(FPlatform->Terminated());
  // A terminating player asks nothing more.
  Push(KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, Id()));
  EXPECT_FALSE(FPlatform->InputQuery("caption", "prompt", value));
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

  TSdlPlatform second(TSdlOptions{2, false});
  const TResult initialized = second.Initialize();
  ASSERT_TRUE(initialized) << initialized.Reason();
  second.ShowMainWindow();
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = second.WindowId();
  Push(close);
  EXPECT_FALSE(second.InputQuery("caption", "prompt", value));
  EXPECT_TRUE(second.Terminated());
}

// Counts what reaches the engine; the first tick asks for text.
class TAskingClient : public TPlatformClient {
 public:
  TSdlPlatform* Platform = nullptr;
  std::vector<std::string> Input;
  int Ticks = 0;
  int Depth = 0;
  int MaxDepth = 0;
  bool Answered = false;
  std::string Value;

  void FormMouseDown(TMouseButton, int, int) override { Input.push_back("down"); }
  void FormMouseUp(TMouseButton, int, int) override { Input.push_back("up"); }
  void FormMouseMove(int, int) override { Input.push_back("move"); }
  void FormKeyDown(int key) override { Input.push_back("keydown " + std::to_string(key)); }
  void FormKeyUp(int key) override { Input.push_back("keyup " + std::to_string(key)); }
  void FormPaint() override {}
  void FormActivate() override { Platform->SetMainTimerEnabled(true); }
  void MainTimerTimer() override {
    ++Ticks;
    MaxDepth = std::max(MaxDepth, ++Depth);
    if (Ticks == 1) {
      const uint32_t id = Platform->WindowId();
      std::vector<SDL_Event> events = {
          Mouse(SDL_MOUSEBUTTONDOWN, 3, 3, SDL_BUTTON_LEFT, id), Mouse(SDL_MOUSEBUTTONUP, 3, 3, SDL_BUTTON_LEFT, id),
          KeyDown(SDLK_a, SDL_SCANCODE_A, id), TextInput("a", id), KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, id)};
      for (SDL_Event& event : events) SDL_PushEvent(&event);
      // Keep the dialog open past a few tick intervals.
      SDL_Delay(450);
      Answered = Platform->InputQuery("c", "p", Value);
      SDL_Event release{};
      release.type = SDL_KEYUP;
      release.key.windowID = id;
      release.key.keysym.sym = SDLK_RETURN;
      release.key.keysym.scancode = SDL_SCANCODE_RETURN;
      SDL_PushEvent(&release);
    } else if (Ticks == 3) {
      Platform->Terminate();
    }
    --Depth;
  }
};

TEST_F(SdlInputQueryTest, TheEngineGetsNeitherInputNorTicksWhileItIsOpen) {
  TAskingClient client;
  client.Platform = FPlatform.get();
  EXPECT_EQ(FPlatform->Run(client), 0);
  EXPECT_TRUE(client.Answered);
  EXPECT_EQ(client.Value, "a");
  EXPECT_EQ(client.MaxDepth, 1);
  EXPECT_EQ(client.Ticks, 3);
  // Neither the input the dialog took nor the release of its Enter key.
  EXPECT_EQ(client.Input, std::vector<std::string>{});
}

}  // namespace
}  // namespace pelto5
