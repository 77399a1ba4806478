#include "lint/LintScript.h"

#include <algorithm>
#include <vector>

#include "content/GameFolder.h"
#include "content/PackageReader.h"
#include "exec/PeltoAccessControl.h"
#include "content/RuntimeLibrarySearch.h"
#include "lint/DiagnosticList.h"
#include "lint/LintOptions.h"
#include "platform/FileSystem.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

constexpr const char* kRuntimeLibrary = "peltort5.pml";
constexpr const char* kLibraryScript = "system.pf5";
constexpr const char* kPackageScript = "pelto.pf5";
constexpr const char* kCheck = "header";

}  // namespace

int TLintCommand::LineOf(std::string_view key) const {
  for (size_t i = 0; i < Command.Properties.size(); ++i) {
    const std::string& text = Command.Properties[i];
    const size_t eq = sjis::FindChar(text, '=');
    if (eq != std::string::npos && sjis::SameText(std::string_view(text).substr(0, eq), key)) {
      return PropertyLines[i];
    }
  }
  return Line;
}

TLintScript::TLintScript() : FAccess(std::make_unique<TPeltoAccessControl>()) {
  // Nothing the check does may write to the disk.
  FAccess->SetReadOnly(true);
}

TLintScript::~TLintScript() = default;

TPeltoFile& TLintScript::File() { return FAccess->PeltoFile(); }

bool TLintScript::Open(const std::string& given, const TLintOptions& options, TDiagnosticList& out) {
  std::string path = given;
  if (TFileSystem::DirectoryExists(given)) {
    // A game folder: the content the player would play from it.
    std::vector<std::string> candidates;
    switch (TGameFolder::Resolve(given, path, candidates)) {
      case TGameFolder::TResult::Found:
        break;
      case TGameFolder::TResult::NothingToPlay:
        out.Add(given, 0, TSeverity::Error, "the folder holds nothing to play", kCheck);
        return false;
      case TGameFolder::TResult::Ambiguous: {
        std::string names;
        for (const std::string& name : candidates) names += (names.empty() ? "" : ", ") + name;
        out.Add(given, 0, TSeverity::Error, "the folder holds more than one content to play: " + names, kCheck);
        return false;
      }
    }
  }
  FFileName = path;
  if (!TFileSystem::FileExists(path)) {
    out.Add(path, 0, TSeverity::Error, "no such file", kCheck);
    return false;
  }
  if (HasMagic(path, "PV5LIB")) {
    // The runtime library: its own script, its own pictures.
    FIsLibrary = true;
    FLibraryOpen = FAccess->OpenRuntimeLibrary(path);
    std::string script;
    if (!FLibraryOpen || !FAccess->Sources().ReadEntry(TContainer::Library, kLibraryScript, script)) {
      out.Add(path, 0, TSeverity::Error, "the runtime library has no script \"system.pf5\"", kCheck);
      return false;
    }
    FAccess->PeltoFile().LoadFromStream(std::move(script));
    FAccess->SetContentDirectory(TFileSystem::DirectoryOf(path));
    FFileName = kLibraryScript;
  } else {
    if (!FAccess->Open(path)) {
      const std::string& damage = FAccess->DamagedPackageReason();
      out.Add(path, 0, TSeverity::Error,
              damage.empty() ? "not a scenario: neither a package nor a script file beginning with \"///\""
                             : "damaged package: " + sjis::ToUtf8(damage),
              kCheck);
      return false;
    }
    if (FAccess->Sources().IsOpen(TContainer::Package)) FFileName = kPackageScript;
    FOwnLineCount = File().Lines().Count();
    // The library the player would play it with: --library, else the
    // content's folder, the player's folder, the installed one.
    const std::vector<std::string> candidates =
        TRuntimeLibrarySearch::Candidates(options.LibraryPath, FAccess->ContentDirectory());
    std::string library = candidates.empty() ? std::string(kRuntimeLibrary) : candidates.front();
    for (const std::string& candidate : candidates) {
      if (!TFileSystem::FileExists(candidate)) continue;
      library = candidate;
      FLibraryOpen = FAccess->OpenRuntimeLibrary(candidate);
      if (FLibraryOpen) break;
    }
    if (!FLibraryOpen) {
      out.Add(FFileName, 0, TSeverity::Warning,
              "runtime library \"" + library + "\" cannot be opened: its pages and pictures are not known",
              "resources");
    }
  }
  if (FIsLibrary) FOwnLineCount = File().Lines().Count();
  // The runtime library's script given as a file: its own lines hold only
  // the "_system" book (the imported library's book does not count).
  TStringList books;
  File().GetBookList(books);
  TStringList ownBooks;
  for (const std::string& book : books) {
    int start = 0;
    int end = 0;
    if (File().FindBookBlock(book, start, end) && start < FOwnLineCount) ownBooks.push_back(book);
  }
  if (ownBooks.size() == 1 && ownBooks[0] == "_system") FIsLibrary = true;
  CollectPages();
  return true;
}

void TLintScript::CollectPages() {
  TPeltoFile& file = File();
  TCommandCtrl commands;
  commands.SetFile(&file);
  // The books that hold pages, from the page entries of the index: a page
  // is found even when its book's end marker was never read.
  TStringList books;
  for (const std::string& entry : file.BlockIndex()) {
    const size_t slash = sjis::FindChar(entry, '/');
    if (slash == std::string::npos || entry.compare(slash, 2, "/:") == 0) continue;
    const std::string book = entry.substr(0, slash);
    if (std::find(books.begin(), books.end(), book) == books.end()) books.push_back(book);
  }
  for (const std::string& book : books) {
    TStringList pages;
    file.GetPageList(book, pages);
    for (const std::string& name : pages) {
      int start = 0;
      int end = 0;
      // A second page of the same name is never reached: lookups find the first.
      if (FindPage(book, name) != nullptr || !file.FindPageBlock(book, name, start, end)) continue;
      TLintPage page;
      page.Book = book;
      page.Page = name;
      page.StartLine = start + 1;
      page.EndLine = end + 1;
      page.Own = start < FOwnLineCount;
      commands.SetBookName(book);
      commands.SetPageName(name);
      const int count = commands.GetCommandCount();
      int previous = -1;
      for (int i = 0; i < count; ++i) {
        TLintCommand command;
        (void)commands.GetCommand(i, command.Command);  // i is below the count
        command.Info = TCommandKeys::Command(command.Command.CommandType);
        const int lineIndex = commands.GetCommandLineIndex(i);
        command.Line = start + 2 + lineIndex;
        for (int l = previous + 1; l < lineIndex; ++l) command.PropertyLines.push_back(start + 2 + l);
        previous = lineIndex;
        page.Commands.push_back(std::move(command));
      }
      FPages.push_back(std::move(page));
    }
  }
}

const TLintPage* TLintScript::FindPage(std::string_view book, std::string_view page) const {
  for (const TLintPage& p : FPages) {
    if (p.Book == book && p.Page == page) return &p;
  }
  return nullptr;
}

int TLintScript::HeaderLine(std::string_view section, std::string_view key) {
  int start = 0;
  int end = 0;
  if (!File().FindHeaderBlock(section, start, end)) return 1;
  const std::string prefix = std::string(key) + "=";
  const TScriptLines& lines = File().Lines();
  for (int i = start + 1; i < end; ++i) {
    if (lines[i].starts_with(prefix)) return i + 1;
  }
  return start + 1;
}

}  // namespace pelto5
