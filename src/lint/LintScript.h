// The scenario as the player would open it, laid out for the checks: the
// content opened through the player's own access controller (without
// writing anything), the runtime library's "_system" book imported, and
// every page's commands fetched through the player's own command cache,
// with the script line of each property line and command line.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/CommandKeys.h"
#include "script/PeltoCommand.h"

namespace pelto5 {

class TPeltoAccessControl;
class TPeltoFile;
class TDiagnosticList;
struct TLintOptions;

struct TLintCommand {
  TPeltoCommand Command;
  const TCommandInfo* Info = nullptr;  // nullptr for an unknown command
  int Line = 0;                        // 1-based line of the command line
  std::vector<int> PropertyLines;      // 1-based, one per property line

  // The line of the property the player reads for key (the first whose
  // name matches without regard to letter case), else the command line.
  int LineOf(std::string_view key) const;
};

struct TLintPage {
  std::string Book;
  std::string Page;
  int StartLine = 0;  // 1-based line of <Page=...>
  int EndLine = 0;    // 1-based line of <Page End>
  // False for the pages the runtime library brings in.
  bool Own = true;
  std::vector<TLintCommand> Commands;
};

class TLintScript {
 public:
  TLintScript();
  ~TLintScript();
  TLintScript(const TLintScript&) = delete;
  TLintScript& operator=(const TLintScript&) = delete;

  // Opens the content at path (a UTF-8 path): a scenario, or the runtime
  // library itself. False, with a diagnostic, when it cannot be opened.
  [[nodiscard]] bool Open(const std::string& path, const TLintOptions& options, TDiagnosticList& out);

  TPeltoAccessControl& Access() { return *FAccess; }
  TPeltoFile& File();
  // The name diagnostics carry: the script's path, or its entry name.
  const std::string& FileName() const { return FFileName; }
  // True when the content is the runtime library rather than a scenario.
  [[nodiscard]] bool IsLibrary() const { return FIsLibrary; }
  [[nodiscard]] bool LibraryOpen() const { return FLibraryOpen; }
  // Lines of the checked script; the imported library book follows them.
  int OwnLineCount() const { return FOwnLineCount; }
  const std::vector<TLintPage>& Pages() const { return FPages; }
  const TLintPage* FindPage(std::string_view book, std::string_view page) const;

  // 1-based line of the first "key=" line of a header block, else of the
  // block's start marker, else 1.
  int HeaderLine(std::string_view section, std::string_view key);

 private:
  void CollectPages();

  std::unique_ptr<TPeltoAccessControl> FAccess;
  std::string FFileName;
  bool FIsLibrary = false;
  bool FLibraryOpen = false;
  int FOwnLineCount = 0;
  std::vector<TLintPage> FPages;
};

}  // namespace pelto5
