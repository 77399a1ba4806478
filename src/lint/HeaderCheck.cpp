#include "lint/HeaderCheck.h"

#include "lint/DiagnosticList.h"
#include "lint/LintScript.h"
#include "base/IntegerConversion.h"
#include "base/KeyValueList.h"
#include "script/PeltoFile.h"

namespace pelto5 {

namespace {

constexpr const char* kCheck = "header";
constexpr const char* kPelto = "Pelto";
constexpr int32_t kCommandVersion = 19;
// "スタートブック", "スタートページ"
constexpr const char* kDefaultStartBook = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x75\x83\x62\x83\x4E";
constexpr const char* kDefaultStartPage = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x79\x81\x5B\x83\x57";
// A value no header line holds, to tell an absent key from an empty one.
constexpr const char* kAbsent = "\x01";

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

void THeaderCheck::Run(TLintScript& script, TDiagnosticList& out) {
  TPeltoFile& file = script.File();
  const std::string& name = script.FileName();
  int start = 0;
  int end = 0;
  if (!file.FindHeaderBlock(kPelto, start, end)) {
    out.Add(name, 1, TSeverity::Error,
            "no <Head=\"Pelto\"> block: the player asks whether to go on, and every setting takes its default",
            kCheck);
  } else {
    const std::string fileType = file.ReadString(kPelto, "FileType", kAbsent);
    if (fileType == kAbsent) {
      out.Add(name, start + 1, TSeverity::Error, "FileType is missing; the player asks whether to go on", kCheck);
    } else if (fileType != "PV5") {
      out.Add(name, script.HeaderLine(kPelto, "FileType"), TSeverity::Error,
              "FileType is " + Quoted(fileType) + ", not \"PV5\"; the player asks whether to go on", kCheck);
    }
    const std::string version = file.ReadString(kPelto, "CommandVersion", kAbsent);
    int32_t number = 0;
    const int line = script.HeaderLine(kPelto, "CommandVersion");
    if (version == kAbsent) {
      out.Add(name, start + 1, TSeverity::Warning, "CommandVersion is missing; the player takes 19", kCheck);
    } else if (!TryStrToInt(version, number)) {
      out.Add(name, line, TSeverity::Warning,
              "CommandVersion " + Quoted(version) + " is not a number; the player takes 19", kCheck);
    } else if (number > kCommandVersion) {
      out.Add(name, line, TSeverity::Error,
              "CommandVersion " + version + " is newer than this player's 19; the player asks whether to go on",
              kCheck);
    }
  }
  if (script.IsLibrary()) return;
  const std::string book = file.ReadString(kPelto, "StartBook", kDefaultStartBook);
  const std::string page = file.ReadString(kPelto, "StartPage", kDefaultStartPage);
  // Pages are found by book and page name; a book whose end marker the
  // player never read still holds its pages.
  TStringList pages;
  file.GetPageList(book, pages);
  if (pages.empty()) {
    out.Add(name, script.HeaderLine(kPelto, "StartBook"), TSeverity::Error,
            "start book " + Quoted(book) + " does not exist", kCheck);
  } else if (!file.PageExists(book, page)) {
    out.Add(name, script.HeaderLine(kPelto, "StartPage"), TSeverity::Error,
            "start page " + Quoted(page) + " does not exist in book " + Quoted(book), kCheck);
  }
}

}  // namespace pelto5
