#include "script/ScriptLines.h"

#include <algorithm>
#include <climits>

namespace pelto5 {

namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Calls found(start) for the start of every line of text.
template <typename TFound>
void ForEachLineStart(std::string_view text, TFound found) {
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (!IsLineBreak(c)) {
      ++i;
      continue;
    }
    found(start);
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) found(start);
}

}  // namespace

std::string_view TScriptLines::TPart::Line(size_t index) const {
  const size_t start = Starts[index];
  size_t end = index + 1 < Starts.size() ? Starts[index + 1] : Text.size();
  // A line holds no line break: what ends it is all that follows it.
  while (end > start && IsLineBreak(Text[end - 1])) --end;
  return std::string_view(Text).substr(start, end - start);
}

bool TScriptLines::Assign(std::string text) {
  if (text.size() > kMaxBytes) return false;
  size_t count = 0;
  ForEachLineStart(text, [&count](size_t) { ++count; });
  // Line numbers are ints: lines past the last one they reach are dropped.
  count = std::min<size_t>(count, INT_MAX);
  std::vector<uint32_t> starts;
  starts.reserve(count);
  size_t dropped = text.size();
  ForEachLineStart(text, [&](size_t start) {
    if (starts.size() < count) {
      starts.push_back(static_cast<uint32_t>(start));
    } else if (dropped == text.size()) {
      dropped = start;
    }
  });
  text.resize(dropped);
  FAssigned.Text = std::move(text);
  FAssigned.Starts = std::move(starts);
  FAppended = TPart{};
  return true;
}

bool TScriptLines::Append(std::string_view line) {
  if (FAppended.Text.size() + line.size() + 2 > kMaxBytes || Count() == INT_MAX) return false;
  FAppended.Starts.push_back(static_cast<uint32_t>(FAppended.Text.size()));
  FAppended.Text.append(line);
  FAppended.Text += "\r\n";
  return true;
}

int TScriptLines::Count() const { return static_cast<int>(FAssigned.Starts.size() + FAppended.Starts.size()); }

std::string_view TScriptLines::operator[](int n) const {
  const size_t index = static_cast<size_t>(n);
  const size_t assigned = FAssigned.Starts.size();
  return index < assigned ? FAssigned.Line(index) : FAppended.Line(index - assigned);
}

TStringList TScriptLines::Copy(int first, int last) const {
  TStringList lines;
  if (first < 0 || last > Count() || first >= last) return lines;
  lines.reserve(static_cast<size_t>(last - first));
  for (int n = first; n < last; ++n) lines.emplace_back((*this)[n]);
  return lines;
}

}  // namespace pelto5
