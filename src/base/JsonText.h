// JSON string literals for the player's machine-readable output (the
// --check report, the --text-out stream).
#pragma once

#include <string>
#include <string_view>

namespace pelto5 {

// utf8 as a quoted JSON string: quotes and backslashes escaped, line
// breaks and tabs as \n, \r and \t, other control characters as \u00XX;
// everything else (UTF-8 included) kept as it is.
std::string JsonString(std::string_view utf8);

}  // namespace pelto5
