#include "shell/StateDump.h"

#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "graphics/ScreenControl.h"
#include "platform/FileSystem.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/VariableCtrl.h"
#include "shell/FrmDebugInfo.h"

namespace pelto5 {

namespace {

void AppendLines(std::string& out, const TStringList& lines) {
  for (const std::string& line : lines) {
    out += sjis::ToUtf8(line);
    out += '\n';
  }
}

std::string Bit(bool value) { return value ? "1" : "0"; }

const char* KindOf(const TDynamicLayerList& entry) {
  if (entry.IsImageEntry()) return "image";
  if (entry.IsTextEntry()) return "text";
  return "transparent";
}

void AppendScreen(std::string& out, TScreenControl& screen) {
  const TLasScreen& main = *screen.GetWindow(0)->Screen;
  out += "[layers]\n";
  int index = 0;
  for (const TLasLayer* l = main.BaseLayer(); l; l = l->UpperLayer, ++index) {
    out += std::to_string(index) + "=" + sjis::ToUtf8(l->LayerName) + "|" + Bit(l->Visible) + "|" +
           sjis::ToUtf8(l->FileName) + "|" + std::to_string(l->Left) + "|" + std::to_string(l->Top) + "|" +
           std::to_string(l->Width) + "|" + std::to_string(l->Height) + "|" + std::to_string(l->ViewLeft) + "|" +
           std::to_string(l->ViewTop) + "\n";
  }
  out += "[dynamic-layers]\n";
  int n = 0;
  for (const TDynamicLayerList* e = main.DynamicLayers.GetNewest(); e; e = e->Older, ++n) {
    const std::string what = e->IsImageEntry() ? e->ImageFileName : e->Text;
    out += std::to_string(n) + "=" + std::to_string(e->AttrID) + "|" + std::to_string(e->AreaLeft) + "|" +
           std::to_string(e->AreaTop) + "|" + std::to_string(e->AreaWidth) + "|" + std::to_string(e->AreaHeight) +
           "|" + KindOf(*e) + "|" + sjis::ToUtf8(what) + "|" + std::to_string(static_cast<int>(e->Status)) + "|" +
           std::to_string(e->AnimeIndex) + "\n";
  }
}

}  // namespace

std::string TStateDump::Build(TPeltoAccessControl& access, TScreenControl* screen, const TfrmDebugInfo* debug) {
  std::string out = "[position]\n";
  out += "Stack.BookName=" + sjis::ToUtf8(access.CommandCtrl().BookName()) + "\n";
  out += "Stack.PageName=" + sjis::ToUtf8(access.CommandCtrl().PageName()) + "\n";
  out += "Stack.CommandIndex=" + std::to_string(access.NextCommandIndex()) + "\n";
  out += "[process]\n";
  out += "PlayerMode=" + std::to_string(access.Process().PlayerMode) + "\n";
  out += "[stack]\n";
  TStringList stack;
  access.ProcessStack().AppendTo(stack);
  AppendLines(out, stack);
  out += "[values]\n";
  AppendLines(out, access.VariableCtrl().FValueVars);
  out += "[strings]\n";
  AppendLines(out, access.VariableCtrl().FStringVars);
  if (screen) AppendScreen(out, *screen);
  if (debug) out += debug->DumpSections();
  return out;
}

bool TStateDump::Write(TPeltoAccessControl& access, TScreenControl* screen, const std::string& path,
                       const TfrmDebugInfo* debug) {
  return TFileSystem::WriteFileAtomic(path, Build(access, screen, debug));
}

}  // namespace pelto5
