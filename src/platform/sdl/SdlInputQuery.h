// The modal text-input query of the SDL backend: a TSdlInputDialog drawn
// over the main window's current frame, which is restored when it closes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Canvas.h"
#include "platform/Letterbox.h"
#include "platform/sdl/SdlMessageBox.h"

namespace pelto5 {

// What the query needs of the main window.
struct TSdlQueryWindow {
  TCanvas& Canvas;
  uint32_t WindowId;
  std::function<TLetterbox()> PictureBox;  // where the picture lies in the window
  std::function<void()> Present;
  TBehindBox Behind;  // events that are not the dialog's
};

// Runs the dialog until it is answered. The dialog works in picture
// pixels; pointer events are mapped for it, and the IME's candidate list
// is placed at its caret. Closing the window (Behind returns true) cancels.
// True with value set when accepted; the key that closed it is put in
// endingKey.
[[nodiscard]] bool RunSdlInputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                                    const TSdlQueryWindow& window, SDL_Scancode& endingKey);

}  // namespace pelto5
