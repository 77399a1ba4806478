#include "exec/FlowCommands.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "base/MessageTexts.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "script/PeltoCommand.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

// Signed 32-bit arithmetic that wraps on overflow: computed on the unsigned
// values, whose conversion back to signed is modular.
int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// Quotient truncated toward zero; the one overflowing case, the most
// negative value divided by -1, wraps to itself. b must not be 0.
int32_t WrapDiv(int32_t a, int32_t b) {
  if (b == -1) return WrapSub(0, a);
  return a / b;
}
// Remainder with the sign of a. b must not be 0.
int32_t WrapMod(int32_t a, int32_t b) {
  if (b == -1) return 0;
  return a % b;
}

// The comparison of two values by an "@if" keyword; false for a keyword
// that does not apply to values.
bool CompareValues(int compare, int32_t a, int32_t b) {
  switch (compare) {
    case cmdkey::cmpEqual: return a == b;
    case cmdkey::cmpUnequal: return a != b;
    case cmdkey::cmpUp: return a < b;
    case cmdkey::cmpDown: return a > b;
    case cmdkey::cmpUpEqual: return a <= b;
    case cmdkey::cmpDownEqual: return a >= b;
    default: return false;
  }
}

// The comparison of two texts by an "@if" keyword; false for a keyword that
// does not apply to texts. "in" looks for b at character boundaries of a,
// so that a single-byte b never matches the trail byte of a double-byte
// character; an empty b is never contained.
bool CompareTexts(int compare, const std::string& a, const std::string& b) {
  switch (compare) {
    case cmdkey::cmpEqual: return a == b;
    case cmdkey::cmpUnequal: return a != b;
    case cmdkey::cmpIn: return !b.empty() && sjis::FindText(a, b) != std::string_view::npos;
    default: return false;
  }
}

}  // namespace

TFlowCommands::TFlowCommands(TPeltoAccessControl& access) : FAccess(access) {}

bool TFlowCommands::SkipBlock(int level) {
  TCommandCtrl& commands = FAccess.CommandCtrl();
  const int count = commands.GetCommandCount();
  for (int i = FAccess.NextCommandIndex() < 0 ? 0 : FAccess.NextCommandIndex(); i < count; ++i) {
    if (commands.GetCommandLevel(i) == level) {
      FAccess.SetNextCommandIndex(i + 1);
      return true;
    }
  }
  return false;
}

bool TFlowCommands::Condition(const TPeltoCommand& command) {
  const bool values = command.ReadKeyword(cmdkey::IfVariableType) == cmdkey::vtValue;
  const int compare = command.ReadKeyword(cmdkey::IfCompare);
  const std::string a = command.ReadString(cmdkey::IfVariable1);
  const std::string b = command.ReadString(cmdkey::IfVariable2);
  TVariableCtrl& variables = FAccess.VariableCtrl();
  if (values) return CompareValues(compare, variables.GetValue(a), variables.GetValue(b));
  return CompareTexts(compare, variables.ExpandText(a), variables.ExpandText(b));
}

bool TFlowCommands::DoIf(TPeltoCommand& command) {
  if (Condition(command)) return true;
  if (SkipBlock(command.Level)) return true;
  Platform().MessageBox(msg::kIfWithoutEndif, TMessageIcon::Error, TMessageButtons::Ok);
  return false;
}

bool TFlowCommands::DoElse(TPeltoCommand& command) {
  if (SkipBlock(command.Level)) return true;
  Platform().MessageBox(msg::kElseWithoutEndif, TMessageIcon::Error, TMessageButtons::Ok);
  return false;
}

bool TFlowCommands::DoEndif(TPeltoCommand&) { return true; }

bool TFlowCommands::DoWait(TPeltoCommand& command) {
  const bool timeBreak = command.ReadBool(cmdkey::WaitTimeBreak);
  const int32_t time = command.ReadInteger(cmdkey::WaitTime);
  const bool inputBreak = command.ReadBool(cmdkey::WaitInputBreak);
  const bool clickOnly = command.ReadKeyword(cmdkey::WaitInput) == cmdkey::wiClickable;
  TPeltoProcess& process = FAccess.Process();
  process.StartWait();
  if (timeBreak) process.SetWaitTimer(time);
  if (inputBreak) {
    process.EnableActiveClickBreak();
    if (!clickOnly) process.EnableAnyKeyBreak();
  }
  return true;
}

bool TFlowCommands::DoMove(TPeltoCommand& command) {
  FAccess.MovePage(command.ReadString(cmdkey::MoveBookName), command.ReadString(cmdkey::MovePageName));
  return true;
}

bool TFlowCommands::DoCall(TPeltoCommand& command) {
  FAccess.CallPage(command.ReadString(cmdkey::CallBookName), command.ReadString(cmdkey::CallPageName));
  return true;
}

bool TFlowCommands::DoReturn(TPeltoCommand&) {
  if (!FAccess.ReturnFromCall()) {
    Platform().MessageBox(msg::kStackUnderflow, TMessageIcon::Warning, TMessageButtons::Ok);
  }
  return true;
}

bool TFlowCommands::DoValueCtrl(TPeltoCommand& command) {
  TVariableCtrl& variables = FAccess.VariableCtrl();
  int32_t r = variables.GetValue(command.ReadString(cmdkey::ValueCtrlLeftValue));
  const int32_t q = variables.GetValue(command.ReadString(cmdkey::ValueCtrlRightValue));
  const int calc = command.ReadKeyword(cmdkey::ValueCtrlCalc);
  if ((calc == cmdkey::calcDiv || calc == cmdkey::calcMod) && q == 0) {
    Platform().MessageBox(msg::kDivisionByZero, TMessageIcon::None, TMessageButtons::Ok);
    return false;
  }
  switch (calc) {
    case cmdkey::calcAdd: r = WrapAdd(r, q); break;
    case cmdkey::calcSub: r = WrapSub(r, q); break;
    case cmdkey::calcMul: r = WrapMul(r, q); break;
    case cmdkey::calcDiv: r = WrapDiv(r, q); break;
    case cmdkey::calcMod: r = WrapMod(r, q); break;
    default: break;  // a plain assignment
  }
  variables.Set_Value(command.ReadString(cmdkey::ValueCtrlValueVar), r);
  return true;
}

bool TFlowCommands::DoStringCtrl(TPeltoCommand& command) {
  TVariableCtrl& variables = FAccess.VariableCtrl();
  const std::string text = variables.ExpandText(command.ReadString(cmdkey::StringCtrlText));
  variables.Set_Text(command.ReadString(cmdkey::StringCtrlStringVar), text);
  return true;
}

bool TFlowCommands::DoStringInput(TPeltoCommand& command) {
  TVariableCtrl& variables = FAccess.VariableCtrl();
  const std::string ref = command.ReadString(cmdkey::StringInputStringVar);
  // The dialog starts with the variable's present value; Cancel leaves it.
  std::string value = variables.ExpandText(ref);
  static_cast<void>(Platform().InputQuery(command.ReadString(cmdkey::StringInputCaption),
                                          command.ReadString(cmdkey::StringInputText), value));
  variables.Set_Text(ref, value);
  return true;
}

}  // namespace pelto5
