#include "lint/DiagnosticList.h"

#include <algorithm>

#include "base/SjisText.h"

namespace pelto5 {

void TDiagnosticList::Add(const std::string& file, int line, TSeverity severity, std::string_view message,
                          std::string_view check) {
  FItems.push_back(TDiagnostic{file, line, severity, sjis::ToUtf8(message), std::string(check)});
}

void TDiagnosticList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
    if (a.File != b.File) return a.File < b.File;
    return a.Line < b.Line;
  });
}

int TDiagnosticList::Count(TSeverity severity) const {
  return static_cast<int>(std::count_if(FItems.begin(), FItems.end(),
                                        [&](const TDiagnostic& d) { return d.Severity == severity; }));
}

const char* TDiagnosticList::SeverityName(TSeverity severity) {
  switch (severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Note: return "note";
  }
  return "error";
}

}  // namespace pelto5
