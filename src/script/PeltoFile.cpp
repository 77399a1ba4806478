#include "script/PeltoFile.h"
#include "base/NativeFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/MessageTexts.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "script/BlockMarker.h"
#include "base/IntegerConversion.h"

namespace pelto5 {

namespace {

// The two comment lines an empty script consists of.
constexpr const char* kEmptyScript =
    "/// Game Creative Tool - Peltoforge Fifth -\r\n"
    "/// Script file of the Peltoforge 5 authoring tool\r\n";

// The marker kinds of the one classifier the scenario check uses too.
using TMarker = TBlockMarker;

void ReportError(const std::string& text) {
  Platform().MessageBox(text, TMessageIcon::Error, TMessageButtons::Ok);
}

TMarker ClassifyLine(std::string_view line) { return ClassifyBlockLine(line); }

std::string EntryPosition(int start, int end) {
  // Built by appending: GCC 12 warns wrongly of an overlapping copy in
  // ":" + text for some targets.
  std::string position = ":";
  position += IntToStr(start);
  position += ',';
  position += IntToStr(end);
  return position;
}

}  // namespace

TPeltoFile::TPeltoFile() { Clear(); }

void TPeltoFile::Clear() { ReplaceText(kEmptyScript); }

bool TPeltoFile::LoadFromFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = native::Path(path);
  if (!std::filesystem::is_regular_file(file, error)) return false;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > TScriptLines::kMaxBytes) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  // Read at its size in one piece: the script then costs its size once.
  std::string bytes(static_cast<size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return false;
  bytes.resize(static_cast<size_t>(in.gcount()));
  LoadFromStream(std::move(bytes));
  return true;
}

void TPeltoFile::LoadFromStream(std::string bytes) { ReplaceText(std::move(bytes)); }

void TPeltoFile::ReplaceText(std::string text) {
  if (!FLines.Assign(std::move(text))) {
    // Too large for a script: it holds nothing then.
    (void)FLines.Assign(kEmptyScript);
  }
  FImportStarts.clear();
  FIndexStale = true;
  ForgetLastLookup();
  Reindex();
}

void TPeltoFile::ForgetLastLookup() {
  FLastKey.clear();
  FLastStart = -1;
  FLastEnd = -1;
}

void TPeltoFile::Reindex() {
  FIndexStale = true;
  FBlockIndex.clear();
  const int count = FLines.Count();
  int from = 0;
  bool ok = true;
  for (const int start : FImportStarts) {
    ok = IndexRange(from, std::min(start, count)) && ok;
    from = std::min(start, count);
  }
  ok = IndexRange(from, count) && ok;
  ForgetLastLookup();
  FIndexBroken = !ok;
  FIndexStale = false;
}

bool TPeltoFile::IndexRange(int from, int to) {
  int headStart = -1;
  int bookStart = -1;
  int pageStart = -1;
  std::string headName;
  std::string bookName;
  std::string pageName;
  for (int n = from; n < to; ++n) {
    const std::string_view line = FLines[n];
    if (line.size() > kMaxLineLength) {
      ReportError(msg::kLineTooLong + IntToStr(n + 1) + "]");
      return false;
    }
    const char* error = nullptr;
    switch (ClassifyLine(line)) {
      case TMarker::None:
        break;
      case TMarker::Unknown:
        ReportError(msg::kUnknownBlock + std::string(line));
        return false;
      case TMarker::HeadStart:
        if (headStart >= 0) error = msg::kHeadMissClose;
        headStart = n;
        headName = BlockName(line);
        break;
      case TMarker::HeadEnd:
        if (headStart < 0) {
          error = msg::kHeadMissStart;
          break;
        }
        FBlockIndex.push_back(headName + "/" + EntryPosition(headStart, n));
        headStart = -1;
        break;
      case TMarker::BookStart:
        if (bookStart >= 0) error = msg::kBookMissClose;
        bookStart = n;
        bookName = BlockName(line);
        break;
      case TMarker::BookEnd:
        if (bookStart < 0) {
          error = msg::kBookMissStart;
          break;
        }
        FBlockIndex.push_back(bookName + EntryPosition(bookStart, n));
        bookStart = -1;
        break;
      case TMarker::PageStart:
        if (pageStart >= 0) error = msg::kPageMissClose;
        pageStart = n;
        pageName = BlockName(line);
        break;
      case TMarker::PageEnd:
        if (pageStart < 0) {
          error = msg::kPageMissStart;
          break;
        }
        // A page belongs to the book opened last, closed or not.
        FBlockIndex.push_back(bookName + "/" + pageName + EntryPosition(pageStart, n));
        pageStart = -1;
        break;
    }
    if (error) {
      ReportError(error);
      return false;
    }
  }
  return true;
}

bool TPeltoFile::ValidBlock(int start, int end) const {
  return start >= 0 && start < end && end < FLines.Count();
}

