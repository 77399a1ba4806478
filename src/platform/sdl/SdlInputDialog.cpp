#include "platform/sdl/SdlInputDialog.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/SjisText.h"
#include "platform/Platform.h"

namespace pelto5 {

namespace {

using namespace dialog;

constexpr uint32_t kFieldFace = 0xFFFFFF;
constexpr uint32_t kFieldFrame = 0x0078D7;

constexpr int kPadding = 10;
constexpr int kFieldInset = 4;
constexpr int kPreferredPanelWidth = 360;
constexpr int kMinimumPanelWidth = 160;
constexpr size_t kMaxPromptLines = 8;
// A paste larger than this is cut: the field holds far less anyway.
constexpr size_t kMaxPasteBytes = 1024;

int FloorDiv(int value, int divisor) {
  const int q = value / divisor;
  return (value % divisor != 0 && value < 0) ? q - 1 : q;
}

// The first count characters of a UTF-8 text.
std::string_view Utf8Prefix(std::string_view utf8, int count) {
  size_t pos = 0;
  for (int i = 0; i < count && pos < utf8.size(); ++i) pos += TTextEditBuffer::Utf8CharLength(utf8, pos);
  return utf8.substr(0, pos);
}

}  // namespace

TSdlInputDialog::TSdlInputDialog(const std::string& caption, const std::string& prompt, const std::string& value,
                                 int width, int height, int scale)
    : FCaption(caption),
      FBuffer(value),
      FScale(std::max(scale, 1)),
      FFont(DialogFont()),
      FOkLabel(Localized(TOwnText::OkLabel)),
      FCancelLabel(Localized(TOwnText::CancelLabel)) {
  FLineHeight = LineHeight(FFont);
  Layout(width, height);
  FPromptLines = WrapText(prompt, FFont, FPromptArea.W, kMaxPromptLines);
  // The prompt's height is only known once it is wrapped.
  Layout(width, height);
}

void TSdlInputDialog::Layout(int width, int height) {
  const int lh = FLineHeight;
  const int panelW = std::min(kPreferredPanelWidth, std::max(width - 16, std::min(width, kMinimumPanelWidth)));
  const int titleH = lh + 8;
  const int promptH = static_cast<int>(FPromptLines.size()) * (lh + 2);
  const int fieldH = lh + 2 * kFieldInset;
  const int buttonH = lh + 10;
  const int buttonW = std::max(ButtonWidth(FOkLabel, FFont), ButtonWidth(FCancelLabel, FFont));
  const int panelH = titleH + kPadding + promptH + (promptH > 0 ? kPadding / 2 : 0) + fieldH + kPadding + buttonH +
                     kPadding;
  // A window too small for the whole panel shows its top part.
  FPanel = {std::max((width - panelW) / 2, 0), std::max((height - panelH) / 2, 0), std::max(panelW, 1), panelH};
  const int innerX = FPanel.X + kPadding;
  const int innerW = std::max(FPanel.W - 2 * kPadding, 1);
  FTitle = {FPanel.X + 1, FPanel.Y + 1, std::max(FPanel.W - 2, 0), titleH - 1};
  FPromptArea = {innerX, FPanel.Y + titleH + kPadding, innerW, promptH};
  FField = {innerX, FPromptArea.Y + promptH + (promptH > 0 ? kPadding / 2 : 0), innerW, fieldH};
  const int buttonY = FField.Y + fieldH + kPadding;
  FCancel = {innerX + innerW - buttonW, buttonY, buttonW, buttonH};
  FOk = {FCancel.X - 8 - buttonW, buttonY, buttonW, buttonH};
}

bool TSdlInputDialog::HandleEvent(const SDL_Event& event) {
  if (FState != TInputDialogState::Open) return false;
  switch (event.type) {
    case SDL_KEYDOWN:
      return HandleKey(event.key);
    case SDL_TEXTINPUT:
      FComposition.clear();
      FCompositionBeforeCursor.clear();
      FBuffer.InsertUtf8(event.text.text);
      return true;
    case SDL_TEXTEDITING: {
      const std::string_view text(event.edit.text);
      FComposition = sjis::FromUtf8(text);
      FCompositionBeforeCursor = sjis::FromUtf8(Utf8Prefix(text, std::max(event.edit.start, 0)));
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button != SDL_BUTTON_LEFT) return false;
      return HandleMouseDown(FloorDiv(event.button.x, FScale), FloorDiv(event.button.y, FScale));
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT) return false;
      return HandleMouseUp(FloorDiv(event.button.x, FScale), FloorDiv(event.button.y, FScale));
    default:
      return false;
  }
}

bool TSdlInputDialog::HandleKey(const SDL_KeyboardEvent& key) {
  // While the input method composes, the keys are its own.
  if (!FComposition.empty()) return false;
  const SDL_Keycode sym = key.keysym.sym;
  const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
  const bool shift = (key.keysym.mod & KMOD_SHIFT) != 0;
  switch (sym) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
    case SDLK_ESCAPE:
      // A key held down since before the dialog opened does not answer it.
      if (key.repeat) return false;
      FState = sym == SDLK_ESCAPE ? TInputDialogState::Cancelled : TInputDialogState::Accepted;
      FEndingScancode = key.keysym.scancode;
      return true;
    case SDLK_BACKSPACE: return FBuffer.Backspace();
    case SDLK_DELETE: return FBuffer.Delete();
    case SDLK_LEFT: FBuffer.MoveLeft(); return true;
    case SDLK_RIGHT: FBuffer.MoveRight(); return true;
    case SDLK_HOME: FBuffer.Home(); return true;
    case SDLK_END: FBuffer.End(); return true;
    case SDLK_v: return ctrl && Paste();
    case SDLK_INSERT: return shift && Paste();
    default: return false;
  }
}

