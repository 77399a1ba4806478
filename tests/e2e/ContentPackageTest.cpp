// Opening packaged content: packages, executables with an appended package,
// the data directory and automatic extraction.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

int Pack(const std::vector<std::string>& args) { return RunPack(args).ExitStatus; }

std::string DumpOf(const TTempDir& dir) { return ReadFileText(dir.Path() + "/dump.txt"); }

TEST(ContentPackage, APackageAndAnAppendedPackageRunTheirScript) {
  TTempDir dir;
  dir.Write("src/pelto.pf5", MakeScript(ScriptWithPage(
                                 {"StringCtrl.StringVar=$s$", "StringCtrl.Text=$@ScriptFile$", "@StringCtrl"})));
  dir.Write("src/other.txt", "x");
  const std::string package = dir.Path() + "/story.pp5";
  ASSERT_EQ(Pack({"create", "--compress", package, dir.Path() + "/src"}), 0);
  TPlayerResult r = RunPlayer({"--headless", "--dump-state", dir.Path() + "/dump.txt", package});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.ErrorLines.empty()) << r.ErrorLines.front();
  EXPECT_NE(DumpOf(dir).find("[strings]\ns=story.pp5\n"), std::string::npos) << DumpOf(dir);

  const std::string exe = dir.Write("stub.exe", std::string("MZ") + std::string(300, '\x01'));
  const std::string game = dir.Path() + "/game.exe";
  ASSERT_EQ(Pack({"create", "--exe", exe, game, dir.Path() + "/src"}), 0);
  r = RunPlayer({"--headless", "--dump-state", dir.Path() + "/dump.txt", game});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_NE(DumpOf(dir).find("[strings]\ns=game.exe\n"), std::string::npos) << DumpOf(dir);
}

TEST(ContentPackage, AutoExtractAsksAndNeverOverwritesOrEscapes) {
  TTempDir dir;
  dir.Write("src/pelto.pf5", MakeScript(ScriptWithPage({"@rem"}, {"AutoExtract=1"})));
  dir.Write("src/bg.txt", "from the package");
  dir.Write("src/keep.txt", "new");
  dir.Write("src/secret.txt", "s");
  const std::string package = dir.Path() + "/story.pp5";
  ASSERT_EQ(Pack({"create", "--extract", "*.txt", "--no-extract", "secret.txt", package, dir.Path() + "/src"}), 0);

  // Answering No leaves the folder absent and extracts nothing.
  TPlayerResult r = RunPlayer({"--headless", "--answer", "no", package});
  EXPECT_EQ(r.ExitStatus, 0);
  ASSERT_EQ(r.LinesStartingWith("message (warning, no): 実行に必要なファイルの展開や、セーブファイルの保存のため\\n\"").size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/story"));

  // Yes creates it; existing files are kept, no-extract entries skipped.
  std::filesystem::create_directory(dir.Path() + "/story");
  dir.Write("story/keep.txt", "old");
  r = RunPlayer({"--headless", package});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty());
  EXPECT_EQ(ReadFileText(dir.Path() + "/story/bg.txt"), "from the package");
  EXPECT_EQ(ReadFileText(dir.Path() + "/story/keep.txt"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/story/secret.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/story/pelto.pf5"));
}

TEST(ContentPackage, AScenarioKeepsItsOwnSystemBook) {
  TTempDir dir;
  std::vector<std::string> lines = ScriptWithPage({"@rem"});
  for (const char* l : {"<Book=\"_system\">", "<Page=\"_init\">", "ValueCtrl.ValueVar=%own%",
                        "ValueCtrl.LeftValue=1", "@ValueCtrl", "@Return", "<Page End>", "<Book End>"}) {
    lines.push_back(l);
  }
  const std::string script = dir.Write("g.pf5", MakeScript(lines));
  const TPlayerResult r = RunPlayer({"--headless", "--dump-state", dir.Path() + "/dump.txt", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_NE(DumpOf(dir).find("[values]\nown=1\n"), std::string::npos) << DumpOf(dir);
}

TEST(ContentPackage, ACutOffPackageIsDamagedAndNamesTheEntry) {
  TTempDir dir;
  dir.Write("src/pelto.pf5", MakeScript(ScriptWithPage({"@rem"})));
  dir.Write("src/zz.txt", std::string(3000, 'z'));
  const std::string package = dir.Path() + "/story.pp5";
  ASSERT_EQ(Pack({"create", package, dir.Path() + "/src"}), 0);
  const std::string whole = ReadFileText(package);
  const std::string exe = dir.Write("stub.exe", std::string("MZ") + std::string(300, '\x01'));
  const std::string game = dir.Path() + "/game.exe";
  ASSERT_EQ(Pack({"create", "--exe", exe, game, dir.Path() + "/src"}), 0);
  const std::string appended = ReadFileText(game);

  struct TCut {
    std::string File;
    size_t Length;
    std::string Entry;  // the entry the message names
  };
  const size_t script = whole.find("pelto.pf5");
  const std::vector<TCut> cuts = {
      {package, 10, ""},
      {package, script + 200, "pelto.pf5"},
      {package, whole.size() - 1000, "zz.txt"},
      {package, whole.size() - 1, "zz.txt"},
      {game, appended.size() - 1000, "zz.txt"},
  };
  for (const TCut& cut : cuts) {
    const std::string at = cut.File + " cut to " + std::to_string(cut.Length) + " bytes";
    std::filesystem::resize_file(cut.File, cut.Length);
    const TPlayerResult r = RunPlayer({"--headless", cut.File});
    EXPECT_EQ(r.ExitStatus, 1) << at;
    const std::vector<std::string> messages = r.LinesStartingWith("message");
    ASSERT_EQ(messages.size(), 1u) << at << ": " << messages.back();
    EXPECT_EQ(messages[0].rfind("message (error, ok): " + cut.File + "\\nThe file is damaged\\n[", 0), 0u)
        << at << ": " << messages[0];
    if (!cut.Entry.empty()) {
      EXPECT_NE(messages[0].find("entry \"" + cut.Entry + "\""), std::string::npos) << at << ": " << messages[0];
    }

    const TPlayerResult check = RunPlayer({"--check", cut.File});
    EXPECT_EQ(check.ExitStatus, 1) << at;
    EXPECT_EQ(std::count(check.StdOut.begin(), check.StdOut.end(), '\n'), 1) << at << ": " << check.StdOut;
    EXPECT_EQ(check.StdOut.rfind(cut.File + ":0: error: damaged package: ", 0), 0u) << at << ": " << check.StdOut;
    if (!cut.Entry.empty()) {
      EXPECT_NE(check.StdOut.find("entry \"" + cut.Entry + "\""), std::string::npos) << at << ": " << check.StdOut;
    }
    std::ofstream(cut.File, std::ios::binary | std::ios::trunc) << (cut.File == package ? whole : appended);
  }
  // Whole again, both play.
  EXPECT_EQ(RunPlayer({"--headless", package}).ExitStatus, 0);
  EXPECT_EQ(RunPlayer({"--headless", game}).ExitStatus, 0);
}

}  // namespace
}  // namespace pelto5::test
