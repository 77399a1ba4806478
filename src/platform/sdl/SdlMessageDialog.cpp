#include "platform/sdl/SdlMessageDialog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pelto5 {

namespace {

using namespace dialog;

constexpr int kPadding = 14;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kLineGap = 2;
constexpr int kButtonGap = 8;
constexpr int kPreferredTextWidth = 460;
constexpr int kMinimumTextWidth = 40;
constexpr int kMinimumWidth = 220;

constexpr uint32_t kErrorFace = 0xC42B1C;
constexpr uint32_t kWarningFace = 0xF2C811;
constexpr uint32_t kIconMark = 0xFFFFFF;

}  // namespace

TSdlMessageDialog::TSdlMessageDialog(const std::string& text, TMessageIcon icon, TMessageButtons buttons,
                                     int maxWidth, int maxHeight)
    : FIcon(icon), FFont(DialogFont()) {
  // The focus starts on the button Enter answered with before there was a
  // focus to move; Escape gives the other answer.
  switch (buttons) {
    case TMessageButtons::Ok:
      FButtons = {{Localized(TOwnText::OkLabel), TMessageResult::Ok, {}}};
      FCancelResult = TMessageResult::Ok;
      FFocus = 0;
      break;
    case TMessageButtons::AbortIgnore:
      FButtons = {{Localized(TOwnText::AbortLabel), TMessageResult::Abort, {}},
                  {Localized(TOwnText::IgnoreLabel), TMessageResult::Ignore, {}}};
      FCancelResult = TMessageResult::Abort;
      FFocus = 1;
      break;
    case TMessageButtons::YesNo:
      FButtons = {{Localized(TOwnText::YesLabel), TMessageResult::Yes, {}},
                  {Localized(TOwnText::NoLabel), TMessageResult::No, {}}};
      FCancelResult = TMessageResult::No;
      FFocus = 0;
      break;
  }
  FPressed = FButtons.size();
  FResult = FButtons[FFocus].Result;
  FLineHeight = LineHeight(FFont);
  Layout(text, maxWidth, maxHeight);
}

void TSdlMessageDialog::Layout(const std::string& text, int maxWidth, int maxHeight) {
  int buttonW = 0;
  for (const TButton& button : FButtons) buttonW = std::max(buttonW, ButtonWidth(button.Label, FFont));
  const int buttonH = FLineHeight + 10;
  const int count = static_cast<int>(FButtons.size());
  const int rowW = count * buttonW + (count - 1) * kButtonGap;
  const int iconSpace = FIcon == TMessageIcon::None ? 0 : kIconSize + kIconGap;

  const int textLimit = std::max(kMinimumTextWidth, std::min(kPreferredTextWidth, maxWidth - 2 * kPadding - iconSpace));
  const int lineStep = FLineHeight + kLineGap;
  const int chrome = 3 * kPadding + buttonH;
  const size_t linesThatFit = static_cast<size_t>(std::max(1, (maxHeight - chrome) / lineStep));
  FLines = WrapText(text, FFont, textLimit, std::min(kMaxLines, linesThatFit));

  int textW = 0;
  for (const std::string& line : FLines) textW = std::max(textW, TextWidth(line, FFont));
  const int textH = static_cast<int>(std::max<size_t>(FLines.size(), 1)) * lineStep;
  const int contentH = std::max(textH, iconSpace > 0 ? kIconSize : 0);

  FWidth = std::max({kMinimumWidth, 2 * kPadding + iconSpace + textW, 2 * kPadding + rowW});
  FIconArea = {kPadding, kPadding + (contentH - kIconSize) / 2, kIconSize, kIconSize};
  FTextArea = {kPadding + iconSpace, kPadding + (contentH - textH) / 2, std::max(textW, 1), textH};
  const int buttonY = 2 * kPadding + contentH;
  int x = (FWidth - rowW) / 2;
  for (TButton& button : FButtons) {
    button.Rect = {x, buttonY, buttonW, buttonH};
    x += buttonW + kButtonGap;
  }
  FHeight = buttonY + buttonH + kPadding;
}

bool TSdlMessageDialog::HandleEvent(const SDL_Event& event) {
  if (FAnswered) return false;
  switch (event.type) {
    case SDL_KEYDOWN:
      return HandleKey(event.key);
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button != SDL_BUTTON_LEFT) return false;
      FPressed = ButtonAt(event.button.x, event.button.y);
      if (FPressed == FButtons.size()) return false;
      FFocus = FPressed;
      return true;
    case SDL_MOUSEBUTTONUP: {
      if (event.button.button != SDL_BUTTON_LEFT || FPressed == FButtons.size()) return false;
      const size_t pressed = FPressed;
      FPressed = FButtons.size();
      // A button answers only when the mouse is released over it.
      if (ButtonAt(event.button.x, event.button.y) == pressed) Answer(FButtons[pressed].Result);
      return true;
    }
    default:
      return false;
  }
}

