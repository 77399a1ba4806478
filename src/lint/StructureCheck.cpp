#include "lint/StructureCheck.h"

#include <map>
#include <string>
#include <vector>

#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "base/SjisText.h"
#include "script/BlockMarker.h"
#include "script/CommandCtrl.h"
#include "base/IntegerConversion.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

constexpr const char* kCheck = "structure";
constexpr const char* kStops = "; the player stops reading the script here";

struct TOpenBlock {
  int Line = 0;  // 1-based, 0 when closed
  std::string Name;
};

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

void TStructureCheck::Run(TLintScript& script, TDiagnosticList& out) {
  CheckBlocks(script, out);
  CheckPages(script, out);
}

void TStructureCheck::CheckBlocks(TLintScript& script, TDiagnosticList& out) {
  const TScriptLines& lines = script.File().Lines();
  const std::string& file = script.FileName();
  TOpenBlock head;
  TOpenBlock book;
  TOpenBlock page;
  std::map<std::string, int> books;
  std::map<std::string, int> pages;
  auto start = [&](TOpenBlock& block, const char* kind, int line, std::string_view text) {
    if (block.Line > 0) {
      out.Add(file, line, TSeverity::Error,
              std::string(kind) + " starts while " + kind + " " + Quoted(block.Name) + " (line " +
                  IntToStr(block.Line) + ") is still open" + kStops,
              kCheck);
    }
    block.Line = line;
    block.Name = BlockName(text);
  };
  auto end = [&](TOpenBlock& block, const char* kind, int line) {
    if (block.Line == 0) {
      out.Add(file, line, TSeverity::Error, std::string("end of a ") + kind + " that was never started" + kStops,
              kCheck);
      return false;
    }
    block.Line = 0;
    return true;
  };
  for (int n = 0; n < script.OwnLineCount(); ++n) {
    const std::string_view text = lines[n];
    const int line = n + 1;
    if (text.size() > TPeltoFile::kMaxLineLength) {
      out.Add(file, line, TSeverity::Error,
              "line of " + std::to_string(text.size()) + " bytes, longer than the " +
                  std::to_string(TPeltoFile::kMaxLineLength) + " the player reads" + kStops,
              kCheck);
      continue;
    }
    switch (ClassifyBlockLine(text)) {
      case TBlockMarker::None:
        break;
      case TBlockMarker::Unknown:
        out.Add(file, line, TSeverity::Error, "unknown block " + sjis::Trim(text) + kStops, kCheck);
        break;
      case TBlockMarker::HeadStart:
        start(head, "header block", line, text);
        break;
      case TBlockMarker::HeadEnd:
        end(head, "header block", line);
        break;
      case TBlockMarker::BookStart:
        start(book, "book", line, text);
        break;
      case TBlockMarker::BookEnd: {
        const int first = book.Line;
        if (!end(book, "book", line)) break;
        auto [it, added] = books.emplace(book.Name, first);
        if (!added) {
          out.Add(file, first, TSeverity::Warning,
                  "book " + Quoted(book.Name) + " is given twice; the player uses the one at line " +
                      IntToStr(it->second),
                  kCheck);
        }
        break;
      }
      case TBlockMarker::PageStart:
        start(page, "page", line, text);
        break;
      case TBlockMarker::PageEnd: {
        const int first = page.Line;
        if (!end(page, "page", line)) break;
        // A page belongs to the book opened last.
        auto [it, added] = pages.emplace(book.Name + "/" + page.Name, first);
        if (!added) {
          out.Add(file, first, TSeverity::Warning,
                  "page " + Quoted(page.Name) + " of book " + Quoted(book.Name) +
                      " is given twice; the player uses the one at line " + IntToStr(it->second),
                  kCheck);
        }
        break;
      }
    }
  }
  const std::pair<const TOpenBlock*, const char*> open[] = {{&head, "header block"}, {&book, "book"}, {&page, "page"}};
  for (const auto& [block, kind] : open) {
    if (block->Line == 0) continue;
    out.Add(file, block->Line, TSeverity::Error,
            std::string(kind) + " " + Quoted(block->Name) + " is never closed; the player ignores it", kCheck);
  }
}

