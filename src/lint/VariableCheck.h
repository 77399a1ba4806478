// The "variables" check: value and string variables read but never written
// and written but never read (notes), and malformed references: an
// unpaired "%" or "$" in an expanded text, a variable reference that lacks
// its delimiters.
#pragma once

#include <map>
#include <string>

namespace pelto5 {

class TLintScript;
class TDiagnosticList;
struct TLintCommand;
struct TCommandKey;

class TVariableCheck {
 public:
  TVariableCheck(TLintScript& script, TDiagnosticList& out) : FScript(script), FOut(out) {}
  void Run();

 private:
  struct TUse {
    std::string Name;  // as first written
    int ReadLine = 0;  // first read, 0 if none (or not in the checked script)
    int WriteLine = 0;
    bool Read = false;
    bool Written = false;
  };
  using TUses = std::map<std::string, TUse>;  // by folded name

  void ScanCommand(const TLintCommand& command, bool own);
  void ScanKey(const TLintCommand& command, const TCommandKey& key, bool own);
  void ScanExpanded(const std::string& text, int line, bool own);
  void ScanValue(const std::string& text, int line, bool own);
  // either: "%name%" and "$name$" are both accepted.
  void ScanReference(const std::string& text, char delimiter, int line, bool own, bool either = false);
  void Use(TUses& uses, const std::string& name, bool write, int line, bool own);
  void Report(const TUses& uses, const char* kind);

  TLintScript& FScript;
  TDiagnosticList& FOut;
  TUses FValues;
  TUses FStrings;
};

}  // namespace pelto5