bool TSdlMessageDialog::HandleKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode sym = key.keysym.sym;
  switch (sym) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
    case SDLK_SPACE:
    case SDLK_ESCAPE:
      // A key held down since before the box opened does not answer it.
      if (key.repeat) return false;
      FEndingScancode = key.keysym.scancode;
      Answer(sym == SDLK_ESCAPE ? FCancelResult : FButtons[FFocus].Result);
      return true;
    case SDLK_TAB:
      MoveFocus((key.keysym.mod & KMOD_SHIFT) != 0 ? -1 : 1);
      return true;
    case SDLK_LEFT:
    case SDLK_UP:
      MoveFocus(-1);
      return true;
    case SDLK_RIGHT:
    case SDLK_DOWN:
      MoveFocus(1);
      return true;
    default:
      return false;
  }
}

void TSdlMessageDialog::MoveFocus(int step) {
  const int count = static_cast<int>(FButtons.size());
  FFocus = static_cast<size_t>(((static_cast<int>(FFocus) + step) % count + count) % count);
  FResult = FButtons[FFocus].Result;
}

void TSdlMessageDialog::Answer(TMessageResult result) {
  FAnswered = true;
  FResult = result;
}

void TSdlMessageDialog::Close() {
  if (!FAnswered) Answer(FCancelResult);
}

size_t TSdlMessageDialog::ButtonAt(int x, int y) const {
  for (size_t i = 0; i < FButtons.size(); ++i) {
    if (FButtons[i].Rect.Contains(x, y)) return i;
  }
  return FButtons.size();
}

void TSdlMessageDialog::DrawIcon(TCanvas& canvas) const {
  if (FIcon == TMessageIcon::None) return;
  const TRect area = Intersect(FIconArea, {0, 0, canvas.Width(), canvas.Height()});
  const double centre = kIconSize / 2.0;
  for (int y = area.Y; y < area.Y + area.H; ++y) {
    uint32_t* row = canvas.Row(y);
    for (int x = area.X; x < area.X + area.W; ++x) {
      // Pixel centres relative to the icon's centre.
      const double dx = x - FIconArea.X + 0.5 - centre;
      const double dy = y - FIconArea.Y + 0.5 - centre;
      if (FIcon == TMessageIcon::Error) {
        // A red disc with a white cross.
        if (dx * dx + dy * dy > centre * centre) continue;
        const bool cross = std::abs(dx) <= 7.5 && std::abs(dy) <= 7.5 &&
                           (std::abs(dx - dy) <= 2.2 || std::abs(dx + dy) <= 2.2);
        row[x] = cross ? kIconMark : kErrorFace;
      } else {
        // A yellow triangle, point up, with a black "!".
        const double top = dy + centre;  // 0 at the top edge
        if (std::abs(dx) > top / 2.0 + 0.5) continue;
        const bool bar = std::abs(dx) <= 1.5 && top >= 10 && top < 22;
        const bool dot = std::abs(dx) <= 1.5 && top >= 25 && top < 28;
        row[x] = bar || dot ? kInk : kWarningFace;
      }
    }
  }
}

void TSdlMessageDialog::Draw(TCanvas& canvas) const {
  if (canvas.Width() != FWidth || canvas.Height() != FHeight) canvas.SetSize(FWidth, FHeight);
  canvas.Fill(kPanelFace);
  FrameRect(canvas, {0, 0, FWidth, FHeight}, kPanelFrame);
  DrawIcon(canvas);
  const TRect clip{kPadding, kPadding, FWidth - 2 * kPadding, FTextArea.Y + FTextArea.H - kPadding + kLineGap};
  for (size_t i = 0; i < FLines.size(); ++i) {
    DrawText(canvas, clip, FTextArea.X, FTextArea.Y + static_cast<int>(i) * (FLineHeight + kLineGap), FLines[i],
             FFont);
  }
  for (size_t i = 0; i < FButtons.size(); ++i) {
    const TButton& button = FButtons[i];
    DrawButton(canvas, button.Rect, button.Label, FFont, i == FFocus, i == FPressed);
  }
}

}  // namespace pelto5