void TStructureCheck::CheckPages(TLintScript& script, TDiagnosticList& out) {
  const TScriptLines& lines = script.File().Lines();
  const std::string& file = script.FileName();
  for (const TLintPage& page : script.Pages()) {
    if (!page.Own) continue;
    if (page.EndLine - page.StartLine - 1 > TCommandCtrl::kMaxPageLines) {
      out.Add(file, page.StartLine, TSeverity::Error,
              "page " + Quoted(page.Page) + " holds " + IntToStr(page.EndLine - page.StartLine - 1) +
                  " lines, more than " + IntToStr(TCommandCtrl::kMaxPageLines) + "; the player runs none of them",
              kCheck);
      continue;
    }
    // The page's command lines as the player's command cache finds them,
    // from the lines themselves: the cache holds nothing of a page that
    // does not fit, and its faults are reported all the same.
    std::vector<TPageCommand> commands;
    bool overfull = false;
    int depth = 0;
    for (int line = page.StartLine + 1; line < page.EndLine; ++line) {
      // As the player does: a page line after the last command that fits
      // makes the page too long, whatever the line holds.
      if (commands.size() >= static_cast<size_t>(TCommandCtrl::kMaxCommands)) overfull = true;
      const std::string_view trimmed = sjis::TrimmedView(lines[line - 1]);
      if (trimmed.empty() || trimmed[0] != '@') continue;
      TPageCommand command{line, TCommandCtrl::CommandTypeOf(trimmed), 0, std::string(trimmed)};
      if (command.Type == TCommandCtrl::ctIf) {
        command.Level = depth++;
      } else if (command.Type == TCommandCtrl::ctElse) {
        command.Level = depth - 1;
      } else if (command.Type == TCommandCtrl::ctEndIf) {
        command.Level = --depth;
      } else {
        command.Level = depth;
      }
      commands.push_back(std::move(command));
    }
    CheckLength(file, page, commands, overfull, out);
    CheckLinesAfterLastCommand(lines, file, page, commands, out);
    CheckIfBlocks(file, page, commands, out);
  }
}

void TStructureCheck::CheckLength(const std::string& file, const TLintPage& page,
                                  const std::vector<TPageCommand>& commands, bool overfull, TDiagnosticList& out) {
  if (!overfull) return;
  const std::string limit = IntToStr(TCommandCtrl::kMaxCommands);
  const std::string count = IntToStr(static_cast<int>(commands.size()));
  out.Add(file, page.StartLine, TSeverity::Error,
          "page " + Quoted(page.Page) + " holds " + count + " commands" +
              (commands.size() > static_cast<size_t>(TCommandCtrl::kMaxCommands)
                   ? ", more than " + limit
                   : " and lines after the last one, which the player counts as more than " + limit) +
              "; the player runs none of them",
          kCheck);
}

void TStructureCheck::CheckLinesAfterLastCommand(const TScriptLines& lines, const std::string& file,
                                                 const TLintPage& page, const std::vector<TPageCommand>& commands,
                                                 TDiagnosticList& out) {
  const int from = commands.empty() ? page.StartLine + 1 : commands.back().Line + 1;
  for (int line = from; line < page.EndLine; ++line) {
    if (sjis::TrimmedView(lines[line - 1]).empty()) continue;
    out.Add(file, line, TSeverity::Warning,
            "line after the last command in page " + Quoted(page.Page) + " belongs to no command and is never read",
            kCheck);
    return;
  }
}

void TStructureCheck::CheckIfBlocks(const std::string& file, const TLintPage& page,
                                    const std::vector<TPageCommand>& commands, TDiagnosticList& out) {
  const std::string where = " in page " + Quoted(page.Page);
  std::vector<int> ifs;  // lines of the open "@if" commands
  std::vector<bool> elseSeen;
  const TPageCommand* jump = nullptr;
  for (const TPageCommand& command : commands) {
    const int type = command.Type;
    // A command after an unconditional jump at its level never runs,
    // until the "@else" or "@endif" that closes the branch.
    if (jump != nullptr) {
      if (command.Level >= jump->Level && type != TCommandCtrl::ctElse && type != TCommandCtrl::ctEndIf) {
        out.Add(file, command.Line, TSeverity::Warning,
                command.Text + " never runs: it follows " + jump->Text + " at line " + IntToStr(jump->Line),
                kCheck);
      }
      jump = nullptr;
    }
    if (type == TCommandCtrl::ctMove || type == TCommandCtrl::ctReturn) jump = &command;
    if (type == TCommandCtrl::ctIf) {
      ifs.push_back(command.Line);
      elseSeen.push_back(false);
    } else if (type == TCommandCtrl::ctElse) {
      if (ifs.empty()) {
        out.Add(file, command.Line, TSeverity::Error, "@else without @if" + where, kCheck);
      } else if (elseSeen.back()) {
        out.Add(file, command.Line, TSeverity::Error, "second @else for the @if at line " + IntToStr(ifs.back()),
                kCheck);
      } else {
        elseSeen.back() = true;
      }
    } else if (type == TCommandCtrl::ctEndIf) {
      if (ifs.empty()) {
        out.Add(file, command.Line, TSeverity::Error, "@endif without @if" + where, kCheck);
      } else {
        ifs.pop_back();
        elseSeen.pop_back();
      }
    }
  }
  for (int line : ifs) out.Add(file, line, TSeverity::Error, "@if without @endif" + where, kCheck);
}

}  // namespace pelto5
