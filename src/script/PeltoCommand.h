// One command of a page, as handed to a command handler: its type, its
// if-nesting level, its command line and the property lines before it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/CommandKeys.h"
#include "base/KeyValueList.h"

namespace pelto5 {

class TPeltoCommand {
 public:
  // Value of the first property line that has an "=" and whose text before
  // that "=" equals key without regard to letter case; the rest of the line
  // after it, untrimmed. def when no line matches.
  std::string ReadString(std::string_view key, std::string_view def) const;
  // ReadString converted by the integer conversion; def if it does not
  // convert (a missing key included).
  int32_t ReadInteger(std::string_view key, int32_t def) const;
  // ReadInteger with 1 or 0 as default, true when non-zero.
  [[nodiscard]] bool ReadBool(std::string_view key, bool def) const;

  // The same reads of a key of the command table, with the table's default.
  std::string ReadString(const TCommandKey& key) const;
  // A numbered key: its name followed by number in decimal.
  std::string ReadString(const TCommandKey& key, int number) const;
  int32_t ReadInteger(const TCommandKey& key) const;
  [[nodiscard]] bool ReadBool(const TCommandKey& key) const;
  // Index of the value in the key's keyword list; -1 for any other value.
  int ReadKeyword(const TCommandKey& key) const;

  int32_t CommandType = 0;
  int32_t Level = 0;
  // The property lines, exactly as they stand in the page.
  TStringList Properties;
  // The command line, trimmed (for instance "@MessageDraw").
  std::string CommandLine;
};

}  // namespace pelto5
