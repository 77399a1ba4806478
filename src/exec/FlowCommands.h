// The handlers of the commands that steer execution and change variables:
// "@if", "@else", "@endif", "@Wait", "@Move", "@Call", "@Return",
// "@ValueCtrl", "@StringCtrl" and "@StringInput" ("@rem" needs none).
//
// The main form's dispatch table calls them with the fetched command, at a
// moment when the next-command index already points past it. Each returns
// the handler result of the main loop: true = run the next command in the
// same tick, false = yield until the next tick. They act on the position,
// variables, process state and call stack that the access controller owns,
// and keep no state of their own.
#pragma once

namespace pelto5 {

class TPeltoAccessControl;
class TPeltoCommand;

class TFlowCommands {
 public:
  explicit TFlowCommands(TPeltoAccessControl& access);

  // Goes on with the if-branch when the condition holds, else after the
  // block's "@else" or "@endif".
  bool DoIf(TPeltoCommand& command);
  // Reached at the end of an if-branch: goes on after the block's "@endif".
  bool DoElse(TPeltoCommand& command);
  bool DoEndif(TPeltoCommand& command);
  // Puts the process into a wait with the command's breaks.
  bool DoWait(TPeltoCommand& command);
  bool DoMove(TPeltoCommand& command);
  bool DoCall(TPeltoCommand& command);
  bool DoReturn(TPeltoCommand& command);
  // Value arithmetic: Add, Sub, Mul, Div, Mod, or a plain assignment.
  bool DoValueCtrl(TPeltoCommand& command);
  bool DoStringCtrl(TPeltoCommand& command);
  // Asks the user for a text through the modal text-input dialog.
  bool DoStringInput(TPeltoCommand& command);

  // Moves the next-command index past the first command at or after it
  // whose nesting level is level; false (index unchanged) when none is.
  bool SkipBlock(int level);

 private:
  bool Condition(const TPeltoCommand& command);

  TPeltoAccessControl& FAccess;
};

}  // namespace pelto5
