// Block markers of a script: lines that start with "<" once blanks are
// trimmed, such as <Book="name"> and <Book End>. The script's parser and the
// scenario check classify lines with these same functions.
#pragma once

#include <string>
#include <string_view>

namespace pelto5 {

enum class TBlockMarker { None, Unknown, HeadStart, HeadEnd, BookStart, BookEnd, PageStart, PageEnd };

// What kind of line this is. Start markers have an "=" and their word runs
// from after "<" to the "="; end markers have none and their word runs to
// the first blank (the "End>" after it is not examined).
TBlockMarker ClassifyBlockLine(std::string_view line);

// The name of a start marker, from the untrimmed line: after the first "=",
// cut before the first ">"; inside double quotes if there is one.
std::string BlockName(std::string_view line);

}  // namespace pelto5
