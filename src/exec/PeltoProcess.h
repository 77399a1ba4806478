// The run state of the scenario's single thread of execution, apart from
// its position: whether the next command may run, whether a wait is in
// progress and what may end it (a click on an active layer, any click or
// key, elapsed time), and whether a message is being drawn progressively or
// is paused inside its text.
//
// The main loop asks IsReady / BeginStep before every step; command
// handlers, input handlers and the message drawing change the state. The
// state can be written into the call stack's work frame (SaveState) and
// read back (LoadState), so that a page called in the middle of a wait
// returns into that wait, and a save file restores a waiting game.
//
// Times are values of the platform's millisecond tick counter, an unsigned
// 32-bit count that wraps around; every deadline is measured as the
// unsigned time elapsed since its start, so it holds across the wrap.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/MessagePacing.h"

namespace pelto5 {

struct PackageReader;
struct PackageWriter;
class TPeltoProcessStack;

class TPeltoProcess : public TMessagePacing {
 public:
  // Run states. The numbers are stored in call-stack frames and save files.
  static constexpr int32_t Idle = 0;            // the next command may run
  static constexpr int32_t Executing = 1;       // a step is running
  static constexpr int32_t Waiting = 2;         // "@Wait" or "@Select" waits
  static constexpr int32_t MessageDrawing = 3;  // a message is revealed step by step
  static constexpr int32_t MessagePaused = 4;   // paused at a wait mark in the text

  // Interval of gauge and animation updates.
  static constexpr uint32_t GaugeInterval = 500;

  // True when commands may run. Ends a timed wait whose time is up (the
  // process becomes Idle and FTimedOut is set).
  [[nodiscard]] bool IsReady();
  // IsReady; if true the process becomes Executing.
  [[nodiscard]] bool BeginStep();
  // Leaves Executing for Idle; any other state (a wait or a message a
  // handler started) stays.
  void EndStep();
  // Whether a timed wait ended since the last call; clears the note.
  [[nodiscard]] bool TakeTimedOut();
  // The state of a freshly called page: Idle, no wait, no message.
  void Reset();

  void StartWait();
  void SetWaitTimer(int32_t ms) override;
  void EnableActiveClickBreak();
  void EnableAnyKeyBreak() override;
  // An input event that may end a wait or a message pause.
  void BreakWait();
  // 0: clickable layers do not react; 1: they react (the scenario waits);
  // 2: a wait that a click on an active layer may end.
  int GetClickMode() const;
  [[nodiscard]] bool IsAnyKeyBreak() const;

  void StartMessageEffect(int32_t window, const std::string& layer);
  // Whether the message reveal should advance in this step. Ends a pause
  // whose time is up, and every pause in skip mode.
  [[nodiscard]] bool MessageEffectDue();
  void PauseMessage() override;
  void EndMessageEffect();
  void SetMessageSkip();
  void ClearMessageSkip();

  // True at most once per GaugeInterval: the time for the next gauge and
  // animation update has come.
  [[nodiscard]] bool GaugeTickDue();
  // Whole seconds left of the timed break (truncated); 0 without one and
  // once its time is up.
  int32_t RemainingSeconds() const;
  // Moves the start of the timed break and the next gauge tick ms later,
  // so that a pause of the whole player (the reader looking through the
  // message history) does not count as waiting time.
  void DelayTimers(uint32_t ms);

  // Write / read the state keys in FStack's work frame. LoadState gives
  // Idle with all flags off for a frame without the keys. Nothing happens
  // while FStack is null.
  void SaveState();
  void LoadState();
  // The stack as the entry "stack.info" of a save container being written.
  bool SaveStack(PackageWriter& writer);
  // Restores the stack of a save container and pops its top frame into the
  // work frame, restoring the state saved in it; the caller then reads the
  // position keys of that frame. A save without a stack frame is reported
  // and the application is asked to terminate; the result is then false.
  [[nodiscard]] bool LoadStack(PackageReader& reader);

  // Not owned; set by the owner right after construction.
  TPeltoProcessStack* FStack = nullptr;
  uint32_t FWaitStart = 0;
  int32_t FWaitTime = 0;
  uint32_t FNextGaugeTick = 0;
  bool FTimedOut = false;
  int32_t PlayerMode = Executing;
  bool FActiveClickBreak = false;
  bool FAnyKeyBreak = false;
  bool FTimerBreak = false;
  bool FMessageSkip = false;
  int32_t FMessageWindow = 0;
  std::string FMessageLayer;

 private:
  [[nodiscard]] bool WaitTimeIsUp() const;
  void ClearBreakFlags();
};

}  // namespace pelto5
