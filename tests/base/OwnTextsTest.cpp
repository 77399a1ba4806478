// The player's own texts in both languages, and how the language and the
// values in a text are chosen.
#include "base/OwnTexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/SjisText.h"

namespace pelto5 {
namespace {

// The "%N" a text takes values into.
std::set<std::string> Placeholders(const std::string& text) {
  std::set<std::string> found;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') found.insert(text.substr(i, 2));
  }
  return found;
}

// A translation that drops a value, or holds a character the message boxes
// cannot show (Shift-JIS has no such character: it would read "?"), is a
// fault the user sees.
TEST(OwnTexts, EveryTextHasBothLanguagesWithTheSameValuesAndShowsInShiftJis) {
  for (int i = 0; i < static_cast<int>(TOwnText::Count); ++i) {
    const auto id = static_cast<TOwnText>(i);
    const std::string english = OwnTextUtf8(id, TLanguage::English);
    const std::string japanese = OwnTextUtf8(id, TLanguage::Japanese);
    EXPECT_FALSE(english.empty()) << i;
    EXPECT_FALSE(japanese.empty()) << i;
    EXPECT_EQ(Placeholders(english), Placeholders(japanese)) << english;
    EXPECT_EQ(sjis::ToUtf8(OwnText(id, TLanguage::Japanese)), japanese);
    EXPECT_EQ(OwnText(id, TLanguage::English), english);
    // English shows with any font.
    for (char c : english) EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << english;
  }
  EXPECT_STREQ(OwnTextUtf8(TOwnText::Count, TLanguage::Japanese), "");
}

TEST(OwnTexts, TheFirstLocaleSettingThatIsSetChoosesTheLanguage) {
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "ja_JP.UTF-8"), TLanguage::Japanese);
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "ja"), TLanguage::Japanese);
  EXPECT_EQ(LanguageOfLocale("", "", "ja_JP.eucJP"), TLanguage::Japanese);
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "C.UTF-8"), TLanguage::English);
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "de_DE.UTF-8"), TLanguage::English);
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, nullptr), TLanguage::English);
  // LC_ALL beats LC_MESSAGES, which beats LANG, in either direction.
  EXPECT_EQ(LanguageOfLocale("C", "ja_JP.UTF-8", "ja_JP.UTF-8"), TLanguage::English);
  EXPECT_EQ(LanguageOfLocale(nullptr, "C", "ja_JP.UTF-8"), TLanguage::English);
  EXPECT_EQ(LanguageOfLocale("ja_JP.UTF-8", "C", "C"), TLanguage::Japanese);
  EXPECT_EQ(LanguageOfLocale("", "ja_JP.UTF-8", "en_GB.UTF-8"), TLanguage::Japanese);
  // "j" alone, or a name that only contains "ja", is not Japanese.
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "j"), TLanguage::English);
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "en_ja"), TLanguage::English);
}

TEST(OwnTexts, FillInPutsEachValueInOnce) {
  EXPECT_EQ(FillIn("%2 then %1", {"a", "b"}), "b then a");
  // A value is not scanned again, a "%" without a value stays.
  EXPECT_EQ(FillIn("[%1] %3 100%", {"%2", "x"}), "[%2] %3 100%");
  EXPECT_EQ(FillIn("ファイル %1 です", {"灯台.pf5"}), "ファイル 灯台.pf5 です");
  EXPECT_EQ(FillIn("%", {}), "%");
}

}  // namespace
}  // namespace pelto5
