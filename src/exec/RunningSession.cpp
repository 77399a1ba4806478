#include "exec/RunningSession.h"

#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

TRunningSession::TRunningSession()
    : FPeltoFile(std::make_unique<TPeltoFile>()),
      FProcessStack(std::make_unique<TPeltoProcessStack>()),
      FProcess(std::make_unique<TPeltoProcess>()),
      FCommandCtrl(std::make_unique<TCommandCtrl>()),
      FVariableCtrl(std::make_unique<TVariableCtrl>()) {
  FProcess->FStack = FProcessStack.get();
  FCommandCtrl->SetFile(FPeltoFile.get());
  FVariableCtrl->FFile = FPeltoFile.get();
}

TRunningSession::~TRunningSession() = default;

void TRunningSession::Start(const std::string& book, const std::string& page) {
  FProcessStack->ClearFrame();
  MovePage(book, page);
  FProcess->EndStep();
}

void TRunningSession::MovePage(const std::string& book, const std::string& page) {
  FCommandCtrl->SetBookName(book);
  FCommandCtrl->SetPageName(page);
  FNextCommandIndex = 0;
}

bool TRunningSession::CallPage(const std::string& book, const std::string& page) {
  if (FProcessStack->Depth() >= kMaxCallDepth) return false;
  PushReturnFrame(false);
  FProcess->Reset();
  MovePage(book, page);
  return true;
}

bool TRunningSession::CallPageKeepState(const std::string& book, const std::string& page) {
  if (FProcessStack->Depth() >= kMaxCallDepth) return false;
  PushReturnFrame(true);
  FProcess->Reset();
  MovePage(book, page);
  return true;
}

void TRunningSession::PushReturnFrame(bool keepState) {
  FProcessStack->ClearFrame();
  // The state keys come before the position keys.
  if (keepState) FProcess->SaveState();
  FProcessStack->WriteString("Stack.BookName", FCommandCtrl->BookName());
  FProcessStack->WriteString("Stack.PageName", FCommandCtrl->PageName());
  FProcessStack->WriteInteger("Stack.CommandIndex", FNextCommandIndex);
  FProcessStack->PushFrame();
}

bool TRunningSession::ReturnFromCall() {
  if (!FProcessStack->PopFrame()) return false;
  FProcess->LoadState();
  FCommandCtrl->SetBookName(FProcessStack->ReadString("Stack.BookName", ""));
  FCommandCtrl->SetPageName(FProcessStack->ReadString("Stack.PageName", ""));
  FNextCommandIndex = FProcessStack->ReadInteger("Stack.CommandIndex", 0);
  return true;
}

void TRunningSession::GetStackInfo(TStringList& list) const {
  ListWriteString(list, "Stack.BookName", FCommandCtrl->BookName());
  ListWriteString(list, "Stack.PageName", FCommandCtrl->PageName());
  ListWriteInteger(list, "Stack.CommandIndex", FNextCommandIndex);
  list.emplace_back("@StackBorder");
  FProcessStack->AppendTo(list);
}

}  // namespace pelto5
