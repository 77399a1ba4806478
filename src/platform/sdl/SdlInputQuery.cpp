#include "platform/sdl/SdlInputQuery.h"

#include <algorithm>

#include "platform/sdl/SdlClientInput.h"
#include "platform/sdl/SdlInputDialog.h"
#include "platform/sdl/SdlKeys.h"

namespace pelto5 {

namespace {

// Handles one event while the dialog is open; true when the dialog changed.
bool DispatchToDialog(const SDL_Event& event, TSdlInputDialog& dialog, const TSdlQueryWindow& window) {
  if (IsInputEvent(event.type) && window.WindowId != 0 && InputEventWindow(event) == window.WindowId) {
    SDL_Event mapped = event;
    MapPointerToPicture(mapped, window.PictureBox());
    return dialog.HandleEvent(mapped);
  }
  if (!window.Behind(event)) return false;
  dialog.Cancel();
  return true;
}

// The caret's rectangle in window points, for the IME.
SDL_Rect CaretInWindow(const TSdlInputDialog& dialog, const TLetterbox& box) {
  const SDL_Rect inPicture = dialog.CaretWindowRect();
  SDL_Rect caret{};
  box.ToOutput(inPicture.x, inPicture.y, caret.x, caret.y);
  int right = 0;
  int bottom = 0;
  box.ToOutput(inPicture.x + inPicture.w, inPicture.y + inPicture.h, right, bottom);
  caret.w = std::max(right - caret.x, 1);
  caret.h = std::max(bottom - caret.y, 1);
  return caret;
}

}  // namespace

bool RunSdlInputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                      const TSdlQueryWindow& window, SDL_Scancode& endingKey) {
  const TCanvas frame = window.Canvas;
  TSdlInputDialog dialog(caption, prompt, value, frame.Width(), frame.Height(), 1);
  SDL_StartTextInput();
  auto show = [&] {
    dialog.Draw(frame, window.Canvas);
    const SDL_Rect caret = CaretInWindow(dialog, window.PictureBox());
    SDL_SetTextInputRect(&caret);
    window.Present();
  };
  show();
  while (dialog.State() == TInputDialogState::Open) {
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) {
      SDL_Delay(10);  // an error, not an event: do not spin
      continue;
    }
    if (DispatchToDialog(event, dialog, window) && dialog.State() == TInputDialogState::Open) show();
  }
  SDL_StopTextInput();
  endingKey = dialog.EndingScancode();
  window.Canvas = frame;
  window.Present();
  if (dialog.State() != TInputDialogState::Accepted) return false;
  value = dialog.Text();
  return true;
}

}  // namespace pelto5
