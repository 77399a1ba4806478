#include "lint/ScenarioLint.h"

#include <memory>

#include "lint/CommandCheck.h"
#include "lint/HeaderCheck.h"
#include "lint/LintScript.h"
#include "lint/ResourceCheck.h"
#include "lint/StructureCheck.h"
#include "lint/TargetCheck.h"
#include "lint/VariableCheck.h"
#include "platform/Platform.h"
#include "base/IntegerConversion.h"
#include "base/JsonText.h"

namespace pelto5 {

namespace {

// Message lines end at the line: a line break inside one is shown escaped.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

}  // namespace

void TScenarioLint::Run(const std::string& path) {
  // The player's own code reports some faults in message boxes; here they
  // are answered quietly (go on, create nothing) and the checks report them.
  std::unique_ptr<TPlatform> quiet = CreateQuietPlatform(TMessageResult::No);
  TPlatform& previous = Platform();
  if (quiet) InstallPlatform(quiet.get());
  {
    TLintScript script;
    if (script.Open(path, FOptions, FDiagnostics)) {
      if (FOptions.Enabled("header")) THeaderCheck::Run(script, FDiagnostics);
      if (FOptions.Enabled("structure")) TStructureCheck::Run(script, FDiagnostics);
      if (FOptions.Enabled("commands")) TCommandCheck::Run(script, FDiagnostics);
      if (FOptions.Enabled("targets")) TTargetCheck::Run(script, FDiagnostics);
      if (FOptions.Enabled("resources")) TResourceCheck(script, FDiagnostics).Run();
      if (FOptions.Enabled("variables")) TVariableCheck(script, FDiagnostics).Run();
    }
  }
  InstallPlatform(&previous);
  FDiagnostics.Sort();
}

std::string TScenarioLint::Report() const {
  std::string out;
  const auto& items = FDiagnostics.Items();
  if (!FOptions.Json) {
    for (const TDiagnostic& d : items) {
      out += d.File + ":" + IntToStr(d.Line) + ": " + TDiagnosticList::SeverityName(d.Severity) + ": " +
             OneLine(d.Message) + " [" + d.Check + "]\n";
    }
    return out;
  }
  out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    const TDiagnostic& d = items[i];
    out += i == 0 ? "\n" : ",\n";
    out += "  {\"file\": " + JsonString(d.File) + ", \"line\": " + IntToStr(d.Line) +
           ", \"severity\": " + JsonString(TDiagnosticList::SeverityName(d.Severity)) +
           ", \"message\": " + JsonString(d.Message) + ", \"check\": " + JsonString(d.Check) + "}";
  }
  out += items.empty() ? "]\n" : "\n]\n";
  return out;
}

}  // namespace pelto5
