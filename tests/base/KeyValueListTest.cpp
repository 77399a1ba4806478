#include "base/KeyValueList.h"

#include <gtest/gtest.h>

namespace pelto5 {
namespace {

TEST(KeyValueList, ReadFindsTheFirstLineWhoseNameMatchesIgnoringCase) {
  const TStringList list = {
      "no equals sign",
      "Music.Loop = 1",  // the name ends in a blank
      "Music.Loop=1",
      "music.loop=2",
      "Expr=a=b",
      "Empty=",
      "=nameless",
  };
  EXPECT_EQ(ListIndexOfName(list, "MUSIC.LOOP"), 2);
  EXPECT_EQ(ListReadString(list, "music.loop", ""), "1");
  EXPECT_EQ(ListReadString(list, "Music.Loop ", ""), " 1");
  EXPECT_EQ(ListReadString(list, "Expr", ""), "a=b");
  EXPECT_EQ(ListReadString(list, "Empty", "-"), "");
  EXPECT_EQ(ListReadString(list, "", "-"), "nameless");
  // A line without "=" matches nothing, not even its whole text.
  EXPECT_EQ(ListReadString(list, "no equals sign", "-"), "-");
  EXPECT_EQ(ListIndexOfName(list, "Missing"), -1);
  EXPECT_EQ(ListReadString(list, "Music", "-"), "-");
}

TEST(KeyValueList, IntegerAndBoolReadsFallBackToTheDefault) {
  const TStringList list = {"Two=2", "Zero=0", "Empty=", "Hex=$FF", "Word=yes", "Neg=-12"};
  EXPECT_EQ(ListReadInteger(list, "two", 0), 2);
  EXPECT_EQ(ListReadInteger(list, "Hex", 0), 255);
  EXPECT_EQ(ListReadInteger(list, "Neg", 0), -12);
  EXPECT_EQ(ListReadInteger(list, "Empty", 5), 5);
  EXPECT_EQ(ListReadInteger(list, "Word", 5), 5);
  EXPECT_EQ(ListReadInteger(list, "Missing", -1), -1);
  EXPECT_TRUE(ListReadBool(list, "Two", false));
  EXPECT_FALSE(ListReadBool(list, "Zero", true));
  EXPECT_TRUE(ListReadBool(list, "Empty", true));
  EXPECT_FALSE(ListReadBool(list, "Empty", false));
  EXPECT_TRUE(ListReadBool(list, "Missing", true));
}

TEST(KeyValueList, WriteReplacesTheFirstMatchInPlaceOrAppends) {
  TStringList list = {"a=1", "Key=old", "b=2", "KEY=second"};
  ListWriteString(list, "key", "new");
  EXPECT_EQ(list, (TStringList{"a=1", "key=new", "b=2", "KEY=second"}));
  ListWriteInteger(list, "c", -7);
  ListWriteBool(list, "d", true);
  ListWriteBool(list, "A", false);
  EXPECT_EQ(list, (TStringList{"A=0", "key=new", "b=2", "KEY=second", "c=-7", "d=1"}));
}

TEST(KeyValueList, AddAppendsEvenWhenTheNameExists) {
  TStringList list;
  ListAddString(list, "Name", "x");
  ListAddInteger(list, "Name", 3);
  ListAddBool(list, "Flag", false);
  ListAddBool(list, "Flag", true);
  ListAddString(list, "@StackBorder", "");
  EXPECT_EQ(list, (TStringList{"Name=x", "Name=3", "Flag=0", "Flag=1", "@StackBorder="}));
  EXPECT_EQ(ListReadString(list, "name", ""), "x");
  EXPECT_FALSE(ListReadBool(list, "flag", true));
}

TEST(KeyValueList, DoubleByteNamesCompareTrailBytesExactly) {
  // "ア" is 0x83 0x41 (trail byte "A"), "ソ" is 0x83 0x5C (trail byte "\").
  TStringList list = {"\x83\x41=katakana", "\x83\x5C" "a=so"};
  EXPECT_EQ(ListReadString(list, "\x83\x41", ""), "katakana");
  EXPECT_EQ(ListReadString(list, "\x83\x61", "-"), "-");
  EXPECT_EQ(ListReadString(list, "\x83\x5C" "A", ""), "so");
  ListWriteString(list, "\x83\x5C" "A", "x");
  EXPECT_EQ(list[1], "\x83\x5C" "A=x");
  EXPECT_EQ(list.size(), 2u);
}

TEST(KeyValueList, TextFormJoinsWithCrLfAndSplitsAnyLineBreak) {
  EXPECT_EQ(StringsToText({"a=1", "", "b=2"}), "a=1\r\n\r\nb=2\r\n");
  EXPECT_EQ(StringsToText({}), "");
  EXPECT_EQ(TextToStrings("a\r\nb\rc\nd"), (TStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(TextToStrings("a\r\n"), TStringList{"a"});
  EXPECT_EQ(TextToStrings("a\r\r\nb\n\n"), (TStringList{"a", "", "b", ""}));
  EXPECT_EQ(TextToStrings("\r\n"), TStringList{""});
  EXPECT_TRUE(TextToStrings("").empty());
  // A double-byte character whose trail byte is "\" stays whole.
  EXPECT_EQ(TextToStrings("\x83\x5C\r\n\x95\x5C"), (TStringList{"\x83\x5C", "\x95\x5C"}));

  const TStringList list = {"x=1", "", "  y = 2 ", "z="};
  EXPECT_EQ(TextToStrings(StringsToText(list)), list);
}

}  // namespace
}  // namespace pelto5
