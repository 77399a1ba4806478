// Content in a folder the player cannot write (a mounted disc image, a
// system-wide install): saves and settings go to the user's data folder and
// load back from there, and saves that came with the game still load. So do
// the files a package extracts and the screenshots.
// The tests run as the superuser, who may write anywhere on a writable
// file system, so the folder is made read-only by a read-only bind mount in
// a private mount namespace of the player's process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/MusicTestSupport.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

bool CanMountPrivately() {
#ifdef _WIN32
  return false;  // no mount namespaces
#endif
  return std::system("unshare -m sh -c 'mount --bind / /mnt 2>/dev/null || mount -t tmpfs none /mnt' "
                     ">/dev/null 2>&1") == 0;
}

// Runs the player with readOnly mounted read-only for it alone, and
// $XDG_DATA_HOME at xdg.
TPlayerResult RunOnReadOnly(const std::string& readOnly, const std::string& xdg,
                            const std::vector<std::string>& args) {
  std::vector<std::string> all = {"XDG_DATA_HOME=" + xdg, "unshare", "-m", "sh", "-c",
                                  "d=$1; shift; mount --bind \"$d\" \"$d\" && "
                                  "mount -o remount,bind,ro \"$d\" \"$d\" && exec \"$@\"",
                                  "sh", readOnly, PELTO5_PLAYER};
  all.insert(all.end(), args.begin(), args.end());
  return RunPlayerBinary("/usr/bin/env", all);
}

// Start page "一": when the system value "phase" is 1, loads "s1.sav" at
// once. Otherwise it sets %n% to 1 and saves in a called page; after the
// return a system value tells whether the load has happened: the first
// time it sets %n% to 2, stores the value and loads the save, which
// resumes after the call with %n% = 1 and ends in page "終".
std::string SaveAndLoadScript() {
  return MakeScript({"<Head=\"Pelto\">", "FileType=PV5", "StartBook=本", "StartPage=一", "<Head End>",
                     "<Book=\"本\">", "<Page=\"一\">",
                     "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=phase", "SaveCtrl.Variable=%phase%", "@SaveCtrl",
                     "if.Variable1=%phase%", "if.Variable2=1", "@if",
                     "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
                     "@endif",
                     "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=1", "@ValueCtrl",
                     "Call.BookName=本", "Call.PageName=保存", "@Call",
                     "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=loaded", "SaveCtrl.Variable=%loaded%", "@SaveCtrl",
                     "if.Variable1=%loaded%", "if.Variable2=1", "@if",
                     "Move.BookName=本", "Move.PageName=終", "@Move",
                     "@endif",
                     "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=2", "@ValueCtrl",
                     "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=loaded", "SaveCtrl.Value=1", "@SaveCtrl",
                     "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
                     "<Page End>",
                     "<Page=\"保存\">", "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
                     "@Return", "<Page End>",
                     "<Page=\"終\">", "@rem", "<Page End>", "<Book End>"});
}

bool Reloaded(const TPlayerResult& r) {
  for (const std::string& l : r.ErrorLines) {
    if (l.find("_system/_reload #0 @Return") != std::string::npos) return true;
  }
  return false;
}

