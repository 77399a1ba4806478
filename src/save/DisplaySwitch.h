// The switch between the framed window and full screen, as the System
// command's option turns it. The main window's display mode implements it.
#pragma once

namespace pelto5 {

class TDisplaySwitch {
 public:
  virtual ~TDisplaySwitch() = default;
  virtual void SetFullScreen() = 0;
  virtual void SetWindowMode() = 0;
};

}  // namespace pelto5
