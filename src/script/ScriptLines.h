// The lines of a script, held as the script's text itself and the offset
// where each line starts: a script costs its own size and four bytes a
// line, however long or short its lines are, and a line is read without
// being copied. Lines added later (a book brought in from the runtime
// library) are kept apart, so adding them never moves the script's text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/KeyValueList.h"

namespace pelto5 {

class TScriptLines {
 public:
  // The largest text held: line starts are 32-bit offsets.
  static constexpr size_t kMaxBytes = UINT32_MAX;

  // Replaces the lines by those of text, which is kept as it is: CR LF, a
  // lone CR or a lone LF ends a line, and the last line may have no end.
  // False, and the lines unchanged, for a text longer than kMaxBytes.
  [[nodiscard]] bool Assign(std::string text);
  // Adds a line, which holds no line break, after the others. False, and
  // the lines unchanged, when the added lines would grow past kMaxBytes.
  [[nodiscard]] bool Append(std::string_view line);

  [[nodiscard]] int Count() const;
  // Line n (0 <= n < Count()) without its line break.
  [[nodiscard]] std::string_view operator[](int n) const;
  // Copies of the lines from first up to, not including, last.
  [[nodiscard]] TStringList Copy(int first, int last) const;

 private:
  // A text and the offsets of its lines.
  struct TPart {
    std::string Text;
    std::vector<uint32_t> Starts;
    [[nodiscard]] std::string_view Line(size_t index) const;
  };

  TPart FAssigned;
  TPart FAppended;
};

}  // namespace pelto5
