#include "platform/sdl/SdlMessageBox.h"

#include <algorithm>
#include <cstdio>

#include "base/SjisText.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlMessageDialog.h"
#include "platform/sdl/SdlWindowSurface.h"

namespace pelto5 {

namespace {

// Room left around a box on the display.
constexpr int kDisplayMargin = 40;
// The box's largest size where the display's cannot be told.
constexpr int kFallbackMaxWidth = 800;
constexpr int kFallbackMaxHeight = 600;

// Line breaks as standard error shows them: CR LF and lone CR become LF.
std::string NormalizeLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
      continue;
    }
    out += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

// The usable part of the display that parent is on (the first display
// without a parent).
SDL_Rect UsableBounds(SDL_Window* parent) {
  int display = parent ? SDL_GetWindowDisplayIndex(parent) : 0;
  if (display < 0) display = 0;
  SDL_Rect bounds{};
  if (SDL_GetDisplayUsableBounds(display, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
    bounds = {0, 0, kFallbackMaxWidth + 2 * kDisplayMargin, kFallbackMaxHeight + 2 * kDisplayMargin};
  }
  return bounds;
}

class TBoxWindow {
 public:
  TBoxWindow(TSdlMessageDialog& dialog, SDL_Window* parent) : FDialog(dialog), FParent(parent) {}

  // Opens the window in front of parent; false when it cannot be made.
  [[nodiscard]] bool Open(const std::string& title) {
    const SDL_Rect display = UsableBounds(FParent);
    int x = display.x + (display.w - FDialog.Width()) / 2;
    int y = display.y + (display.h - FDialog.Height()) / 2;
    if (FParent) {
      int px = 0;
      int py = 0;
      int pw = 0;
      int ph = 0;
      SDL_GetWindowPosition(FParent, &px, &py);
      SDL_GetWindowSize(FParent, &pw, &ph);
      x = px + (pw - FDialog.Width()) / 2;
      y = py + (ph - FDialog.Height()) / 2;
    }
    // Wholly on the display, where it fits.
    x = std::max(display.x, std::min(x, display.x + display.w - FDialog.Width()));
    y = std::max(display.y, std::min(y, display.y + display.h - FDialog.Height()));
    uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR;
    // In front of a full-screen picture too.
    if (FParent && (SDL_GetWindowFlags(FParent) & SDL_WINDOW_FULLSCREEN) != 0) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    FSurface.Canvas().SetSize(FDialog.Width(), FDialog.Height());
    if (!FSurface.Create("message box", title, x, y, FDialog.Width(), FDialog.Height(), flags)) return false;
    if (FParent) SDL_SetWindowModalFor(FSurface.Window(), FParent);
    Show();
    SDL_ShowWindow(FSurface.Window());
    SDL_RaiseWindow(FSurface.Window());
    SDL_SetWindowInputFocus(FSurface.Window());
    return true;
  }

  // Runs the box until it is answered.
  void Run(const TBehindBox& behind) {
    while (!FDialog.Answered()) {
      SDL_Event event;
      if (!SDL_WaitEvent(&event)) {
        SDL_Delay(10);  // an error, not an event: do not spin
        continue;
      }
      if (Dispatch(event, behind) && !FDialog.Answered()) Show();
    }
  }

 private:
  // True when the box's picture changed.
  bool Dispatch(const SDL_Event& event, const TBehindBox& behind) {
    const uint32_t id = FSurface.Id();
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == id) {
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        FDialog.Close();
        return true;
      }
      Show();
      return false;
    }
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) return FDialog.HandleEvent(event);
    if (IsInputEvent(event.type)) {
      // The pointer counts over the box only; elsewhere it is dropped.
      return InputEventWindow(event) == id && FDialog.HandleEvent(event);
    }
    if (event.type == SDL_RENDER_DEVICE_RESET || event.type == SDL_RENDER_TARGETS_RESET) {
      FSurface.ResetTexture();
      Show();
    }
    if (behind && behind(event)) {
      FDialog.Close();
      return true;
    }
    return false;
  }

  void Show() {
    FDialog.Draw(FSurface.Canvas());
    FSurface.Present();
  }

  TSdlMessageDialog& FDialog;
  SDL_Window* FParent;
  TSdlWindowSurface FSurface;
};

}  // namespace

TMessageResult ShowSdlMessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons,
                                 const std::string& caption, SDL_Window* parent, bool videoStarted,
                                 const TBehindBox& behind, SDL_Scancode& endingKey) {
  endingKey = SDL_SCANCODE_UNKNOWN;
  const SDL_Rect display = videoStarted ? UsableBounds(parent) : SDL_Rect{};
  TSdlMessageDialog dialog(text, icon, buttons, std::max(display.w - 2 * kDisplayMargin, 1),
                           std::max(display.h - 2 * kDisplayMargin, 1));
  const std::string title = sjis::ToUtf8(caption);
  if (videoStarted) {
    TBoxWindow window(dialog, parent);
    if (window.Open(title)) {
      window.Run(behind);
      endingKey = dialog.EndingScancode();
      return dialog.Result();
    }
  }
  // No box could be shown: say it on standard error and go on as if the
  // default button had been chosen.
  std::fprintf(stderr, "%s: %s\n", title.c_str(), NormalizeLineBreaks(sjis::ToUtf8(text)).c_str());
  return dialog.Result();
}

}  // namespace pelto5
