// The script: a list of Shift-JIS text lines holding header blocks of
// settings and books of named pages, with an index of its blocks.
//
// Block markers are lines that start with "<" once blanks are trimmed:
// <Head="name"> ... <Head End>, <Book="name"> ... <Book End> and
// <Page="name"> ... <Page End>. The index holds one text entry per closed
// block, in the order of the end markers:
//   header block  name "/:" start "," end
//   book          name ":" start "," end
//   page          book "/" page ":" start "," end
// A lookup takes the first entry that starts with its key (the same texts
// up to and including the ":"), so duplicates resolve to the block that
// closes first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/KeyValueList.h"
#include "script/ScriptLines.h"

namespace pelto5 {

class TPeltoFile {
 public:
  // The longest line the parse accepts. A longer one stops the parse like
  // a malformed marker: no text of a page is that long, and a command built
  // from it would cost many times its size.
  static constexpr size_t kMaxLineLength = size_t{1} << 20;

  TPeltoFile();

  // Replaces the script by the two comment lines of an empty script.
  void Clear();
  // Replaces the script by the lines of the file at path (a UTF-8 path).
  // False, and the script unchanged, when the file cannot be read or is
  // larger than a script can be (TScriptLines::kMaxBytes).
  [[nodiscard]] bool LoadFromFile(const std::string& path);
  // Replaces the script by the lines of bytes (CR LF, lone CR or lone LF
  // end a line), keeping the bytes themselves. Bytes larger than a script
  // can be give the empty script.
  void LoadFromStream(std::string bytes);
  // Rebuilds the block index. A malformed marker or a line longer than
  // kMaxLineLength is reported in an error box and stops the parse; the
  // index then holds the blocks closed before it. The report is shown once per parse: queries answer from that
  // partial index without parsing again. Books brought in by ImportBook are
  // indexed on their own, so a broken script does not hide them.
  void Reindex();

  // Header values of section (exact, case-sensitive keys).
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def);
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def);
  [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool def);

  // Line numbers of the start and end markers of a block.
  [[nodiscard]] bool FindHeaderBlock(std::string_view section, int& start, int& end);
  [[nodiscard]] bool FindBookBlock(std::string_view book, int& start, int& end);
  [[nodiscard]] bool FindPageBlock(std::string_view book, std::string_view page, int& start, int& end);

  // Line index of the page (0 = the line after <Page=...>); "" when the
  // page does not exist or index is not below GetPageLineCount.
  std::string GetPageLine(std::string_view book, std::string_view page, int index);
  // Number of lines strictly between the page's markers; 0 if none.
  int GetPageLineCount(std::string_view book, std::string_view page);

  [[nodiscard]] bool BookExists(std::string_view book);
  [[nodiscard]] bool PageExists(std::string_view book, std::string_view page);
  // Clear list and fill it with the names, in index order.
  void GetBookList(TStringList& list);
  void GetPageList(std::string_view book, TStringList& list);

  // Appends the book block, markers included, to list; false if no such book.
  [[nodiscard]] bool GetBookLines(std::string_view book, TStringList& list);
  // Copies book from source to the end of this script unless this script
  // already has a book of that name.
  void ImportBook(std::string_view book, TPeltoFile& source);

  const TScriptLines& Lines() const { return FLines; }
  const TStringList& BlockIndex() const { return FBlockIndex; }
  [[nodiscard]] bool IndexStale() const { return FIndexStale; }
  // True when the last parse stopped at a malformed marker.
  [[nodiscard]] bool IndexBroken() const { return FIndexBroken; }

 private:
  void ReplaceText(std::string text);
  void ForgetLastLookup();
  [[nodiscard]] bool FindBlock(const std::string& key, int& start, int& end);
  [[nodiscard]] bool ValidBlock(int start, int end) const;
  // Indexes the lines [from, to) with no block open at from; false (after
  // the error box) when a malformed marker stopped it.
  [[nodiscard]] bool IndexRange(int from, int to);

  TScriptLines FLines;
  TStringList FBlockIndex;
  bool FIndexStale = true;
  bool FIndexBroken = false;
  std::vector<int> FImportStarts;  // first line of each imported book
  std::string FLastKey;
  int FLastStart = -1;
  int FLastEnd = -1;
};

}  // namespace pelto5
