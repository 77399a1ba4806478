#include "exec/PeltoProcessStack.h"

#include <algorithm>
#include <utility>

#include "content/PackageReader.h"
#include "content/PackageWriter.h"

namespace pelto5 {

void TPeltoProcessStack::ClearFrame() { FFrame.clear(); }

std::string TPeltoProcessStack::ReadString(std::string_view key, std::string_view def) const {
  return ListReadString(FFrame, key, def);
}

void TPeltoProcessStack::WriteString(std::string_view key, std::string_view value) {
  ListWriteString(FFrame, key, value);
}

int32_t TPeltoProcessStack::ReadInteger(std::string_view key, int32_t def) const {
  return ListReadInteger(FFrame, key, def);
}

void TPeltoProcessStack::WriteInteger(std::string_view key, int32_t value) {
  ListWriteInteger(FFrame, key, value);
}

bool TPeltoProcessStack::ReadBool(std::string_view key, bool def) const {
  return ListReadBool(FFrame, key, def);
}

void TPeltoProcessStack::WriteBool(std::string_view key, bool value) {
  ListWriteBool(FFrame, key, value);
}

void TPeltoProcessStack::PushLine(std::string line) {
  if (line == StackBorder) ++FBorders;
  FStack.push_front(std::move(line));
}

std::string TPeltoProcessStack::PopLine() {
  if (FStack.empty()) return std::string();
  std::string line = std::move(FStack.front());
  FStack.pop_front();
  if (line == StackBorder) --FBorders;
  return line;
}

void TPeltoProcessStack::PushFrame() {
  PushLine(std::string(StackBorder));
  for (std::string& line : FFrame) PushLine(std::move(line));
  ClearFrame();
}

bool TPeltoProcessStack::PopFrame() {
  ClearFrame();
  // An empty line ends the frame as the border does: a stack read from a
  // damaged save may hold one, and an empty stack pops as "".
  for (;;) {
    std::string line = PopLine();
    if (line.empty() || line == StackBorder) break;
    FFrame.push_back(std::move(line));
  }
  return !FFrame.empty();
}

bool TPeltoProcessStack::SaveToContainer(PackageWriter& writer) const {
  TStringList lines;
  AppendTo(lines);
  return AddEntryFromStrings(writer, lines, StackEntryName);
}

bool TPeltoProcessStack::LoadFromContainer(PackageReader& reader) {
  TStringList lines;
  if (!LoadEntryStrings(reader, StackEntryName, lines)) return false;
  FStack.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  FBorders = static_cast<size_t>(std::count(FStack.begin(), FStack.end(), StackBorder));
  return true;
}

void TPeltoProcessStack::AppendTo(TStringList& list) const {
  list.insert(list.end(), FStack.begin(), FStack.end());
}

}  // namespace pelto5
