#include "base/LocaleCompare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/SjisText.h"

namespace pelto5 {
namespace {

// UTF-8 in, sorted, UTF-8 out.
std::vector<std::string> Sorted(const std::vector<std::string>& utf8) {
  std::vector<std::string> lines;
  for (const std::string& l : utf8) lines.push_back(sjis::FromUtf8(l));
  LocaleSort(lines);
  std::vector<std::string> out;
  for (const std::string& l : lines) out.push_back(sjis::ToUtf8(l));
  return out;
}

TEST(LocaleCompare, PunctuationComesBeforeDigitsAndDigitsBeforeLetters) {
  // Byte order would put "hp2=" before "hp=" ("2" < "=") and "_fs" after
  // the capitals.
  EXPECT_EQ(Sorted({"hp2=5", "hp=10", "_fs=1", "Zeta=0", "9lives=9", "alpha=2"}),
            (std::vector<std::string>{"_fs=1", "9lives=9", "alpha=2", "hp=10", "hp2=5", "Zeta=0"}));
  EXPECT_LT(LocaleCompareText("hp", "hp2"), 0);
  EXPECT_LT(LocaleCompareText("a_b", "a0"), 0);
  EXPECT_LT(LocaleCompareText("(x)", "0"), 0);
  // "+<=>" follow the other symbols.
  EXPECT_LT(LocaleCompareText("~", "+"), 0);
  EXPECT_LT(LocaleCompareText("=", "0"), 0);
}

TEST(LocaleCompare, CaseAndHyphensOnlyBreakTies) {
  EXPECT_LT(LocaleCompareText("abc", "ABD"), 0);
  EXPECT_GT(LocaleCompareText("ABD", "abc"), 0);
  EXPECT_LT(LocaleCompareText("score", "Score"), 0);
  EXPECT_EQ(LocaleCompareText("Score", "Score"), 0);
  // "-" and "'" are passed over at first: "co-op" sorts with "coop".
  EXPECT_LT(LocaleCompareText("co-op", "cop"), 0);
  EXPECT_LT(LocaleCompareText("coop", "co-op"), 0);
  // Equal texts keep their order.
  std::vector<std::string> same = {"B", "b", "a"};
  LocaleSort(same);
  EXPECT_EQ(same, (std::vector<std::string>{"a", "b", "B"}));
}

TEST(LocaleCompare, WidthAndKanaFormsAreIgnoredFirst) {
  // Full-width letters and digits sort with their single-byte forms.
  EXPECT_LT(LocaleCompareText(sjis::FromUtf8("Ａ"), "b"), 0);
  EXPECT_LT(LocaleCompareText("a", sjis::FromUtf8("Ｂ")), 0);
  EXPECT_LT(LocaleCompareText(sjis::FromUtf8("１"), "a"), 0);
  // Kana after Latin letters, in kana order whatever their form; kanji last.
  EXPECT_EQ(Sorted({"漢字", "か", "ア", "zz", "ｲ", "が", "きく", "ぁ"}),
            (std::vector<std::string>{"zz", "ぁ", "ア", "ｲ", "か", "が", "きく", "漢字"}));
  // A double-byte character whose trail byte is "\" (0x5C) is one
  // character, not a symbol.
  EXPECT_GT(LocaleCompareText(sjis::FromUtf8("表"), "z"), 0);
}

}  // namespace
}  // namespace pelto5
