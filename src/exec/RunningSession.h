// TRunningSession: the scenario as it runs. It owns the script, the call
// stack, the process state, the command cache and the variables, keeps the
// position in the script (book, page and the next command's index) and
// moves, calls and returns between pages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/KeyValueList.h"

namespace pelto5 {

class TPeltoFile;
class TCommandCtrl;
class TVariableCtrl;
class TPeltoProcess;
class TPeltoProcessStack;

class TRunningSession {
 public:
  TRunningSession();
  ~TRunningSession();
  TRunningSession(const TRunningSession&) = delete;
  TRunningSession& operator=(const TRunningSession&) = delete;

  TPeltoFile& PeltoFile() { return *FPeltoFile; }
  TPeltoProcessStack& ProcessStack() { return *FProcessStack; }
  TPeltoProcess& Process() { return *FProcess; }
  TCommandCtrl& CommandCtrl() { return *FCommandCtrl; }
  TVariableCtrl& VariableCtrl() { return *FVariableCtrl; }
  const TPeltoFile& PeltoFile() const { return *FPeltoFile; }
  const TPeltoProcess& Process() const { return *FProcess; }
  const TCommandCtrl& CommandCtrl() const { return *FCommandCtrl; }
  const TVariableCtrl& VariableCtrl() const { return *FVariableCtrl; }

  // Index of the next command of the current page to run.
  int32_t NextCommandIndex() const { return FNextCommandIndex; }
  void SetNextCommandIndex(int32_t index) { FNextCommandIndex = index; }

  // A fresh start at book/page: an empty stack frame, the first command,
  // and a process left running made idle.
  void Start(const std::string& book, const std::string& page);
  // Jump: current book and page replaced, next command index 0.
  void MovePage(const std::string& book, const std::string& page);
  // The deepest nesting of calls: a page that calls itself without end
  // stops here instead of growing the stack until memory runs out.
  static constexpr size_t kMaxCallDepth = 10000;
  // Push a return frame (the current position), reset the process, move.
  // False, and nothing changed, when the stack already holds
  // kMaxCallDepth frames.
  [[nodiscard]] bool CallPage(const std::string& book, const std::string& page);
  // The same, with the process state saved in the frame.
  [[nodiscard]] bool CallPageKeepState(const std::string& book, const std::string& page);
  // Pop a frame and resume there; false on an empty stack.
  [[nodiscard]] bool ReturnFromCall();
  // The current position, "@StackBorder", then the stack lines.
  void GetStackInfo(TStringList& list) const;
  // Pushes a frame with the current position (and the process state).
  void PushReturnFrame(bool keepState);

 private:
  // Created in this order, destroyed in the reverse one.
  std::unique_ptr<TPeltoFile> FPeltoFile;
  std::unique_ptr<TPeltoProcessStack> FProcessStack;
  std::unique_ptr<TPeltoProcess> FProcess;
  std::unique_ptr<TCommandCtrl> FCommandCtrl;
  std::unique_ptr<TVariableCtrl> FVariableCtrl;
  int32_t FNextCommandIndex = 0;
};

}  // namespace pelto5
