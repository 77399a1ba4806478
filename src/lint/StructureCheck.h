// The "structure" check: every block fault of the script (the player stops
// reading at the first one; this reports them all), books and pages left
// open or given twice, pages over the command limit, "@if"/"@else"/"@endif"
// unbalanced within a page, and lines or commands that never run.
#pragma once

namespace pelto5 {

class TLintScript;
class TDiagnosticList;

class TStructureCheck {
 public:
  static void Run(TLintScript& script, TDiagnosticList& out);

 private:
  static void CheckBlocks(TLintScript& script, TDiagnosticList& out);
  static void CheckPages(TLintScript& script, TDiagnosticList& out);
};

}  // namespace pelto5
