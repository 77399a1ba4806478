// A translation of a scenario's message texts, read from a gettext PO file
// (the format of Poedit and Weblate). Each entry's msgctxt is the place of
// a message, "BOOK/PAGE#INDEX", its msgid the text as the script writes it
// and its msgstr the translation. An entry is used only when it has a
// msgstr, is not marked fuzzy and its msgid is still the script's text;
// otherwise the original shows. Texts here are UTF-8.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace pelto5 {

class TTranslation {
 public:
  struct TEntry {
    std::string Context;
    std::string Id;
    std::string Text;  // msgstr
    bool Fuzzy = false;
    int Line = 0;      // of its msgid
  };

  // Reads a PO file's text. On a syntax error fails with one line per
  // error, "FILE:LINE: error: WHAT", in errors, and holds no entry: a
  // translation that is not understood is not used at all.
  [[nodiscard]] bool Parse(const std::string& text, const std::string& fileName, std::vector<std::string>& errors);
  // Reads the file at path (UTF-8), as Parse.
  [[nodiscard]] bool Load(const std::string& path, std::vector<std::string>& errors);

  // The translation of the message at context whose script text is
  // original; null when there is none to use.
  const std::string* Find(const std::string& context, const std::string& original) const;
  [[nodiscard]] bool Empty() const { return FEntries.empty(); }
  // Every entry, by context.
  const std::map<std::string, TEntry>& Entries() const { return FEntries; }
  // True when an entry's msgstr is to be shown (wherever its msgid is the
  // script's text).
  [[nodiscard]] static bool Usable(const TEntry& entry) { return !entry.Fuzzy && !entry.Text.empty(); }
  size_t Count() const { return FEntries.size(); }

  // The context of a message command: "BOOK/PAGE#INDEX".
  static std::string Context(const std::string& book, const std::string& page, int index);
  // text as a PO string literal (quoted, escaped).
  static std::string Quote(const std::string& text);

 private:
  std::map<std::string, TEntry> FEntries;  // by context
};

}  // namespace pelto5
