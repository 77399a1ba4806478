#include "base/SjisText.h"

#include <gtest/gtest.h>

namespace pelto5::sjis {
namespace {

// "ソ" is 0x83 0x5C and "表" is 0x95 0x5C: their trail byte is "\".
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";
// "ア" is 0x83 0x41 and "ａ" is 0x82 0x81: a trail byte that is an ASCII letter.
const std::string kA = "\x83\x41";

TEST(SjisText, FindCharStepsOverTrailBytes) {
  const std::string path = kSo + "\\" + kHyo + "\\x";
  EXPECT_EQ(FindChar(path, '\\'), 2u);
  EXPECT_EQ(FindChar(path, '\\', 3), 5u);
  EXPECT_EQ(FindLastChar(path, '\\'), 5u);
  EXPECT_EQ(FindChar(kSo + kHyo, '\\'), std::string::npos);
  EXPECT_EQ(FindText(kA + "A", "A"), 2u);
}

TEST(SjisText, SameTextFoldsSingleByteLettersOnly) {
  EXPECT_TRUE(SameText("MessageDraw.Text", "messagedraw.TEXT"));
  EXPECT_TRUE(SameText(kA + "b", kA + "B"));
  // The trail byte 0x41 must not be folded to match 0x61.
  EXPECT_FALSE(SameText(kA, "\x83\x61"));
  EXPECT_FALSE(SameText("ab", "abc"));
  EXPECT_EQ(UpperAscii(kA + "a\x83\x61"), kA + "A\x83\x61");
  EXPECT_TRUE(StartsWithText("Wait.Time=5", "wait.time"));
  // A prefix that would end inside a double-byte character does not match.
  EXPECT_FALSE(StartsWithText(kA, "\x83"));
}

TEST(SjisText, TrimRemovesBlanksAndControls) {
  EXPECT_EQ(Trim(" \t @Wait \r"), "@Wait");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim(kSo + " "), kSo);
}

TEST(SjisText, ConvertsToAndFromUtf8) {
  // "スタートブック"
  const std::string sjis = "\x83\x58\x83\x5E\x81\x5B\x83\x67\x83\x75\x83\x62\x83\x4E";
  const std::string utf8 = "\xE3\x82\xB9\xE3\x82\xBF\xE3\x83\xBC\xE3\x83\x88\xE3\x83\x96\xE3\x83\x83\xE3\x82\xAF";
  EXPECT_EQ(ToUtf8(sjis), utf8);
  EXPECT_EQ(FromUtf8(utf8), sjis);
  EXPECT_EQ(ToUtf8("a\\b"), "a\\b");
  EXPECT_EQ(ToUtf8(kSo), "\xE3\x82\xBD");
  // A truncated lead byte and an invalid pair become "?" without losing the rest.
  EXPECT_EQ(ToUtf8("x\x83"), "x?");
  EXPECT_EQ(FromUtf8("a\xFF" "b"), "a?b");
}

// Text that may hold any character (a translation): "Café ß 简 😀" next to
// Japanese and markup.
TEST(SjisText, CharactersBeyondCodePage932TravelAsWideSequences) {
  const std::string utf8 = "<B>\xE7\x81\xAF Caf\xC3\xA9 \xC3\x9F#\xE7\xAE\x80$x$\xF0\x9F\x98\x80";
  const std::string wide = FromUtf8Wide(utf8);
  // What code page 932 has is converted as always ("灯" 0x9394).
  EXPECT_EQ(wide.substr(0, 5), "<B>\x93\x94");
  EXPECT_EQ(ToUtf8(wide), utf8);
  // Each other character is one character of the text: scans for markup
  // step over it and find what follows.
  const size_t e = wide.find("Caf") + 3;
  EXPECT_EQ(CharLength(wide, e), kWideLength);
  EXPECT_EQ(WideCharAt(wide, e), U'\u00E9');
  EXPECT_EQ(FindChar(wide, '#'), wide.find('#'));
  EXPECT_EQ(FindChar(wide, '$', wide.find('#')), wide.find('$'));
  size_t count = 0;
  for (size_t i = 0; i < wide.size(); i += CharLength(wide, i)) ++count;
  EXPECT_EQ(count, 17u);
  for (size_t i = 0; i < wide.size(); i += CharLength(wide, i)) {
    if (CharLength(wide, i) != kWideLength) continue;
    EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(wide[i])));
    for (size_t k = 1; k < kWideLength; ++k) {
      const auto b = static_cast<unsigned char>(wide[i + k]);
      EXPECT_TRUE(b >= 0xA0 && b <= 0xDF) << int(b);
    }
  }
  EXPECT_TRUE(SameText(FromUtf8Wide("x\xC3\xA9"), FromUtf8Wide("X\xC3\xA9")));
  EXPECT_FALSE(SameText(FromUtf8Wide("\xC3\xA9"), FromUtf8Wide("\xC3\xA8")));
  // Plain FromUtf8 still gives "?" for them.
  EXPECT_EQ(FromUtf8("Caf\xC3\xA9"), "Caf?");
  // Controls, malformed and overlong bytes become "?" as in FromUtf8.
  EXPECT_EQ(FromUtf8Wide("\xC2\x85|\xC3|\xE0\x83\xA9"), FromUtf8("\xC2\x85|\xC3|\xE0\x83\xA9"));
}

TEST(SjisText, OnlyWellFormedWideSequencesCount) {
  std::string e;
  AppendWideChar(e, U'\u00E9');
  ASSERT_EQ(e.size(), kWideLength);
  // Cut short, or carrying a character code page 932 has ("あ"), a control
  // or a surrogate: single bytes, converted as before.
  for (const char32_t cp : {U'\u3042', char32_t{0x85}, char32_t{0xD800}}) {
    std::string s;
    AppendWideChar(s, cp);
    EXPECT_TRUE(s.empty()) << int(cp);
  }
  const std::string cut = e.substr(0, 4);
  EXPECT_EQ(CharLength(cut, 0), 1u);
  EXPECT_EQ(WideCharAt(cut, 0), 0u);
  // 0xFD then the bytes of "あ" (U+3042) as a wide sequence would carry it.
  const std::string forged = "\xFD\xA0\xA3\xA1\xA2";
  EXPECT_EQ(CharLength(forged, 0), 1u);
  EXPECT_EQ(ToUtf8(forged).rfind("?", 0), 0u);
  EXPECT_EQ(ToUtf8(forged).find("\xE3\x81\x82"), std::string::npos);
  EXPECT_EQ(ToUtf8("\xFD"), "?");
  EXPECT_EQ(ToUtf8ByTable("a" + e + "b"), "a\xC3\xA9" "b");
}

}  // namespace
}  // namespace pelto5::sjis
