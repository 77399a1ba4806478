#include "lint/CommandCheck.h"

#include <map>
#include <vector>

#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "lint/NearestName.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "base/IntegerConversion.h"

namespace pelto5 {

namespace {

constexpr const char* kCheck = "commands";

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string KeywordList(const TCommandKey& key) {
  std::string list;
  for (std::string_view word : key.Keywords) {
    if (!list.empty()) list += ", ";
    list += word;
  }
  return list;
}

// The command whose table holds key, for a key given to the wrong command.
const TCommandInfo* OwnerOf(std::string_view key) {
  for (const TCommandInfo& command : TCommandKeys::Commands()) {
    if (TCommandKeys::Find(command, key) != nullptr) return &command;
  }
  return nullptr;
}

std::vector<std::string> KeyNames(const TCommandInfo& info, std::string_view typed) {
  std::vector<std::string> names;
  for (const TCommandKey* key : info.Keys) {
    std::string name(key->Name);
    if (key->Numbered) {
      // Suggest the number that was typed: "Select.Txt3" -> "Select.Text3".
      size_t digits = typed.size();
      while (digits > 0 && typed[digits - 1] >= '0' && typed[digits - 1] <= '9') --digits;
      name += digits < typed.size() ? std::string(typed.substr(digits)) : "1";
    }
    names.push_back(name);
  }
  return names;
}

}  // namespace

void TCommandCheck::Run(TLintScript& script, TDiagnosticList& out) {
  for (const TLintPage& page : script.Pages()) {
    if (!page.Own) continue;
    for (const TLintCommand& command : page.Commands) CheckCommand(script.FileName(), command, out);
  }
}

void TCommandCheck::CheckCommand(const std::string& file, const TLintCommand& command, TDiagnosticList& out) {
  const std::string& line = command.Command.CommandLine;
  if (command.Info == nullptr) {
    std::vector<std::string> names;
    for (const TCommandInfo& info : TCommandKeys::Commands()) names.emplace_back(info.Line);
    const std::string nearest = NearestName(line, names);
    out.Add(file, command.Line, TSeverity::Error,
            "unknown command " + Quoted(line) + (nearest.empty() ? "" : "; did you mean " + Quoted(nearest) + "?"),
            kCheck);
    return;
  }
  const TCommandInfo& info = *command.Info;
  // "@rem" lines are comments; the player does not look at them.
  if (info.Type == TCommandCtrl::ctRem) return;
  // "@Effect", "@GraphicCtrl" and "@WindowShow" do nothing but end the
  // tick, and a scenario may use them for just that pause; nothing reads
  // their properties either.
  if (!info.Handled) return;
  std::map<std::string, int> seen;  // folded key -> line of its first use
  const TStringList& properties = command.Command.Properties;
  for (size_t i = 0; i < properties.size(); ++i) {
    const int at = command.PropertyLines[i];
    const std::string& text = properties[i];
    if (sjis::Trim(text).empty()) continue;
    const size_t eq = sjis::FindChar(text, '=');
    if (eq == std::string::npos) {
      out.Add(file, at, TSeverity::Warning, "line is not a Key=Value property; the player ignores it", kCheck);
      continue;
    }
    const std::string name = text.substr(0, eq);
    const std::string value = text.substr(eq + 1);
    const TCommandKey* key = TCommandKeys::Find(info, name);
    if (key == nullptr) {
      const TCommandInfo* owner = OwnerOf(name);
      std::string message = "unknown key " + Quoted(name) + " for " + std::string(info.Line);
      if (owner != nullptr) {
        message += "; it is a key of " + std::string(owner->Line);
      } else {
        const std::string nearest = NearestName(name, KeyNames(info, name));
        if (!nearest.empty()) message += "; did you mean " + Quoted(nearest) + "?";
      }
      out.Add(file, at, TSeverity::Warning, message + " (the player ignores it)", kCheck);
      continue;
    }
    auto [it, added] = seen.emplace(sjis::UpperAscii(name), at);
    if (!added) {
      out.Add(file, at, TSeverity::Warning,
              "key " + Quoted(name) + " given twice; the player uses the first one, at line " + IntToStr(it->second),
              kCheck);
      continue;
    }
    CheckValue(file, at, *key, value, out);
  }
  for (const TCommandKey* key : info.Keys) {
    if (!key->Required || !command.Command.ReadString(*key).empty()) continue;
    out.Add(file, command.Line, TSeverity::Warning,
            std::string(info.Line) + " without " + std::string(key->Name) + " does nothing", kCheck);
  }
}

void TCommandCheck::CheckValue(const std::string& file, int line, const TCommandKey& key, const std::string& value,
                               TDiagnosticList& out) {
  int32_t number = 0;
  switch (key.Kind) {
    case TKeyKind::Integer:
    case TKeyKind::Bool:
      if (value.empty() || TryStrToInt(value, number)) return;
      out.Add(file, line, TSeverity::Warning,
              "value " + Quoted(value) + " of " + std::string(key.Name) +
                  " is not a number; the player uses " + std::string(key.Default),
              kCheck);
      return;
    case TKeyKind::Value:
      // A value-variable reference is the variables check's business.
      if (value.empty() || value[0] == '%' || TryStrToInt(value, number)) return;
      out.Add(file, line, TSeverity::Warning,
              "value " + Quoted(value) + " of " + std::string(key.Name) +
                  " is neither a number nor a %variable%; it reads as 0",
              kCheck);
      return;
    case TKeyKind::Keyword:
      if (key.OthersMeanLast || value == key.Default || TCommandKeys::KeywordIndex(key, value) >= 0) return;
      out.Add(file, line, TSeverity::Warning,
              "value " + Quoted(value) + " of " + std::string(key.Name) + " is not one of " + KeywordList(key) +
                  " (keywords are case-sensitive)",
              kCheck);
      return;
    default:
      return;
  }
}

}  // namespace pelto5