bool TSdlInputDialog::Paste() {
  if (!SDL_HasClipboardText()) return false;
  char* text = SDL_GetClipboardText();
  if (!text) return false;
  const std::string_view all(text);
  const size_t inserted = FBuffer.InsertUtf8(all.substr(0, std::min(all.size(), kMaxPasteBytes)));
  SDL_free(text);
  return inserted > 0;
}

TSdlInputDialog::TButton TSdlInputDialog::ButtonAt(int x, int y) const {
  if (FOk.Contains(x, y)) return TButton::Ok;
  if (FCancel.Contains(x, y)) return TButton::Cancel;
  return TButton::None;
}

bool TSdlInputDialog::HandleMouseDown(int x, int y) {
  FPressed = ButtonAt(x, y);
  if (FPressed != TButton::None) return true;
  if (!FField.Contains(x, y) || !FComposition.empty()) return false;
  // The caret goes to the character boundary nearest to the click.
  const int target = x - (FField.X + kFieldInset) + FScroll;
  const std::string& text = FBuffer.Text();
  size_t best = 0;
  int bestDistance = std::abs(target);
  for (size_t pos = 0; pos < text.size();) {
    pos += sjis::CharLength(text, pos);
    const int distance = std::abs(TextWidth(std::string_view(text).substr(0, pos), FFont) - target);
    if (distance < bestDistance) {
      best = pos;
      bestDistance = distance;
    }
  }
  FBuffer.SetCaret(best);
  return true;
}

bool TSdlInputDialog::HandleMouseUp(int x, int y) {
  const TButton pressed = FPressed;
  FPressed = TButton::None;
  if (pressed == TButton::None) return false;
  // A button answers only when the mouse is released over it.
  if (ButtonAt(x, y) == pressed) {
    FState = pressed == TButton::Ok ? TInputDialogState::Accepted : TInputDialogState::Cancelled;
  }
  return true;
}

int TSdlInputDialog::CaretOffset() const {
  const std::string_view text(FBuffer.Text());
  return TextWidth(text.substr(0, FBuffer.Caret()), FFont) + TextWidth(FCompositionBeforeCursor, FFont);
}

void TSdlInputDialog::ScrollToCaret() {
  const int visible = std::max(FField.W - 2 * kFieldInset, 1);
  const int total = TextWidth(FBuffer.Text(), FFont) + TextWidth(FComposition, FFont);
  const int caret = CaretOffset();
  FScroll = std::min(FScroll, std::max(0, total + 1 - visible));
  if (caret - FScroll > visible - 1) FScroll = caret - visible + 1;
  if (caret < FScroll) FScroll = caret;
}

SDL_Rect TSdlInputDialog::CaretWindowRect() const {
  const int x = FField.X + kFieldInset + CaretOffset() - FScroll;
  return {x * FScale, (FField.Y + kFieldInset) * FScale, FScale, FLineHeight * FScale};
}

void TSdlInputDialog::DrawField(TCanvas& canvas) const {
  FillRect(canvas, FField, kFieldFace);
  FrameRect(canvas, FField, kFieldFrame);
  const TRect inner{FField.X + kFieldInset, FField.Y + 1, FField.W - 2 * kFieldInset, FField.H - 2};
  const int textY = FField.Y + kFieldInset;
  const std::string_view text(FBuffer.Text());
  const std::string_view before = text.substr(0, FBuffer.Caret());
  const std::string_view after = text.substr(FBuffer.Caret());
  int x = inner.X - FScroll;
  DrawText(canvas, inner, x, textY, before, FFont);
  x += TextWidth(before, FFont);
  if (!FComposition.empty()) {
    const int width = TextWidth(FComposition, FFont);
    DrawText(canvas, inner, x, textY, FComposition, FFont);
    // The composition is underlined until it is committed.
    FillRect(canvas, Intersect({x, textY + FLineHeight, width, 1}, inner), kInk);
    x += width;
  }
  DrawText(canvas, inner, x, textY, after, FFont);
  const int caretX = inner.X + CaretOffset() - FScroll;
  FillRect(canvas, Intersect({caretX, textY, 1, FLineHeight}, inner), kInk);
}

void TSdlInputDialog::Draw(const TCanvas& background, TCanvas& canvas) {
  if (canvas.Width() != background.Width() || canvas.Height() != background.Height()) {
    canvas.SetSize(background.Width(), background.Height());
  }
  const size_t count = static_cast<size_t>(background.Width()) * static_cast<size_t>(background.Height());
  const uint32_t* from = background.Pixels();
  uint32_t* to = canvas.Pixels();
  // The frame behind the dialog, at half brightness.
  for (size_t i = 0; i < count; ++i) to[i] = (from[i] >> 1) & 0x7F7F7F;

  ScrollToCaret();
  FillRect(canvas, FPanel, kPanelFace);
  FrameRect(canvas, FPanel, kPanelFrame);
  FillRect(canvas, FTitle, kTitleFace);
  TFont titleFont = FFont;
  titleFont.Color = kTitleTextColor;
  titleFont.Bold = true;
  DrawText(canvas, FTitle, FTitle.X + kPadding - 1, FTitle.Y + (FTitle.H - FLineHeight) / 2, FCaption, titleFont);
  for (size_t i = 0; i < FPromptLines.size(); ++i) {
    DrawText(canvas, FPromptArea, FPromptArea.X, FPromptArea.Y + static_cast<int>(i) * (FLineHeight + 2),
             FPromptLines[i], FFont);
  }
  DrawField(canvas);
  DrawButton(canvas, FOk, FOkLabel, FFont, true, FPressed == TButton::Ok);
  DrawButton(canvas, FCancel, FCancelLabel, FFont, false, FPressed == TButton::Cancel);
}

}  // namespace pelto5
