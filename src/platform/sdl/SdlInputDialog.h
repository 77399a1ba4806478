// The text-input dialog drawn inside the main window: the frame behind it
// dimmed, a panel with the caption as its title, the prompt, a one-line
// edit field with a caret and the input method's composition, and OK and
// Cancel buttons. The dialog is a state machine fed with SDL events and
// drawn into the window's canvas; the platform runs the modal loop around
// it. All texts are Shift-JIS; everything is laid out in canvas pixels and
// mouse positions are mapped back from the window scale.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/sdl/DialogDrawing.h"
#include "platform/sdl/TextEditBuffer.h"

namespace pelto5 {

enum class TInputDialogState { Open, Accepted, Cancelled };

class TSdlInputDialog {
 public:
  using TRect = dialog::TRect;

  // Lays the dialog out for a canvas of width x height pixels shown at scale.
  TSdlInputDialog(const std::string& caption, const std::string& prompt, const std::string& value, int width,
                  int height, int scale);

  // Handles a keyboard, text or mouse event; true when the picture changed.
  bool HandleEvent(const SDL_Event& event);
  // Ends the dialog as Cancel (the window was closed).
  void Cancel() { FState = TInputDialogState::Cancelled; }
  // Draws background dimmed and the dialog over it into canvas (resized to
  // the background's size if needed).
  void Draw(const TCanvas& background, TCanvas& canvas);

  TInputDialogState State() const { return FState; }
  const std::string& Text() const { return FBuffer.Text(); }
  const TTextEditBuffer& Buffer() const { return FBuffer; }
  // The uncommitted composition of the input method (Shift-JIS).
  const std::string& Composition() const { return FComposition; }
  // The scancode of the key that ended the dialog (SDL_SCANCODE_UNKNOWN if
  // it did not end by a key), so that its release can be kept from the game.
  SDL_Scancode EndingScancode() const { return FEndingScancode; }

  // Layout in canvas pixels.
  const TRect& Panel() const { return FPanel; }
  const TRect& Field() const { return FField; }
  const TRect& OkButton() const { return FOk; }
  const TRect& CancelButton() const { return FCancel; }
  // Where the caret is, in window pixels, for the input method's candidate
  // list.
  SDL_Rect CaretWindowRect() const;

 private:
  enum class TButton { None, Ok, Cancel };

  void Layout(int width, int height);
  [[nodiscard]] bool HandleKey(const SDL_KeyboardEvent& key);
  [[nodiscard]] bool HandleMouseDown(int x, int y);
  [[nodiscard]] bool HandleMouseUp(int x, int y);
  [[nodiscard]] bool Paste();
  TButton ButtonAt(int x, int y) const;
  // Caret position in pixels from the start of the text, composition included.
  int CaretOffset() const;
  void ScrollToCaret();
  void DrawField(TCanvas& canvas) const;

  std::string FCaption;
  std::vector<std::string> FPromptLines;
  TTextEditBuffer FBuffer;
  std::string FComposition;
  std::string FCompositionBeforeCursor;
  int FScale = 1;
  TFont FFont;
  std::string FOkLabel;
  std::string FCancelLabel;
  int FLineHeight = 0;
  int FScroll = 0;
  TInputDialogState FState = TInputDialogState::Open;
  SDL_Scancode FEndingScancode = SDL_SCANCODE_UNKNOWN;
  TButton FPressed = TButton::None;

  TRect FPanel;
  TRect FTitle;
  TRect FPromptArea;
  TRect FField;
  TRect FOk;
  TRect FCancel;
};

}  // namespace pelto5
