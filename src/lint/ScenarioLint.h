// pelto5 --check: reads a scenario as the player would and reports what
// would go wrong when it runs, without running it. It opens no window and
// no audio device and writes nothing to the disk.
#pragma once

#include <string>

#include "lint/DiagnosticList.h"
#include "lint/LintOptions.h"

namespace pelto5 {

class TScenarioLint {
 public:
  explicit TScenarioLint(TLintOptions options) : FOptions(std::move(options)) {}

  // Checks the content at path (UTF-8) with every check not turned off.
  // The findings are in Diagnostics(), in file and line order.
  void Run(const std::string& path);
  const TDiagnosticList& Diagnostics() const { return FDiagnostics; }
  // 0 without errors, 1 with errors.
  int ExitStatus() const { return FDiagnostics.Count(TSeverity::Error) > 0 ? 1 : 0; }
  // The findings as "FILE:LINE: error|warning|note: MESSAGE [check]" lines,
  // or as a JSON array of objects with the same fields.
  std::string Report() const;

 private:
  TLintOptions FOptions;
  TDiagnosticList FDiagnostics;
};

}  // namespace pelto5
