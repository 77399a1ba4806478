// The "header" check: the "Pelto" header block with its "FileType" and
// "CommandVersion", and the start book and page it names.
#pragma once

namespace pelto5 {

class TLintScript;
class TDiagnosticList;

class THeaderCheck {
 public:
  static void Run(TLintScript& script, TDiagnosticList& out);
};

}  // namespace pelto5
