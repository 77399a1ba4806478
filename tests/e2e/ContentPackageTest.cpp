// Opening packaged content: packages, executables with an appended package,
// the data directory and automatic extraction.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

int Pack(const std::vector<std::string>& args) {
  std::string command = PELTO5_PACK;
  for (const std::string& a : args) command += " '" + a + "'";
  return std::system((command + " >/dev/null 2>&1").c_str());
}

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

}  // namespace
}  // namespace pelto5::test
