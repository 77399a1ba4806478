// Reading translations' PO files: which entries apply, how strings
// continue and unescape, and which faults refuse the whole file.
#include "script/Translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelto5 {
namespace {

TEST(Translation, EntriesApplyOnlyTranslatedNotFuzzyAndForTheScriptsText) {
  const std::string po =
      "# translator comment\n"
      "msgid \"\"\n"
      "msgstr \"\"\n"
      "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
      "\n"
      "#: game.pf5:12\n"
      "msgctxt \"B/P#1\"\n"
      "msgid \"\"\n"
      "\"two \"\n"
      "\"parts\"\n"
      "msgstr \"zwei \\\"Teile\\\"\\\\\"\n"
      "\"#weiter\"\n"
      "\n"
      "#, fuzzy, c-format\n"
      "msgctxt \"B/P#2\"\n"
      "msgid \"fuzzy\"\n"
      "msgstr \"unscharf\"\n"
      "\n"
      "msgctxt \"B/P#3\"\n"
      "msgid \"untranslated\"\n"
      "msgstr \"\"\n"
      "\r\n"
      "msgctxt \"B/P#4\"\r\n"
      "msgid \"plural\"\r\n"
      "msgid_plural \"plurals\"\r\n"
      "msgstr[0] \"one\"\r\n"
      "msgstr[1] \"many\"\r\n";
  TTranslation t;
  std::vector<std::string> errors;
  ASSERT_TRUE(t.Parse(po, "t.po", errors));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(t.Count(), 4u);  // the header entry is none of them

  const std::string* text = t.Find("B/P#1", "two parts");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, "zwei \"Teile\"\\#weiter");
  // A changed script text, another place, a fuzzy or empty translation:
  // the original shows.
  EXPECT_EQ(t.Find("B/P#1", "two  parts"), nullptr);
  EXPECT_EQ(t.Find("B/P#9", "two parts"), nullptr);
  EXPECT_EQ(t.Find("B/P#2", "fuzzy"), nullptr);
  EXPECT_EQ(t.Find("B/P#3", "untranslated"), nullptr);
  ASSERT_NE(t.Find("B/P#4", "plural"), nullptr);
  EXPECT_EQ(*t.Find("B/P#4", "plural"), "one");
}

TEST(Translation, FaultsAreNamedByLineAndRefuseEveryEntry) {
  const std::string po =
      "msgctxt \"ok\"\nmsgid \"a\"\nmsgstr \"b\"\n"    // 1-3: fine
      "msgctxt \"x\"\nmsgid \"a\nmsgstr \"b\"\n"       // 5: no closing quote
      "\"stray\"\n"                                    // passed over with its entry
      "msgctxt \"y\"\nmsgstr \"b\"\n"                  // 9: msgstr without msgid
      "msgctxt \"z\"\nmsgid \"c\"\n"                   // 11: msgid without msgstr
      "msgctxt \"ok\"\nmsgid \"a\"\nmsgstr \"again\"\n"  // 13: a second "ok"
      "msgid \"q\" trailing\n";                        // 15: text after the quote
  TTranslation t;
  std::vector<std::string> errors;
  EXPECT_FALSE(t.Parse(po, "f.po", errors));
  EXPECT_TRUE(t.Empty());
  EXPECT_EQ(t.Find("ok", "a"), nullptr);
  const std::vector<std::string> expected = {
      "f.po:5: error: missing closing quote",       "f.po:9: error: msgstr without msgid",
      "f.po:11: error: msgid without msgstr",       "f.po:13: error: a second entry for msgctxt \"ok\"",
      "f.po:15: error: text after the closing quote"};
  EXPECT_EQ(errors, expected);
}

TEST(Translation, QuoteAndParseRoundTrip) {
  const std::string text = "line \"one\"\\\nline\ttwo";
  TTranslation t;
  std::vector<std::string> errors;
  ASSERT_TRUE(t.Parse("msgctxt " + TTranslation::Quote("c") + "\nmsgid " + TTranslation::Quote(text) +
                          "\nmsgstr " + TTranslation::Quote(text + "!") + "\n",
                      "r.po", errors));
  ASSERT_NE(t.Find("c", text), nullptr);
  EXPECT_EQ(*t.Find("c", text), text + "!");
  EXPECT_EQ(TTranslation::Context("本", "頁", 12), "本/頁#12");
}

}  // namespace
}  // namespace pelto5