bool TPeltoFile::FindBlock(const std::string& key, int& start, int& end) {
  if (!FLastKey.empty() && key == FLastKey) {
    start = FLastStart;
    end = FLastEnd;
    return true;
  }
  if (FIndexStale) Reindex();
  const auto it = std::find_if(FBlockIndex.begin(), FBlockIndex.end(),
                               [&](const std::string& entry) { return entry.starts_with(key); });
  if (it == FBlockIndex.end()) return false;
  const std::string_view rest = std::string_view(*it).substr(key.size());
  if (rest.empty()) return false;
  const size_t comma = sjis::FindChar(rest, ',');
  const int32_t first = StrToIntDef(rest.substr(0, comma), -1);
  const int32_t last =
      comma == std::string_view::npos ? -1 : StrToIntDef(rest.substr(comma + 1), -1);
  // A name holding ":" or "," can make a key meet the wrong entry; such an
  // entry never yields two line numbers that lie inside the script.
  if (!ValidBlock(first, last)) return false;
  FLastKey = key;
  FLastStart = first;
  FLastEnd = last;
  start = first;
  end = last;
  return true;
}

bool TPeltoFile::FindHeaderBlock(std::string_view section, int& start, int& end) {
  return FindBlock(std::string(section) + "/:", start, end);
}

bool TPeltoFile::FindBookBlock(std::string_view book, int& start, int& end) {
  return FindBlock(std::string(book) + ":", start, end);
}

bool TPeltoFile::FindPageBlock(std::string_view book, std::string_view page, int& start,
                               int& end) {
  return FindBlock(std::string(book) + "/" + std::string(page) + ":", start, end);
}

std::string TPeltoFile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view def) {
  int start = 0;
  int end = 0;
  if (!FindHeaderBlock(section, start, end)) return std::string(def);
  const std::string prefix = std::string(key) + "=";
  for (int i = start + 1; i < end; ++i) {
    if (FLines[i].starts_with(prefix)) return std::string(FLines[i].substr(prefix.size()));
  }
  return std::string(def);
}

int32_t TPeltoFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) {
  return StrToIntDef(ReadString(section, key, IntToStr(def)), def);
}

bool TPeltoFile::ReadBool(std::string_view section, std::string_view key, bool def) {
  const int32_t fallback = def ? 1 : 0;
  return StrToIntDef(ReadString(section, key, BoolToText(def)), fallback) != 0;
}

std::string TPeltoFile::GetPageLine(std::string_view book, std::string_view page, int index) {
  int start = 0;
  int end = 0;
  if (!FindPageBlock(book, page, start, end)) return {};
  if (index < 0 || index >= end - start - 1) return {};
  return std::string(FLines[start + 1 + index]);
}

int TPeltoFile::GetPageLineCount(std::string_view book, std::string_view page) {
  int start = 0;
  int end = 0;
  if (!FindPageBlock(book, page, start, end)) return 0;
  return end - start - 1;
}

void TPeltoFile::GetBookList(TStringList& list) {
  list.clear();
  if (FIndexStale) Reindex();
  for (const std::string& entry : FBlockIndex) {
    const std::string_view name = std::string_view(entry).substr(0, sjis::FindChar(entry, ':'));
    if (sjis::FindChar(name, '/') == std::string_view::npos) list.emplace_back(name);
  }
}

void TPeltoFile::GetPageList(std::string_view book, TStringList& list) {
  list.clear();
  if (FIndexStale) Reindex();
  const std::string prefix = std::string(book) + "/";
  for (const std::string& entry : FBlockIndex) {
    if (!entry.starts_with(prefix)) continue;
    const size_t colon = sjis::FindChar(entry, ':', prefix.size());
    if (colon == std::string::npos || colon == prefix.size()) continue;
    list.push_back(entry.substr(prefix.size(), colon - prefix.size()));
  }
}

bool TPeltoFile::BookExists(std::string_view book) {
  TStringList books;
  GetBookList(books);
  return std::find(books.begin(), books.end(), book) != books.end();
}

bool TPeltoFile::PageExists(std::string_view book, std::string_view page) {
  TStringList pages;
  GetPageList(book, pages);
  return std::find(pages.begin(), pages.end(), page) != pages.end();
}

bool TPeltoFile::GetBookLines(std::string_view book, TStringList& list) {
  int start = 0;
  int end = 0;
  if (!FindBookBlock(book, start, end)) return false;
  TStringList block = FLines.Copy(start, end + 1);
  list.insert(list.end(), std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
  return true;
}

void TPeltoFile::ImportBook(std::string_view book, TPeltoFile& source) {
  if (&source == this || BookExists(book)) return;
  TStringList block;
  if (!source.GetBookLines(book, block)) return;
  // The book is indexed on its own: a block the script leaves open (or a
  // marker that stopped its parse) must not swallow it.
  const int start = FLines.Count();
  for (const std::string& line : block) {
    if (!FLines.Append(line)) break;  // the script is as large as it can be
  }
  const int count = FLines.Count();
  FImportStarts.push_back(start);
  if (FIndexStale) {
    Reindex();
  } else {
    // Only the new book is parsed; the script's own report is not repeated.
    FIndexBroken = !IndexRange(start, count) || FIndexBroken;
    ForgetLastLookup();
  }
}

}  // namespace pelto5
