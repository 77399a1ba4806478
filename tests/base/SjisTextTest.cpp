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

}  // namespace
}  // namespace pelto5::sjis