TEST(ReadOnlyContent, SavesGoToTheUsersFolderAndLoadBack) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs the privilege to make private mounts";
  TTempDir dir;
  const std::string game = dir.Path() + "/disc";
  dir.Write("disc/story.pf5", SaveAndLoadScript());
  const std::string xdg = dir.Path() + "/xdg";
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunOnReadOnly(game, xdg, {"--headless", "--trace", "--dump-state", dump, game + "/story.pf5"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty()) << r.LinesStartingWith("message").front();
  const std::string saves = xdg + "/pelto5/story/";
  EXPECT_TRUE(fs::exists(saves + "s1.sav"));
  EXPECT_NE(ReadFileText(saves + "p_save00.svi").find("loaded=1\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(game + "/story"));
  EXPECT_TRUE(Reloaded(r));
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("Stack.PageName=終\n"), std::string::npos) << state;
  EXPECT_NE(state.find("\nn=1\n"), std::string::npos) << state;
  EXPECT_NE(state.find("\nloaded=1\n"), std::string::npos) << state;
}

TEST(ReadOnlyContent, ASaveThatCameWithTheGameLoadsWhenTheUsersFolderHasNone) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs the privilege to make private mounts";
  TTempDir dir;
  const std::string game = dir.Path() + "/copied";
  // Played once where it could write: the save and the settings are in
  // the game's own data directory.
  dir.Write("copied/story.pf5", SaveAndLoadScript());
  fs::create_directories(game + "/story");
  const std::string first = dir.Path() + "/first.txt";
  ASSERT_EQ(RunPlayer({"--headless", "--dump-state", first, game + "/story.pf5"}).ExitStatus, 0);
  ASSERT_TRUE(fs::exists(game + "/story/s1.sav"));
  const std::string shipped = ReadFileText(game + "/story/s1.sav");

  // Now read-only with an empty user folder, and the game's settings
  // asking for the load first: the game's save is loaded, the run goes on
  // after the saved call and ends in "終". Nothing in the game changes;
  // the run's settings are written to the user's folder.
  dir.Write("copied/story/p_save00.svi", "phase=1\r\n");
  const std::string xdg = dir.Path() + "/xdg";
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunOnReadOnly(game, xdg, {"--headless", "--trace", "--dump-state", dump, game + "/story.pf5"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty()) << r.LinesStartingWith("message").front();
  EXPECT_TRUE(Reloaded(r));
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("Stack.PageName=終\n"), std::string::npos) << state;
  EXPECT_NE(state.find("\nn=1\n"), std::string::npos) << state;
  EXPECT_FALSE(fs::exists(xdg + "/pelto5/story/s1.sav"));
  const std::string settings = ReadFileText(xdg + "/pelto5/story/p_save00.svi");
  EXPECT_NE(settings.find("phase=1\r\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("loaded=1\r\n"), std::string::npos) << settings;
  EXPECT_EQ(ReadFileText(game + "/story/s1.sav"), shipped);
  EXPECT_EQ(ReadFileText(game + "/story/p_save00.svi"), "phase=1\r\n");
}

TEST(ReadOnlyContent, SaveDirNamesTheFolderExplicitly) {
  TTempDir dir;
  dir.Write("g/story.pf5", SaveAndLoadScript());
  const std::string mine = dir.Path() + "/my saves";
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--save-dir", mine, dir.Path() + "/g/story.pf5"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(Reloaded(r));
  EXPECT_TRUE(fs::exists(mine + "/s1.sav"));
  EXPECT_TRUE(fs::exists(mine + "/p_save00.svi"));
  EXPECT_FALSE(fs::exists(dir.Path() + "/g/story"));
}

TEST(ReadOnlyContent, GameFoldersWithTheStandardScriptSaveApart) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs the privilege to make private mounts";
  TTempDir dir;
  const std::string games = dir.Path() + "/games";
  dir.Write("games/first/pelto.pf5", SaveAndLoadScript());
  dir.Write("games/second/pelto.pf5", SaveAndLoadScript());
  const std::string xdg = dir.Path() + "/xdg";
  const TPlayerResult first = RunOnReadOnly(games, xdg, {"--headless", games + "/first"});
  EXPECT_EQ(first.ExitStatus, 0);
  const std::string firstSave = ReadFileText(xdg + "/pelto5/first/s1.sav");
  EXPECT_FALSE(firstSave.empty());
  const TPlayerResult second = RunOnReadOnly(games, xdg, {"--headless", "--trace", games + "/second/pelto.pf5"});
  EXPECT_EQ(second.ExitStatus, 0);
  EXPECT_TRUE(Reloaded(second));
  EXPECT_TRUE(fs::exists(xdg + "/pelto5/second/s1.sav"));
  // The second game neither read the first one's values nor wrote over its save.
  EXPECT_EQ(ReadFileText(xdg + "/pelto5/first/s1.sav"), firstSave);
  EXPECT_NE(ReadFileText(xdg + "/pelto5/second/p_save00.svi").find("loaded=1\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(xdg + "/pelto5/pelto"));
}

TEST(ReadOnlyContent, SavesOfTheOlderSharedFolderStillLoad) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs the privilege to make private mounts";
  TTempDir dir;
  const std::string games = dir.Path() + "/games";
  dir.Write("games/first/pelto.pf5", SaveAndLoadScript());
  // Where an older player kept the saves of every "pelto.pf5": a save made
  // there, and settings that ask for it to be loaded first.
  const std::string xdg = dir.Path() + "/xdg";
  fs::create_directories(games + "/first/pelto");
  ASSERT_EQ(RunPlayer({"--headless", games + "/first/pelto.pf5"}).ExitStatus, 0);
  fs::create_directories(xdg + "/pelto5/pelto");
  fs::rename(games + "/first/pelto/s1.sav", xdg + "/pelto5/pelto/s1.sav");
  fs::remove_all(games + "/first/pelto");
  dir.Write("xdg/pelto5/pelto/p_save00.svi", "phase=1\r\n");

  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunOnReadOnly(games, xdg, {"--headless", "--trace", "--dump-state", dump, games + "/first"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty()) << r.LinesStartingWith("message").front();
  EXPECT_TRUE(Reloaded(r));
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("Stack.PageName=終\n"), std::string::npos) << state;
  EXPECT_NE(ReadFileText(xdg + "/pelto5/first/p_save00.svi").find("phase=1\r\n"), std::string::npos);
  EXPECT_EQ(ReadFileText(xdg + "/pelto5/pelto/p_save00.svi"), "phase=1\r\n");
}

TEST(ReadOnlyContent, ASaveDirThatCannotBeWrittenIsSaidAndAvoided) {
  TTempDir dir;
  dir.Write("g/story.pf5", SaveAndLoadScript());
  dir.Write("file", "not a folder");
  struct TRun {
    std::string Refused;
    std::string Xdg;
    TPlayerResult Result;
  };
  std::vector<TRun> runs;
  const std::string underFile = dir.Path() + "/file/saves";
  const std::string xdg1 = dir.Path() + "/xdg1";
  runs.push_back({underFile, xdg1,
                  RunPlayerBinary(PELTO5_PLAYER,
                                  {"--headless", "--trace", "--save-dir", underFile, dir.Path() + "/g/story.pf5"},
                                  UserDataAt(xdg1))});
  if (CanMountPrivately()) {
    const std::string mounted = dir.Path() + "/ro saves";
    const std::string xdg2 = dir.Path() + "/xdg2";
    fs::create_directories(mounted);
    runs.push_back({mounted, xdg2,
                    RunOnReadOnly(mounted, xdg2,
                                  {"--headless", "--trace", "--save-dir", mounted, dir.Path() + "/g/story.pf5"})});
    EXPECT_TRUE(fs::is_empty(mounted));
  }
  for (const TRun& run : runs) {
    const TPlayerResult& r = run.Result;
    const std::string saves = run.Xdg + "/pelto5/story/";
    EXPECT_EQ(r.ExitStatus, 0) << run.Refused;
    const std::vector<std::string> said = r.LinesStartingWith("pelto5: cannot write saves into --save-dir");
    ASSERT_EQ(said.size(), 1u) << run.Refused;
    EXPECT_EQ(said[0], "pelto5: cannot write saves into --save-dir " + run.Refused + "/; they go to " + saves +
                           " instead");
    const std::vector<std::string> boxes = r.LinesStartingWith("message");
    ASSERT_EQ(boxes.size(), 1u) << run.Refused;
    EXPECT_EQ(boxes[0], "message (warning, ok): The save folder cannot be written\\n\"" + run.Refused +
                            "/\"\\nSaves go to this folder instead\\n\"" + saves + "\"");
    // Saved where a game on a read-only disc would have, and loaded back.
    EXPECT_TRUE(Reloaded(r)) << run.Refused;
    EXPECT_TRUE(fs::exists(saves + "s1.sav")) << run.Refused;
  }
  EXPECT_FALSE(fs::exists(dir.Path() + "/g/story"));
}

// A package that extracts its music ("AutoExtract") on a read-only disc:
// the music goes to the user's folder without a question (the data
// directory could not be made anyway) and plays from there; F12 puts the
// screenshot beside it. A file the read-only data directory already has is
// not extracted again.
TEST(ReadOnlyContent, ExtractedFilesAndScreenshotsGoToTheUsersFolder) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs the privilege to make private mounts";
  TTempDir dir;
  dir.Write("src/pelto.pf5",
            MakeScript(ScriptWithPage({"Music.FileName=bgm.wav", "@Music", "Sound.FileName=shipped.wav", "@Sound",
                                       "Wait.TimeBreak=1", "Wait.Time=10000", "@Wait"},
                                      {"AutoExtract=1"})));
  dir.Write("src/bgm.wav", WaveOfMs(1000));
  dir.Write("src/shipped.wav", WaveOfMs(300));
  const std::string disc = dir.Path() + "/disc";
  const std::string package = disc + "/story.pp5";
  std::filesystem::create_directories(disc + "/story");
  dir.Write("disc/story/shipped.wav", WaveOfMs(300));
  ASSERT_EQ(RunPack({"create", "--extract", "*.wav", package, dir.Path() + "/src"}).ExitStatus, 0);
  const std::string xdg = dir.Path() + "/xdg";
  const std::string events = dir.Write("events.txt", "1000 key 123\n");
  const TPlayerResult r = RunOnReadOnly(
      disc, xdg, {"--headless", "--trace-audio", "--events", events, "--max-time", "3000", package});
  EXPECT_EQ(r.ExitStatus, 3);
  EXPECT_TRUE(r.LinesStartingWith("message").empty()) << r.LinesStartingWith("message").front();
  const std::string saves = xdg + "/pelto5/story/";
  EXPECT_EQ(ReadFileText(saves + "bgm.wav"), WaveOfMs(1000));
  EXPECT_FALSE(fs::exists(saves + "shipped.wav"));
  EXPECT_TRUE(r.HasLine("audio: 200 music open bgm.wav 1000ms"));
  EXPECT_TRUE(r.HasLine("audio: 200 sound open shipped.wav 300ms"));
  EXPECT_TRUE(fs::exists(saves + "screenshot-20000101-000001.png"));
  EXPECT_EQ(std::distance(fs::directory_iterator(disc + "/story"), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace pelto5::test
