// The message box of the SDL backend as a state machine: the text wrapped
// beside its icon, and one button per answer of the box's kind (OK, Abort
// and Ignore, Yes and No) in the user's language. It is drawn with the
// player's own fonts, so its Japanese is legible whatever fonts the window
// system has. The keyboard moves the focus between the buttons (Tab, the
// arrow keys), Enter and Space press the focused one, Escape gives the
// box's cancel answer; a button clicked answers when the mouse is released
// over it. All texts are Shift-JIS; positions are pixels of the box.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/Platform.h"
#include "platform/sdl/DialogDrawing.h"

namespace pelto5 {

class TSdlMessageDialog {
 public:
  using TRect = dialog::TRect;
  // Lines shown at most; a longer text is cut.
  static constexpr size_t kMaxLines = 40;

  // Lays the box out for text, no larger than maxWidth x maxHeight where
  // the text allows.
  TSdlMessageDialog(const std::string& text, TMessageIcon icon, TMessageButtons buttons, int maxWidth,
                    int maxHeight);

  // The box's size.
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // Handles a keyboard or mouse event (mouse positions in box pixels);
  // true when the picture changed.
  bool HandleEvent(const SDL_Event& event);
  // The box was closed without a button: the cancel answer.
  void Close();
  // Draws the box into canvas, sized to the box.
  void Draw(TCanvas& canvas) const;

  [[nodiscard]] bool Answered() const { return FAnswered; }
  // The answer; before one is given, the focused button's.
  TMessageResult Result() const { return FResult; }
  // The scancode of the key that answered (SDL_SCANCODE_UNKNOWN if none),
  // so that its release can be kept from the game.
  SDL_Scancode EndingScancode() const { return FEndingScancode; }

  // Layout, for tests.
  size_t ButtonCount() const { return FButtons.size(); }
  const TRect& ButtonRect(size_t index) const { return FButtons[index].Rect; }
  size_t Focus() const { return FFocus; }
  const TRect& TextArea() const { return FTextArea; }
  const std::vector<std::string>& Lines() const { return FLines; }
  // The font of the text.
  const TFont& TextFont() const { return FFont; }

 private:
  struct TButton {
    std::string Label;
    TMessageResult Result = TMessageResult::Ok;
    TRect Rect;
  };

  void Layout(const std::string& text, int maxWidth, int maxHeight);
  [[nodiscard]] bool HandleKey(const SDL_KeyboardEvent& key);
  void Answer(TMessageResult result);
  void MoveFocus(int step);
  // Index of the button at (x, y), or ButtonCount().
  size_t ButtonAt(int x, int y) const;
  void DrawIcon(TCanvas& canvas) const;

  TMessageIcon FIcon;
  TFont FFont;
  int FLineHeight = 0;
  std::vector<std::string> FLines;
  std::vector<TButton> FButtons;
  TMessageResult FCancelResult = TMessageResult::Ok;
  size_t FFocus = 0;
  size_t FPressed = 0;  // ButtonCount() when none
  bool FAnswered = false;
  TMessageResult FResult = TMessageResult::Ok;
  SDL_Scancode FEndingScancode = SDL_SCANCODE_UNKNOWN;
  int FWidth = 0;
  int FHeight = 0;
  TRect FIconArea;
  TRect FTextArea;
};

}  // namespace pelto5
