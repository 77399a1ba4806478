// The findings of a scenario check: one diagnostic per fault, with the file
// and line it points at, a severity and the name of the check that found it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelto5 {

enum class TSeverity { Error, Warning, Note };

struct TDiagnostic {
  std::string File;  // UTF-8
  int Line = 0;      // 1-based; 0 when the finding concerns the whole file
  TSeverity Severity = TSeverity::Error;
  std::string Message;  // UTF-8
  std::string Check;
};

class TDiagnosticList {
 public:
  // message is Shift-JIS (names from the script stand in it as written);
  // it is stored as UTF-8.
  void Add(const std::string& file, int line, TSeverity severity, std::string_view message,
           std::string_view check);
  // Into file and line order, keeping the order of findings on one line.
  void Sort();
  const std::vector<TDiagnostic>& Items() const { return FItems; }
  int Count(TSeverity severity) const;

  static const char* SeverityName(TSeverity severity);

 private:
  std::vector<TDiagnostic> FItems;
};

}  // namespace pelto5
