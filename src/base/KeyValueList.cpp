#include "base/KeyValueList.h"

#include "base/SjisText.h"
#include "base/IntegerConversion.h"

namespace pelto5 {

int ListIndexOfName(const TStringList& list, std::string_view key) {
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& line = list[i];
    const size_t eq = sjis::FindChar(line, '=');
    if (eq == std::string::npos) continue;
    if (sjis::SameText(std::string_view(line).substr(0, eq), key)) return static_cast<int>(i);
  }
  return -1;
}

std::string ListReadString(const TStringList& list, std::string_view key, std::string_view def) {
  const int i = ListIndexOfName(list, key);
  if (i < 0) return std::string(def);
  return list[i].substr(key.size() + 1);
}

int32_t ListReadInteger(const TStringList& list, std::string_view key, int32_t def) {
  return StrToIntDef(ListReadString(list, key, ""), def);
}

bool ListReadBool(const TStringList& list, std::string_view key, bool def) {
  return ListReadInteger(list, key, def ? 1 : 0) != 0;
}

void ListWriteString(TStringList& list, std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  const int i = ListIndexOfName(list, key);
  if (i >= 0) {
    list[i] = std::move(line);
  } else {
    list.push_back(std::move(line));
  }
}

void ListWriteInteger(TStringList& list, std::string_view key, int32_t value) {
  ListWriteString(list, key, IntToStr(value));
}

void ListWriteBool(TStringList& list, std::string_view key, bool value) {
  ListWriteInteger(list, key, value ? 1 : 0);
}

void ListAddString(TStringList& list, std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  list.push_back(std::move(line));
}

void ListAddInteger(TStringList& list, std::string_view key, int32_t value) {
  ListAddString(list, key, IntToStr(value));
}

void ListAddBool(TStringList& list, std::string_view key, bool value) {
  ListAddString(list, key, BoolToText(value));
}

std::string StringsToText(const TStringList& list) {
  std::string out;
  for (const std::string& line : list) {
    out += line;
    out += "\r\n";
  }
  return out;
}

TStringList TextToStrings(std::string_view text) {
  TStringList lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace pelto5
