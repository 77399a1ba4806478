#include "shell/StateDump.h"

#include "content/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "platform/FileSystem.h"
#include "platform/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

void AppendLines(std::string& out, const TStringList& lines) {
  for (const std::string& line : lines) {
    out += sjis::ToUtf8(line);
    out += '\n';
  }
}

}  // namespace

std::string TStateDump::Build(TPeltoAccessControl& access) {
  std::string out = "[position]\n";
  out += "Stack.BookName=" + sjis::ToUtf8(access.FCommandCtrl->BookName()) + "\n";
  out += "Stack.PageName=" + sjis::ToUtf8(access.FCommandCtrl->PageName()) + "\n";
  out += "Stack.CommandIndex=" + std::to_string(access.FNextCommandIndex) + "\n";
  out += "[process]\n";
  out += "PlayerMode=" + std::to_string(access.FProcess->PlayerMode) + "\n";
  out += "[stack]\n";
  TStringList stack;
  access.FProcessStack->AppendTo(stack);
  AppendLines(out, stack);
  out += "[values]\n";
  AppendLines(out, access.FVariableCtrl->FValueVars);
  out += "[strings]\n";
  AppendLines(out, access.FVariableCtrl->FStringVars);
  return out;
}

bool TStateDump::Write(TPeltoAccessControl& access, const std::string& path) {
  return TFileSystem::WriteFileAtomic(path, Build(access));
}

}  // namespace pelto5
