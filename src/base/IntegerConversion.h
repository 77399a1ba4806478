// The one integer conversion of the whole system: leading blanks skipped,
// an optional sign, then decimal digits, or hexadecimal digits after "$",
// "x", "X" or "0x". Anything else fails and the caller's default is used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelto5 {

// True and the value when text converts; false (value untouched) otherwise.
// Decimal values must fit in 32 signed bits; hexadecimal values may use all
// 32 bits ("$FFFFFFFF" is -1), as colour values do.
[[nodiscard]] bool TryStrToInt(std::string_view text, int32_t& value);
int32_t StrToIntDef(std::string_view text, int32_t def);
std::string IntToStr(int64_t value);
// "1" or "0".
std::string BoolToText(bool value);

}  // namespace pelto5
