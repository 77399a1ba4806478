// The player's own texts follow the user's locale: Japanese when it is
// Japanese, English otherwise. The fixed texts of the scenario format stay
// as they are in either.
#include <gtest/gtest.h>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::vector<std::string> kJapanese = {"LANG=ja_JP.UTF-8"};

TPlayerResult Player(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
  return RunPlayerBinary(PELTO5_PLAYER, args, environment);
}

TEST(Language, TheUsageAndTheCommandLinesFaultsFollowTheLocale) {
  EXPECT_EQ(Player({"--help"}, {}).StdOut.rfind("usage: pelto5 [options] [CONTENT]\n", 0), 0u);
  const TPlayerResult japanese = Player({"--help"}, kJapanese);
  EXPECT_EQ(japanese.ExitStatus, 0);
  EXPECT_EQ(japanese.StdOut.rfind("使い方: pelto5 [オプション] [CONTENT]\n", 0), 0u) << japanese.StdOut;
  // Every option is told in either language.
  for (const char* option : {"--scale N", "--save-dir DIR", "--headless", "--events FILE", "--check", "--no-CHECK"}) {
    EXPECT_NE(japanese.StdOut.find(option), std::string::npos) << option;
  }
  // LC_ALL and LC_MESSAGES come before LANG.
  EXPECT_EQ(Player({"--help"}, {"LANG=ja_JP.UTF-8", "LC_ALL=C"}).StdOut.rfind("usage:", 0), 0u);
  EXPECT_EQ(Player({"--help"}, {"LANG=C", "LC_MESSAGES=ja_JP.UTF-8"}).StdOut.rfind("使い方:", 0), 0u);

  const TPlayerResult bad = Player({"--bogus"}, kJapanese);
  EXPECT_EQ(bad.ExitStatus, 2);
  ASSERT_FALSE(bad.ErrorLines.empty());
  EXPECT_EQ(bad.ErrorLines[0], "pelto5: 知らないオプションです: --bogus");
  const TPlayerResult scale = Player({"--scale", "0"}, {});
  ASSERT_FALSE(scale.ErrorLines.empty());
  EXPECT_EQ(scale.ErrorLines[0], "pelto5: --scale needs an integer from 1 to 16, not \"0\"");
}

TEST(Language, GameFolderBoxesFollowTheLocaleTheFormatsOwnTextsDoNot) {
  TTempDir dir;
  dir.Write("empty/readme.txt", "hello");
  dir.Write("two/a.pp5", "x");
  dir.Write("two/b.pp5", "y");
  const std::string empty = dir.Path() + "/empty";
  const std::string two = dir.Path() + "/two";
  EXPECT_EQ(Player({"--headless", empty}, {}).ErrorLines,
            std::vector<std::string>{"message (error, ok): " + empty + "\\nThere is nothing to play in this folder"});
  EXPECT_EQ(Player({"--headless", empty}, kJapanese).ErrorLines,
            std::vector<std::string>{"message (error, ok): " + empty + "\\nこのフォルダには遊べるものが見つかりません"});
  EXPECT_EQ(Player({"--headless", two}, {}).ErrorLines,
            std::vector<std::string>{"message (error, ok): " + two +
                                     "\\nThere is more than one game in this folder; name the one to play:"
                                     "\\n  a.pp5\\n  b.pp5"});
  EXPECT_EQ(Player({"--headless", two}, kJapanese).ErrorLines,
            std::vector<std::string>{"message (error, ok): " + two +
                                     "\\nこのフォルダには遊べるものが複数あります。どれを遊ぶか指定してください:"
                                     "\\n  a.pp5\\n  b.pp5"});
  // A file that is not there is told in the format's own words, in both.
  const std::string missing = dir.Path() + "/無い.pf5";
  for (const std::vector<std::string>& environment : {std::vector<std::string>{}, kJapanese}) {
    const TPlayerResult r = Player({"--headless", missing}, environment);
    EXPECT_EQ(r.ExitStatus, 1);
    EXPECT_EQ(r.ErrorLines, std::vector<std::string>{"message (error, ok): " + missing + "が見つかりません"});
  }
}

}  // namespace
}  // namespace pelto5::test
