// pelto5 --extract-text: a PO template of every message text of a
// scenario, for translators. Each message command is one entry: msgctxt
// "BOOK/PAGE#INDEX" (its place, as the player looks its translation up),
// msgid the text as the script writes it (inline tags and variable
// references kept) and a "#:" reference to the script line of its text.
#pragma once

#include <string>

#include "lint/LintOptions.h"

namespace pelto5 {

class TTextExtract {
 public:
  // The template of the content at path (UTF-8) in out; false, with the
  // reasons in out, when the content cannot be opened.
  [[nodiscard]] static bool Run(const std::string& path, const TLintOptions& options, std::string& out);
};

}  // namespace pelto5
