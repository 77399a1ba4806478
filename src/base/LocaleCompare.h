// The order in which the player sorts lists of names for people to read
// (the debug window's variables): the order of the Japanese desktop's
// locale string comparison, not of the bytes.
//
// Characters are compared by class first, then within the class:
//   symbols and punctuation ("_", "=", "(", ...; full-width ones after the
//   single-byte ones), then digits, then Latin letters, then Greek and
//   Cyrillic letters, then kana, then kanji and everything else.
// Letter case, full and half width, hiragana and katakana, small and large
// kana and voiced and unvoiced kana are ignored at first; so are "-" and
// "'" (a "co-op" sorts with "coop") and control characters. Only texts
// equal under those rules are told apart by them: the one without "-" or
// "'" first, then lower case before upper case, then by bytes. So "hp"
// comes before "hp2" and "hp=1" before "hp2=1", and "_fs" before "a".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelto5 {

// Shift-JIS texts a and b: negative when a sorts first, 0 when they are the
// same bytes, positive when b sorts first.
int LocaleCompareText(std::string_view a, std::string_view b);

// Sorts lines in that order; lines that compare equal keep their order.
void LocaleSort(std::vector<std::string>& lines);

}  // namespace pelto5
