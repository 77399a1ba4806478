// The call stack of scenario pages. It is textual: a frame is a set of
// Key=Value lines, the stack is a list of lines with a border line
// "@StackBorder" under each frame (index 0 is the top), and the whole stack
// is stored verbatim in a save file as the entry "stack.info".
//
// Beside the stack there is one work frame, a scratch list of Key=Value
// lines into which a frame is assembled before PushFrame and into which the
// top frame is unpacked by PopFrame. Pushing reverses the frame's lines
// (each line goes on top of the previous one); keyed reads do not care.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "base/KeyValueList.h"

namespace pelto5 {

struct PackageReader;
struct PackageWriter;

class TPeltoProcessStack {
 public:
  // The line under each frame.
  static constexpr std::string_view StackBorder = "@StackBorder";
  // The save-container entry that holds the stack.
  static constexpr std::string_view StackEntryName = "stack.info";

  // --- The work frame -----------------------------------------------------
  void ClearFrame();
  // Keys compare without regard to ASCII letter case; the first line wins.
  std::string ReadString(std::string_view key, std::string_view def) const;
  void WriteString(std::string_view key, std::string_view value);
  int32_t ReadInteger(std::string_view key, int32_t def) const;
  void WriteInteger(std::string_view key, int32_t value);
  [[nodiscard]] bool ReadBool(std::string_view key, bool def) const;
  void WriteBool(std::string_view key, bool value);

  // --- The stack ------------------------------------------------------------
  // Puts line on top of the stack.
  void PushLine(std::string line);
  // Removes and returns the top line; "" when the stack is empty.
  std::string PopLine();
  // Pushes the border line, then the work frame's lines first to last, and
  // empties the work frame.
  void PushFrame();
  // Unpacks the top frame into the work frame (the border is consumed).
  // False, with an empty work frame, when there was no frame (underflow).
  [[nodiscard]] bool PopFrame();

  // Adds the stack as the entry "stack.info" to a container being written.
  [[nodiscard]] bool SaveToContainer(PackageWriter& writer) const;
  // Replaces the stack by the lines of the entry "stack.info"; false and
  // the stack unchanged when the entry is missing or cannot be read.
  [[nodiscard]] bool LoadFromContainer(PackageReader& reader);

  // Appends the stack's lines, top first.
  void AppendTo(TStringList& list) const;

  // Read access for the state dump, the debug window and tests.
  const std::deque<std::string>& Lines() const { return FStack; }
  const TStringList& Frame() const { return FFrame; }
  [[nodiscard]] bool Empty() const { return FStack.empty(); }
  // The number of frames: border lines on the stack.
  [[nodiscard]] size_t Depth() const { return FBorders; }

 private:
  // Index 0 = top. A deque keeps pushing and popping at the top cheap
  // however deep the calls nest.
  std::deque<std::string> FStack;
  TStringList FFrame;
  size_t FBorders = 0;
};

}  // namespace pelto5
