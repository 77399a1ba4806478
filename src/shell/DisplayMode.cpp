#include "shell/DisplayMode.h"

#include "exec/PeltoAccessControl.h"
#include "graphics/ScreenControl.h"
#include "platform/Platform.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

constexpr const char* kFullScreenVariable = "%_fullscreen%";

}  // namespace

bool TDisplayMode::SetDisplayMode(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  return Platform().SetFullScreen(true, width, height);
}

bool TDisplayMode::RestoreDisplayMode() { return Platform().SetFullScreen(false, 0, 0); }

void TDisplayMode::ScreenSize(int& width, int& height) {
  const TWindowRecord* main = FScreen.GetWindow(0);
  width = main->Screen->Width;
  height = main->Screen->Height;
}

void TDisplayMode::SetFullScreenVariable(int value) {
  FAccess.VariableCtrl().Set_Value(kFullScreenVariable, value);
}

void TDisplayMode::SetFullScreen() {
  if (FFullScreen) return;
  int w = 0;
  int h = 0;
  ScreenSize(w, h);
  if (!SetDisplayMode(w, h)) return;
  TPlatform& platform = Platform();
  platform.SetWindowPosition(0, 0);
  platform.SetClientSize(w, h);
  FFullScreen = true;
  SetFullScreenVariable(1);
}

void TDisplayMode::SetWindowMode() {
  if (!FFullScreen) return;
  (void)RestoreDisplayMode();  // a window comes back whether or not it did
  int w = 0;
  int h = 0;
  ScreenSize(w, h);
  TPlatform& platform = Platform();
  platform.SetClientSize(w, h);
  // The window stays at the top-left corner of the restored display.
  platform.SetWindowPosition(0, 0);
  FFullScreen = false;
  SetFullScreenVariable(0);
}

}  // namespace pelto5
