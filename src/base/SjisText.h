// Shift-JIS (code page 932) text helpers. Every scan of script text, name
// and message in the system goes through these, so that the trail byte of a
// double-byte character (which may be 0x5C "\" or an ASCII letter) is never
// taken for a character of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelto5::sjis {

// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Characters that code page 932 lacks (the "é", "ß" or "简" of a
// translation) travel inside the Shift-JIS text as a wide sequence: the
// byte 0xFD, which code page 932 never uses, then four bytes 0xA0-0xDF
// carrying the code point six bits each, high bits first. None of its bytes
// is a lead byte or ASCII, so no scan for "<", "#", "$" or "\" ever stops
// inside one; it counts as one character, and ToUtf8 turns it back into
// its code point. Only sequences FromUtf8Wide writes count: a code point
// code page 932 has, a control or a surrogate is no wide sequence.
inline constexpr unsigned char kWideMark = 0xFD;
inline constexpr size_t kWideLength = 5;

// The code point of the wide sequence at pos; 0 when none starts there.
char32_t WideCharAt(std::string_view s, size_t pos);
// Appends cp as a wide sequence; nothing when cp cannot be one.
void AppendWideChar(std::string& out, char32_t cp);

// Length in bytes (1, 2, or kWideLength for a wide sequence) of the
// character starting at pos. A lead byte at the very end of the text
// counts as one byte.
size_t CharLength(std::string_view s, size_t pos);

// Position of the first single-byte character c at or after from, stepping
// over double-byte characters; npos if there is none. from must be on a
// character boundary.
size_t FindChar(std::string_view s, char c, size_t from = 0);
// Position of the last single-byte character c, npos if none.
size_t FindLastChar(std::string_view s, char c);
// Position of needle at a character boundary at or after from; npos if none.
size_t FindText(std::string_view s, std::string_view needle, size_t from = 0);

// ASCII upper case of single-byte letters only; double-byte characters are
// copied unchanged.
std::string UpperAscii(std::string_view s);
// Equal when single-byte ASCII letters are folded; nothing else is folded.
[[nodiscard]] bool SameText(std::string_view a, std::string_view b);
// s starts with prefix under the SameText rule.
[[nodiscard]] bool StartsWithText(std::string_view s, std::string_view prefix);

// Removes leading and trailing blanks and control characters (bytes <= 0x20).
std::string Trim(std::string_view s);
// The same as a view into s.
std::string_view TrimmedView(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Conversion at the platform edge. Bytes that do not convert become "?" in
// either direction; the result is always well formed. ToUtf8 gives wide
// sequences as their characters.
std::string ToUtf8(std::string_view sjis);
std::string FromUtf8(std::string_view utf8);
// FromUtf8 for text that may hold any character (a translation): what code
// page 932 has converts as FromUtf8 converts it, every other character
// (controls and malformed bytes aside, which become "?") becomes a wide
// sequence.
std::string FromUtf8Wide(std::string_view utf8);
// The same conversions by the code page 932 table, which ToUtf8 and
// FromUtf8 use where the C library's iconv has no code page 932.
std::string ToUtf8ByTable(std::string_view sjis);
// Appends code point cp to out in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
std::string FromUtf8ByTable(std::string_view utf8);

}  // namespace pelto5::sjis
