// SDL's video subsystem for the main window: started only where a real
// display answers, stopped with SDL itself once nothing else is running.
#pragma once

#include "base/Result.h"

namespace pelto5 {

class TSdlVideo {
 public:
  TSdlVideo() = default;
  ~TSdlVideo() { Stop(); }
  TSdlVideo(const TSdlVideo&) = delete;
  TSdlVideo& operator=(const TSdlVideo&) = delete;

  // Starts SDL's video. Without a display SDL quietly falls back to a video
  // driver that draws into memory only, and the player would run with
  // nothing on screen: that is accepted only when the user asked for such a
  // driver. A display that is named but refuses a connection for a moment
  // (a busy X server does) is tried again a few times first.
  TResult Start();
  void Stop();
  [[nodiscard]] bool Started() const { return FStarted; }

 private:
  bool FStarted = false;
};

}  // namespace pelto5
