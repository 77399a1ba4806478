// Finding what to play: a game folder instead of a content file, and the
// runtime library in each place it is looked for.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

// A script whose start page sets %played% to mark, for telling contents apart.
std::string MarkedScript(int mark) {
  return MakeScript(ScriptWithPage({"ValueCtrl.ValueVar=%played%", "ValueCtrl.LeftValue=" + std::to_string(mark),
                                    "@ValueCtrl"}));
}

// Packs the folder source into out with pelto5-pack; extra options first.
void Pack(const std::vector<std::string>& options, const std::string& out, const std::string& source) {
  std::vector<std::string> args = {"create"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(out);
  args.push_back(source);
  const TProgramResult run = RunPack(args);
  ASSERT_EQ(run.ExitStatus, 0) << out << ": " << run.StdErr;
}

// A package holding a marked script as "pelto.pf5".
void MakePackage(const TTempDir& dir, const std::string& out, int mark,
                 const std::vector<std::string>& options = {}) {
  const std::string source = dir.Path() + "/src" + std::to_string(mark);
  fs::create_directories(source);
  dir.Write("src" + std::to_string(mark) + "/pelto.pf5", MarkedScript(mark));
  Pack(options, out, source);
}

// A runtime library whose "_init" sets %lib% to mark before returning.
void MakeLibrary(const TTempDir& dir, const std::string& out, int mark) {
  const std::string source = dir.Path() + "/lib" + std::to_string(mark);
  fs::create_directories(source);
  dir.Write("lib" + std::to_string(mark) + "/system.pf5",
            MakeScript({"<Book=\"_system\">", "<Page=\"_init\">", "ValueCtrl.ValueVar=%lib%",
                        "ValueCtrl.LeftValue=" + std::to_string(mark), "@ValueCtrl", "@Return", "<Page End>",
                        "<Page=\"_reload\">", "@Return", "<Page End>", "<Book End>"}));
  fs::create_directories(fs::path(out).parent_path());
  Pack({"--magic", "PV5LIB"}, out, source);
}

struct TPlayed {
  TPlayerResult Result;
  std::string Dump;
};

TPlayed Play(const TTempDir& dir, const std::vector<std::string>& args,
             const std::string& player = PELTO5_PLAYER) {
  const std::string dump = dir.Path() + "/dump.txt";
  fs::remove(dump);
  std::vector<std::string> all = {"--headless", "--dump-state", dump};
  all.insert(all.end(), args.begin(), args.end());
  TPlayed played;
  played.Result = RunPlayerBinary(player, all);
  played.Dump = ReadFileText(dump);
  return played;
}

bool HasValue(const TPlayed& p, const std::string& line) { return p.Dump.find("\n" + line + "\n") != std::string::npos; }

TEST(GameFolder, PlaysItsOnlyPackageWhateverTheCaseOfItsName) {
  TTempDir dir;
  fs::create_directories(dir.Path() + "/Game");
  MakePackage(dir, dir.Path() + "/Game/STORY.PP5", 1);
  dir.Write("Game/notes.txt", "not content");
  fs::create_directories(dir.Path() + "/Game/STORY");
  const TPlayed p = Play(dir, {dir.Path() + "/Game"});
  EXPECT_EQ(p.Result.ExitStatus, 0);
  EXPECT_TRUE(HasValue(p, "played=1")) << p.Dump;
  // The package's own data directory beside it, as when it is named.
  EXPECT_TRUE(fs::exists(dir.Path() + "/Game/STORY/p_save00.svi"));
}

TEST(GameFolder, PlaysItsOnlyExecutableWithAnAppendedPackage) {
  TTempDir dir;
  fs::create_directories(dir.Path() + "/cd");
  const std::string stub = dir.Write("stub.exe", std::string("MZ") + std::string(200, '\x90'));
  MakePackage(dir, dir.Path() + "/cd/Game.Exe", 2, {"--exe", stub});
  dir.Write("cd/setup.exe", std::string("MZ") + std::string(300, '\0'));  // no package: not a candidate
  dir.Write("cd/pelto.pf5", MarkedScript(9));                             // only the last resort
  const TPlayed p = Play(dir, {dir.Path() + "/cd/"});
  EXPECT_EQ(p.Result.ExitStatus, 0);
  EXPECT_TRUE(HasValue(p, "played=2")) << p.Dump;
}

TEST(GameFolder, PlaysItsScriptWhenThereIsNoPackage) {
  TTempDir dir;
  dir.Write("plain/PELTO.PF5", MarkedScript(3));
  const TPlayed p = Play(dir, {"--", dir.Path() + "/plain"});
  EXPECT_EQ(p.Result.ExitStatus, 0);
  EXPECT_TRUE(HasValue(p, "played=3")) << p.Dump;
}

TEST(GameFolder, TwoPackagesAreRefusedWithBothNamed) {
  TTempDir dir;
  fs::create_directories(dir.Path() + "/two");
  MakePackage(dir, dir.Path() + "/two/first.pp5", 4);
  MakePackage(dir, dir.Path() + "/two/second.pp5", 5);
  const TPlayed p = Play(dir, {dir.Path() + "/two"});
  EXPECT_EQ(p.Result.ExitStatus, 1);
  const std::vector<std::string> boxes = p.Result.LinesStartingWith("message (error, ok): ");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("first.pp5"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("second.pp5"), std::string::npos) << boxes[0];
  EXPECT_FALSE(HasValue(p, "played=4") || HasValue(p, "played=5")) << p.Dump;
}

TEST(GameFolder, AFolderWithNothingToPlayIsRefused) {
  TTempDir dir;
  dir.Write("empty/readme.txt", "hello");
  const TPlayed p = Play(dir, {dir.Path() + "/empty"});
  EXPECT_EQ(p.Result.ExitStatus, 1);
  EXPECT_EQ(p.Result.LinesStartingWith("message (error, ok): ").size(), 1u);
}

// The runtime library: the command line's, else the content folder's, else
// the player folder's, else the installed one beside the player's bin/.
TEST(RuntimeLibrarySearch, FoundInEachPlaceInOrder) {
  TTempDir dir;
  dir.Write("game/game.pf5", MarkedScript(1));
  const std::string content = dir.Path() + "/game/game.pf5";
  // A copy of the player in an installed layout: prefix/bin/pelto5.
  fs::create_directories(dir.Path() + "/prefix/bin");
  const std::string player = dir.Path() + "/prefix/bin/pelto5";
  fs::copy_file(PELTO5_PLAYER, player);

  // None anywhere: the missing-library box, and the content still starts.
  TPlayed p = Play(dir, {content}, player);
  EXPECT_TRUE(p.Result.HasLine("message (error, ok): ペルトライブラリが開けません\\nCan't open - \"peltort5.pml\""))
      << (p.Result.ErrorLines.empty() ? "" : p.Result.ErrorLines[0]);

#ifndef _WIN32
  // (A Windows player keeps its installed files beside it: there is no
  // share/ folder to look in.)
  MakeLibrary(dir, dir.Path() + "/prefix/share/pelto5/peltort5.pml", 40);
  p = Play(dir, {content}, player);
  EXPECT_TRUE(HasValue(p, "lib=40")) << p.Dump;
#endif

  MakeLibrary(dir, dir.Path() + "/prefix/bin/peltort5.pml", 30);
  p = Play(dir, {content}, player);
  EXPECT_TRUE(HasValue(p, "lib=30")) << p.Dump;

  MakeLibrary(dir, dir.Path() + "/game/PeltoRT5.PML", 20);  // spelled as on a disc
  p = Play(dir, {content}, player);
  EXPECT_TRUE(HasValue(p, "lib=20")) << p.Dump;

  MakeLibrary(dir, dir.Path() + "/elsewhere/mine.pml", 10);
  p = Play(dir, {"--library", dir.Path() + "/elsewhere/mine.pml", content}, player);
  EXPECT_TRUE(HasValue(p, "lib=10")) << p.Dump;
  EXPECT_TRUE(p.Result.LinesStartingWith("message").empty());

  // A named library that does not open is reported, not replaced by another.
  p = Play(dir, {"--library", dir.Path() + "/elsewhere/none.pml", content}, player);
  EXPECT_EQ(p.Result.LinesStartingWith("message (error, ok): ペルトライブラリ").size(), 1u);
  EXPECT_FALSE(HasValue(p, "lib=20")) << p.Dump;
}

}  // namespace
}  // namespace pelto5::test
