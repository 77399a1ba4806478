// The main window's two modes: a framed window the size of the main screen,
// and full screen, where the display is switched to the main screen's size
// and the window covers it without a frame. Entering and leaving full
// screen sets the value variable "%_fullscreen%" to 1 and 0 so a script can
// test the mode; a display that refuses the size leaves the window as it is.
#pragma once

#include "save/DisplaySwitch.h"

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;

class TDisplayMode : public TDisplaySwitch {
 public:
  TDisplayMode(TPeltoAccessControl& access, TScreenControl& screen) : FAccess(access), FScreen(screen) {}

  // Switches the display to the main screen's size and the window to full
  // screen; nothing happens when already there or when the display refuses.
  void SetFullScreen() override;
  // Restores the display and the framed window at the top-left corner;
  // nothing happens when not in full screen.
  void SetWindowMode() override;
  [[nodiscard]] bool FullScreen() const { return FFullScreen; }

  // Changes the display resolution of the main display for this run only.
  [[nodiscard]] static bool SetDisplayMode(int width, int height);
  // Returns the display to the mode stored in the system's settings.
  [[nodiscard]] static bool RestoreDisplayMode();

 private:
  void ScreenSize(int& width, int& height);
  void SetFullScreenVariable(int value);

  TPeltoAccessControl& FAccess;
  TScreenControl& FScreen;
  bool FFullScreen = false;
};

}  // namespace pelto5
