// A tool window of the SDL backend: a second, resizable SDL window with
// its own renderer and canvas. The platform hands it the events addressed
// to it; it passes them on to its client.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "platform/sdl/SdlWindowSurface.h"

namespace pelto5 {

class TSdlToolWindow : public TToolWindow {
 public:
  // Called with the window on creation and on destruction, so that the
  // platform knows where to send events.
  using TRegistration = std::function<void(TSdlToolWindow*, bool created)>;

  TSdlToolWindow(TToolWindowClient& client, TRegistration registration);
  ~TSdlToolWindow() override;
  TSdlToolWindow(const TSdlToolWindow&) = delete;
  TSdlToolWindow& operator=(const TSdlToolWindow&) = delete;

  void SetCaption(const std::string& caption) override;
  void SetBounds(int left, int top, int width, int height) override;
  void Show() override;
  void Hide() override;
  [[nodiscard]] bool Visible() const override { return FVisible; }
  TCanvas& Canvas() override { return FSurface.Canvas(); }
  void Present() override;
  void Invalidate() override { FInvalid = true; }

  uint32_t Id() const { return FSurface.Id(); }
  // Handles an event addressed to this window. While a modal dialog is up
  // (inputAllowed false) input is dropped; paints and closing still work.
  void HandleEvent(const SDL_Event& event, bool inputAllowed);
  // Paints if a paint was asked for.
  void PaintIfInvalid();
  // The render device was reset: the texture is gone.
  void DeviceReset();
  // Full screen hides the window; window mode brings it back if it was shown.
  void SetSuspended(bool suspended);

 private:
  // Creates the SDL window on first need (hidden); false without a display.
  [[nodiscard]] bool EnsureWindow();
  void ApplyVisibility();

  TToolWindowClient& FClient;
  TRegistration FRegistration;
  TSdlWindowSurface FSurface;
  std::string FCaption;
  int FLeft = 0;
  int FTop = 0;
  bool FVisible = false;
  bool FSuspended = false;
  bool FInvalid = true;
  bool FFailed = false;
};

}  // namespace pelto5
