#include "base/IntegerConversion.h"

namespace pelto5 {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    const uint32_t bits = static_cast<uint32_t>(magnitude);
    const uint32_t result = negative ? 0u - bits : bits;
    value = static_cast<int32_t>(result);
    return true;
  }
  if (negative) {
    if (magnitude > 0x80000000ull) return false;
    value = static_cast<int32_t>(-static_cast<int64_t>(magnitude));
  } else {
    if (magnitude > 0x7FFFFFFFull) return false;
    value = static_cast<int32_t>(magnitude);
  }
  return true;
}

int32_t StrToIntDef(std::string_view text, int32_t def) {
  int32_t value = def;
  return TryStrToInt(text, value) ? value : def;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string BoolToText(bool value) { return value ? "1" : "0"; }

}  // namespace pelto5
