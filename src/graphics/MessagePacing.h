// How the message reveal holds the run: at a timed pause or a key wait in
// the text the screen controller pauses the message drawing and sets the
// wait. The process state implements it.
#pragma once

#include <cstdint>

namespace pelto5 {

class TMessagePacing {
 public:
  virtual ~TMessagePacing() = default;
  // The message drawing stops until the wait ends.
  virtual void PauseMessage() = 0;
  // The wait ends after ms milliseconds.
  virtual void SetWaitTimer(int32_t ms) = 0;
  // A click or key ends the wait.
  virtual void EnableAnyKeyBreak() = 0;
};

}  // namespace pelto5
