#include "lint/TargetCheck.h"

#include <deque>
#include <set>

#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "lint/NearestName.h"
#include "script/CommandCtrl.h"
#include "script/CommandKeys.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

constexpr const char* kCheck = "targets";
constexpr const char* kSystemBook = "_system";
constexpr const char* kTimerPage = "_timer";
// "スタートブック", "スタートページ"
constexpr const char* kDefaultStartBook = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x75\x83\x62\x83\x4E";
constexpr const char* kDefaultStartPage = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x79\x81\x5B\x83\x57";

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

int LineOf(const TLintCommand& command, const TCommandKey& key, int number = 0) {
  return command.LineOf(number > 0 ? std::string(key.Name) + std::to_string(number) : std::string(key.Name));
}

}  // namespace

std::vector<TTargetCheck::TTarget> TTargetCheck::TargetsOf(const TLintPage& page, const TLintCommand& command) {
  using namespace cmdkey;
  const TPeltoCommand& c = command.Command;
  std::vector<TTarget> targets;
  switch (c.CommandType) {
    case TCommandCtrl::ctMove:
      targets.push_back({c.ReadString(MoveBookName), c.ReadString(MovePageName), LineOf(command, MovePageName)});
      break;
    case TCommandCtrl::ctCall:
      targets.push_back({c.ReadString(CallBookName), c.ReadString(CallPageName), LineOf(command, CallPageName)});
      break;
    case TCommandCtrl::ctSelect:
      // Choices stop at the first empty page name; they stay in this book.
      for (int n = 1; n <= TCommandKeys::kMaxNumbered; ++n) {
        const std::string target = c.ReadString(SelectPage, n);
        if (target.empty()) break;
        targets.push_back({page.Book, target, LineOf(command, SelectPage, n)});
      }
      if (c.ReadBool(SelectTimeout) && c.ReadInteger(SelectTime) > 0 && c.ReadBool(SelectTimerGauge)) {
        targets.push_back({kSystemBook, kTimerPage, command.Line});
      }
      break;
    case TCommandCtrl::ctDynamicLayer:
      if (c.ReadKeyword(DynamicClickMode) == cmAll || c.ReadKeyword(DynamicClickMode) == cmOpaque) {
        targets.push_back(
            {c.ReadString(DynamicClickBook), c.ReadString(DynamicClickPage), LineOf(command, DynamicClickPage)});
      }
      break;
    default:
      break;
  }
  return targets;
}

std::string TTargetCheck::MissingTarget(TPeltoFile& file, const std::string& what, const std::string& book,
                                        const std::string& page) {
  if (file.PageExists(book, page)) return "";
  TStringList pages;
  file.GetPageList(book, pages);
  if (pages.empty()) {
    TStringList books;
    file.GetBookList(books);
    const std::string nearest = NearestName(book, books);
    return what + " goes to book " + Quoted(book) + ", which does not exist" +
           (nearest.empty() ? "" : "; did you mean " + Quoted(nearest) + "?");
  }
  const std::string nearest = NearestName(page, pages);
  return what + " goes to page " + Quoted(page) + " of book " + Quoted(book) + ", which does not exist" +
         (nearest.empty() ? "" : "; did you mean " + Quoted(nearest) + "?");
}

void TTargetCheck::Run(TLintScript& script, TDiagnosticList& out) {
  TPeltoFile& file = script.File();
  const std::string& fileName = script.FileName();
  for (const TLintPage& page : script.Pages()) {
    if (!page.Own) continue;
    for (const TLintCommand& command : page.Commands) {
      for (const TTarget& target : TargetsOf(page, command)) {
        const std::string missing = MissingTarget(file, command.Command.CommandLine, target.Book, target.Page);
        if (!missing.empty()) out.Add(fileName, target.Line, TSeverity::Error, missing, kCheck);
      }
    }
  }

  // Reachability from the start page and every page of "_system" (the
  // player calls those itself).
  std::set<std::pair<std::string, std::string>> reached;
  std::deque<const TLintPage*> queue;
  auto reach = [&](const std::string& book, const std::string& page) {
    const TLintPage* p = script.FindPage(book, page);
    if (p != nullptr && reached.emplace(book, page).second) queue.push_back(p);
  };
  if (!script.IsLibrary()) {
    reach(file.ReadString("Pelto", "StartBook", kDefaultStartBook),
          file.ReadString("Pelto", "StartPage", kDefaultStartPage));
  }
  for (const TLintPage& page : script.Pages()) {
    if (page.Book == kSystemBook) reach(page.Book, page.Page);
  }
  while (!queue.empty()) {
    const TLintPage* page = queue.front();
    queue.pop_front();
    for (const TLintCommand& command : page->Commands) {
      for (const TTarget& target : TargetsOf(*page, command)) reach(target.Book, target.Page);
    }
  }
  for (const TLintPage& page : script.Pages()) {
    if (!page.Own || reached.count({page.Book, page.Page}) > 0) continue;
    out.Add(fileName, page.StartLine, TSeverity::Note,
            "page " + Quoted(page.Page) + " of book " + Quoted(page.Book) +
                " is never reached from the start page or \"_system\"",
            kCheck);
  }
}

}  // namespace pelto5
