// The "targets" check: "@Move", "@Call", "@Select" and clickable dynamic
// layers naming a book or page that does not exist, and pages that nothing
// reaches from the start page or the "_system" book (notes). The player
// does not expand variables in these names: every name is taken literally.
#pragma once

#include <string>
#include <vector>

namespace pelto5 {

class TLintScript;
class TPeltoFile;
class TDiagnosticList;
struct TLintCommand;
struct TLintPage;

class TTargetCheck {
 public:
  static void Run(TLintScript& script, TDiagnosticList& out);

  struct TTarget {
    std::string Book;
    std::string Page;
    int Line = 0;
  };
  // The pages a command may go to, in the order the player would.
  static std::vector<TTarget> TargetsOf(const TLintPage& page, const TLintCommand& command);
  // The finding (Shift-JIS) for what, a command line or an option, going to
  // page of book when the script has no such page; "" when it has.
  static std::string MissingTarget(TPeltoFile& file, const std::string& what, const std::string& book,
                                   const std::string& page);
};

}  // namespace pelto5
