#include "script/Translation.h"

#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

// The entry being read: which keyword's strings the next continuation
// lines add to.
enum class TField { None, Context, Id, IdPlural, Text, Ignored };

// Reads a quoted PO string at the start of rest (after blanks); the value
// unescaped in out. Fails with the reason.
bool ReadQuoted(const std::string& line, size_t start, std::string& out, std::string& reason) {
  size_t p = line.find_first_not_of(" \t", start);
  if (p == std::string::npos || line[p] != '"') {
    reason = "expected a quoted string";
    return false;
  }
  ++p;
  out.clear();
  for (; p < line.size(); ++p) {
    const char c = line[p];
    if (c == '"') {
      if (line.find_first_not_of(" \t", p + 1) != std::string::npos) {
        reason = "text after the closing quote";
        return false;
      }
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++p >= line.size()) break;
    switch (line[p]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      default:
        reason = std::string("unknown escape \\") + line[p];
        return false;
    }
  }
  reason = "missing closing quote";
  return false;
}

}  // namespace

std::string TTranslation::Context(const std::string& book, const std::string& page, int index) {
  return book + "/" + page + "#" + std::to_string(index);
}

std::string TTranslation::Quote(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

bool TTranslation::Parse(const std::string& text, const std::string& fileName, std::vector<std::string>& errors) {
  FEntries.clear();
  std::map<std::string, TEntry> entries;
  const size_t errorsBefore = errors.size();
  auto fail = [&](int line, const std::string& what) {
    errors.push_back(fileName + ":" + std::to_string(line) + ": error: " + what);
  };

  TEntry entry;
  bool haveId = false;
  bool haveText = false;
  bool fuzzyNext = false;
  // After a fault the rest of its entry is passed over, up to a blank line
  // or the next msgctxt or msgid, so that one fault is told once.
  bool skipping = false;
  TField field = TField::None;
  auto refuse = [&](int line, const std::string& what) {
    fail(line, what);
    entry = TEntry{};
    haveId = haveText = false;
    field = TField::None;
    skipping = true;
  };
  auto finish = [&](int line) {
    if (!haveId && !haveText && entry.Context.empty()) return;
    if (!haveId) {
      fail(line, "entry without msgid");
    } else if (!haveText) {
      fail(entry.Line, "msgid without msgstr");
    } else if (!entry.Id.empty()) {
      // The header entry (empty msgid) carries no text.
      if (entries.count(entry.Context) != 0) {
        fail(entry.Line, "a second entry for msgctxt \"" + entry.Context + "\"");
      } else {
        entries[entry.Context] = entry;
      }
    }
    entry = TEntry{};
    haveId = haveText = false;
    field = TField::None;
  };

  size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  int lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) {
      skipping = false;
      continue;
    }
    if (skipping && line.compare(first, 7, "msgctxt") != 0 && line.compare(first, 5, "msgid") != 0) continue;
    skipping = false;
    if (line[first] == '#') {
      // Only the flags matter: "#, fuzzy" marks the next entry.
      if (line.compare(first, 2, "#,") == 0) {
        if (haveId || haveText) finish(lineNumber);
        if (line.find("fuzzy", first) != std::string::npos) fuzzyNext = true;
      }
      continue;
    }
    std::string value;
    std::string reason;
    if (line[first] == '"') {
      if (field == TField::None) {
        refuse(lineNumber, "a string that continues nothing");
      } else if (!ReadQuoted(line, first, value, reason)) {
        refuse(lineNumber, reason);
      } else if (field == TField::Context) {
        entry.Context += value;
      } else if (field == TField::Id) {
        entry.Id += value;
      } else if (field == TField::Text) {
        entry.Text += value;
      }
      continue;
    }
    const size_t keyEnd = line.find_first_of(" \t\"", first);
    const std::string key = line.substr(first, keyEnd == std::string::npos ? std::string::npos : keyEnd - first);
    const size_t after = keyEnd == std::string::npos ? line.size() : keyEnd;
    if (key == "msgctxt") {
      finish(lineNumber);
      field = TField::Context;
    } else if (key == "msgid") {
      if (haveId || haveText) finish(lineNumber);
      field = TField::Id;
      haveId = true;
      entry.Line = lineNumber;
      entry.Fuzzy = fuzzyNext;
      fuzzyNext = false;
    } else if (key == "msgid_plural" && haveId) {
      field = TField::Ignored;
    } else if (key == "msgstr" || key.rfind("msgstr[", 0) == 0) {
      if (!haveId) {
        refuse(lineNumber, key + " without msgid");
        continue;
      }
      // Messages have no plural forms: of msgstr[N] only the first counts.
      field = key == "msgstr" || key == "msgstr[0]" ? TField::Text : TField::Ignored;
      haveText = true;
    } else {
      refuse(lineNumber, "unknown keyword \"" + key + "\"");
      continue;
    }
    if (!ReadQuoted(line, after, value, reason)) {
      refuse(lineNumber, reason);
      continue;
    }
    if (field == TField::Context) entry.Context = value;
    if (field == TField::Id) entry.Id = value;
    if (field == TField::Text) entry.Text = value;
  }
  finish(lineNumber + 1);
  if (errors.size() != errorsBefore) return false;
  FEntries = std::move(entries);
  return true;
}

bool TTranslation::Load(const std::string& path, std::vector<std::string>& errors) {
  std::string text;
  if (!TFileSystem::ReadFile(path, text)) {
    errors.push_back(path + ": error: cannot read the translation");
    FEntries.clear();
    return false;
  }
  return Parse(text, path, errors);
}

const std::string* TTranslation::Find(const std::string& context, const std::string& original) const {
  const auto it = FEntries.find(context);
  if (it == FEntries.end()) return nullptr;
  const TEntry& e = it->second;
  if (!Usable(e) || e.Id != original) return nullptr;
  return &e.Text;
}

}  // namespace pelto5
