#include "lint/VariableCheck.h"

#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"

namespace pelto5 {

namespace {

constexpr const char* kCheck = "variables";
// Written by the player itself when the display mode changes.
constexpr const char* kSystemValues[] = {"_fullscreen"};

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

void TVariableCheck::Run() {
  for (const char* name : kSystemValues) Use(FValues, name, true, 0, false);
  for (const TLintPage& page : FScript.Pages()) {
    for (const TLintCommand& command : page.Commands) ScanCommand(command, page.Own);
  }
  Report(FValues, "value");
  Report(FStrings, "string");
}

void TVariableCheck::ScanCommand(const TLintCommand& command, bool own) {
  using namespace cmdkey;
  if (command.Info == nullptr || !command.Info->Handled) return;
  const TPeltoCommand& c = command.Command;
  switch (c.CommandType) {
    case TCommandCtrl::ctIf: {
      const bool values = c.ReadKeyword(IfVariableType) == vtValue;
      for (const TCommandKey* key : {&IfVariable1, &IfVariable2}) {
        const int line = command.LineOf(key->Name);
        if (values) {
          ScanValue(c.ReadString(*key), line, own);
        } else {
          ScanExpanded(c.ReadString(*key), line, own);
        }
      }
      return;
    }
    case TCommandCtrl::ctDynamicLayer:
      // The text is expanded for text entries only.
      if (c.ReadKeyword(DynamicType) == dtText) ScanExpanded(c.ReadString(DynamicText), command.LineOf(DynamicText.Name), own);
      for (const TCommandKey* key : {&DynamicAreaLeft, &DynamicAreaTop, &DynamicAreaWidth, &DynamicAreaHeight}) {
        ScanKey(command, *key, own);
      }
      return;
    case TCommandCtrl::ctSaveCtrl: {
      const int action = c.ReadKeyword(SaveCtrlCommand);
      if (action == scSaveValue) ScanKey(command, SaveCtrlValue, own);
      if (action == scLoadValue) ScanKey(command, SaveCtrlVariable, own);
      return;
    }
    case TCommandCtrl::ctSelect:
      for (int n = 1; n <= TCommandKeys::kMaxNumbered; ++n) {
        if (c.ReadString(SelectPage, n).empty()) break;
        ScanExpanded(c.ReadString(SelectText, n), command.LineOf(std::string(SelectText.Name) + std::to_string(n)),
                     own);
      }
      return;
    default:
      break;
  }
  for (const TCommandKey* key : command.Info->Keys) ScanKey(command, *key, own);
}

void TVariableCheck::ScanKey(const TLintCommand& command, const TCommandKey& key, bool own) {
  const std::string value = command.Command.ReadString(key);
  const int line = command.LineOf(key.Name);
  switch (key.Kind) {
    case TKeyKind::ExpandedText:
      ScanExpanded(value, line, own);
      return;
    case TKeyKind::Value:
      ScanValue(value, line, own);
      return;
    case TKeyKind::ValueVarRef:
      ScanReference(value, '%', line, own);
      return;
    case TKeyKind::StringVarRef:
      ScanReference(value, '$', line, own);
      return;
    case TKeyKind::VariableRef:
      ScanReference(value, !value.empty() && value[0] == '$' ? '$' : '%', line, own, true);
      return;
    default:
      return;
  }
}

// The player's expansion: every "$name$" first, then every "%name%" of the
// result; an odd delimiter makes it show its error text instead.
void TVariableCheck::ScanExpanded(const std::string& text, int line, bool own) {
  std::string rest;
  size_t pos = 0;
  for (;;) {
    const size_t open = sjis::FindChar(text, '$', pos);
    if (open == std::string::npos) break;
    const size_t close = sjis::FindChar(text, '$', open + 1);
    if (close == std::string::npos) {
      if (own) {
        FOut.Add(FScript.FileName(), line, TSeverity::Error,
                 "unpaired \"$\": the player shows its expansion error text instead of this text", kCheck);
      }
      return;
    }
    rest += text.substr(pos, open - pos);
    Use(FStrings, text.substr(open + 1, close - open - 1), false, line, own);
    pos = close + 1;
  }
  rest += text.substr(pos);
  pos = 0;
  for (;;) {
    const size_t open = sjis::FindChar(rest, '%', pos);
    if (open == std::string::npos) break;
    const size_t close = sjis::FindChar(rest, '%', open + 1);
    if (close == std::string::npos) {
      if (own) {
        FOut.Add(FScript.FileName(), line, TSeverity::Error,
                 "unpaired \"%\": the player shows its expansion error text instead of this text", kCheck);
      }
      return;
    }
    Use(FValues, rest.substr(open + 1, close - open - 1), false, line, own);
    pos = close + 1;
  }
}

// A number, or a value variable: the player drops the first and the last
// character, whatever the last one is.
void TVariableCheck::ScanValue(const std::string& text, int line, bool own) {
  if (text.empty() || text[0] != '%') return;
  if (text.size() < 2 || text.back() != '%') {
    if (own) {
      FOut.Add(FScript.FileName(), line, TSeverity::Warning,
               Quoted(text) + " does not end with \"%\"; the player drops its last character anyway", kCheck);
    }
  }
  if (text.size() >= 2) Use(FValues, text.substr(1, text.size() - 2), false, line, own);
}

void TVariableCheck::ScanReference(const std::string& text, char delimiter, int line, bool own, bool either) {
  const std::string form = either ? "%name% or $name$" : delimiter == '%' ? "%name%" : "$name$";
  if (text.empty() || text[0] != delimiter) {
    if (own) {
      FOut.Add(FScript.FileName(), line, TSeverity::Error,
               Quoted(text) + " is not a variable written " + form + "; the player stores nothing", kCheck);
    }
    return;
  }
  if (text.size() < 2 || text.back() != delimiter) {
    if (own) {
      FOut.Add(FScript.FileName(), line, TSeverity::Warning,
               Quoted(text) + " does not end with \"" + std::string(1, delimiter) +
                   "\"; the player drops its last character anyway",
               kCheck);
    }
  }
  if (text.size() >= 2) Use(delimiter == '%' ? FValues : FStrings, text.substr(1, text.size() - 2), true, line, own);
}

void TVariableCheck::Use(TUses& uses, const std::string& name, bool write, int line, bool own) {
  // Built-ins are read-only and always answer.
  if (name.empty() || name[0] == '@') return;
  TUse& use = uses[sjis::UpperAscii(name)];
  if (use.Name.empty()) use.Name = name;
  if (write) {
    use.Written = true;
    if (own && use.WriteLine == 0) use.WriteLine = line;
  } else {
    use.Read = true;
    if (own && use.ReadLine == 0) use.ReadLine = line;
  }
}

void TVariableCheck::Report(const TUses& uses, const char* kind) {
  for (const auto& [folded, use] : uses) {
    if (use.Read && !use.Written && use.ReadLine > 0) {
      FOut.Add(FScript.FileName(), use.ReadLine, TSeverity::Note,
               std::string(kind) + " variable " + Quoted(use.Name) + " is read but never written",
               kCheck);
    } else if (use.Written && !use.Read && use.WriteLine > 0) {
      FOut.Add(FScript.FileName(), use.WriteLine, TSeverity::Note,
               std::string(kind) + " variable " + Quoted(use.Name) + " is written but never read", kCheck);
    }
  }
}

}  // namespace pelto5
