#include "platform/sdl/SdlToolWindow.h"

#include <cstdio>

#include "base/SjisText.h"
#include "platform/sdl/SdlKeys.h"

namespace pelto5 {

TSdlToolWindow::TSdlToolWindow(TToolWindowClient& client, TRegistration registration)
    : FClient(client), FRegistration(std::move(registration)) {
  FSurface.Canvas().SetSize(1, 1);
  if (FRegistration) FRegistration(this, true);
}

TSdlToolWindow::~TSdlToolWindow() {
  if (FRegistration) FRegistration(this, false);
}

bool TSdlToolWindow::EnsureWindow() {
  if (FSurface.Window()) return true;
  if (FFailed || SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const TCanvas& canvas = FSurface.Canvas();
  const TResult created =
      FSurface.Create("tool window", sjis::ToUtf8(FCaption), FLeft, FTop, canvas.Width(), canvas.Height(),
                      SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_UTILITY);
  if (!created) {
    // The player goes on without it.
    std::fprintf(stderr, "pelto5: %s\n", created.Reason().c_str());
    FFailed = true;
    return false;
  }
  return true;
}

void TSdlToolWindow::SetCaption(const std::string& caption) {
  FCaption = caption;
  if (FSurface.Window()) SDL_SetWindowTitle(FSurface.Window(), sjis::ToUtf8(caption).c_str());
}

void TSdlToolWindow::SetBounds(int left, int top, int width, int height) {
  FLeft = left;
  FTop = top;
  TCanvas& canvas = FSurface.Canvas();
  const bool resized = width != canvas.Width() || height != canvas.Height();
  if (resized) canvas.SetSize(width, height);
  if (SDL_Window* window = FSurface.Window()) {
    SDL_SetWindowPosition(window, left, top);
    if (resized) SDL_SetWindowSize(window, canvas.Width(), canvas.Height());
  }
  if (resized) {
    FClient.ToolResize(canvas.Width(), canvas.Height());
    FInvalid = true;
  }
}

void TSdlToolWindow::Show() {
  FVisible = true;
  FInvalid = true;
  ApplyVisibility();
}

void TSdlToolWindow::Hide() {
  FVisible = false;
  ApplyVisibility();
}

void TSdlToolWindow::SetSuspended(bool suspended) {
  FSuspended = suspended;
  ApplyVisibility();
}

void TSdlToolWindow::ApplyVisibility() {
  const bool shown = FVisible && !FSuspended;
  if (!shown) {
    if (FSurface.Window()) SDL_HideWindow(FSurface.Window());
    return;
  }
  if (!EnsureWindow()) return;
  SDL_ShowWindow(FSurface.Window());
  FInvalid = true;
}

void TSdlToolWindow::Present() {
  FInvalid = false;
  if (FVisible && !FSuspended) FSurface.Present();
}

void TSdlToolWindow::PaintIfInvalid() {
  if (FInvalid && FVisible && !FSuspended && FSurface.Window()) FClient.ToolPaint();
}

void TSdlToolWindow::DeviceReset() {
  FSurface.ResetTexture();
  FInvalid = true;
}

void TSdlToolWindow::HandleEvent(const SDL_Event& event, bool inputAllowed) {
  if (event.type == SDL_WINDOWEVENT) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        FInvalid = true;
        PaintIfInvalid();
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        TCanvas& canvas = FSurface.Canvas();
        if (event.window.data1 != canvas.Width() || event.window.data2 != canvas.Height()) {
          canvas.SetSize(event.window.data1, event.window.data2);
          FClient.ToolResize(canvas.Width(), canvas.Height());
        }
        FInvalid = true;
        break;
      }
      case SDL_WINDOWEVENT_MOVED:
        FLeft = event.window.data1;
        FTop = event.window.data2;
        break;
      case SDL_WINDOWEVENT_CLOSE:
        FClient.ToolClose();
        break;
      default:
        break;
    }
    return;
  }
  if (!inputAllowed || !FVisible) return;
  TMouseButton button;
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (MouseButtonFromSdl(event.button.button, button)) FClient.ToolMouseDown(button, event.button.x, event.button.y);
      break;
    case SDL_MOUSEBUTTONUP:
      if (MouseButtonFromSdl(event.button.button, button)) FClient.ToolMouseUp(button, event.button.x, event.button.y);
      break;
    case SDL_MOUSEMOTION:
      FClient.ToolMouseMove(event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEWHEEL: {
      const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      if (notches != 0) FClient.ToolMouseWheel(notches);
      break;
    }
    case SDL_KEYDOWN:
      if (const int key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode); key != 0) {
        FClient.ToolKeyDown(key);
      }
      break;
    default:
      break;
  }
}

}  // namespace pelto5
