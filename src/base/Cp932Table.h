// Code page 932 (Shift-JIS with the NEC and IBM extensions) as a table,
// for C libraries whose iconv lacks it. Made from glibc's tables by
// scripts/gen/make-cp932-table, so it converts exactly as the desktop build.
#pragma once

#include <cstdint>

namespace pelto5::cp932 {

// A code (a single byte, or lead byte * 256 + trail byte) to Unicode;
// 0 for a code with no character.
char32_t ToUnicode(uint32_t code);
// A character to its code; 0 for a character code page 932 does not have.
uint32_t FromUnicode(char32_t unicode);

}  // namespace pelto5::cp932
