// The "structure" check: every block fault of the script (the player stops
// reading at the first one; this reports them all), books and pages left
// open or given twice, pages over the command limit, "@if"/"@else"/"@endif"
// unbalanced within a page, and lines or commands that never run.
#pragma once

#include <string>
#include <vector>

#include "base/KeyValueList.h"
#include "script/ScriptLines.h"

namespace pelto5 {

class TLintScript;
class TDiagnosticList;
struct TLintPage;

class TStructureCheck {
 public:
  static void Run(TLintScript& script, TDiagnosticList& out);

 private:
  static void CheckBlocks(TLintScript& script, TDiagnosticList& out);
  // A command line of a page: its script line (1-based), type, nesting
  // level and trimmed text.
  struct TPageCommand {
    int Line = 0;
    int Type = 0;
    int Level = 0;
    std::string Text;
  };

  static void CheckPages(TLintScript& script, TDiagnosticList& out);
  // The command limit: the player runs nothing of a page beyond it.
  static void CheckLength(const std::string& file, const TLintPage& page, const std::vector<TPageCommand>& commands,
                          bool overfull, TDiagnosticList& out);
  static void CheckLinesAfterLastCommand(const TScriptLines& lines, const std::string& file, const TLintPage& page,
                                         const std::vector<TPageCommand>& commands, TDiagnosticList& out);
  // "@if", "@else" and "@endif" balanced in the page, and commands after
  // an unconditional "@Move" or "@Return".
  static void CheckIfBlocks(const std::string& file, const TLintPage& page, const std::vector<TPageCommand>& commands,
                            TDiagnosticList& out);
};

}  // namespace pelto5
