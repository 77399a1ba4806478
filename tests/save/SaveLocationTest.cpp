// Where saves go: the data directory, the user's folder when the data
// directory cannot be written, or the folder named on the command line;
// reads fall back to the data directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "save/SaveLocation.h"
#include "save/UserSaveFolder.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::ReadFileText;
using test::TTempDir;

TEST(SaveLocation, AWritableDataDirectoryKeepsTheSaves) {
  TTempDir dir;
  TSaveLocation location;
  location.Choose(dir.Path() + "/game/", "game", "", dir.Path() + "/xdg", true);
  EXPECT_EQ(location.SaveDirectory(), dir.Path() + "/game/");
  EXPECT_FALSE(location.Redirected());
  EXPECT_EQ(location.WritePath("s1.sav"), dir.Path() + "/game/s1.sav");
  EXPECT_EQ(location.WritePath("..\\x.sav"), "");
  // Nothing is made in advance: the data directory is asked for on saving.
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/game"));
}

TEST(SaveLocation, AReadOnlyDataDirectorySendsSavesToTheUsersFolderAndReadsFallBack) {
  TTempDir dir;
  dir.Write("game/old.sav", "shipped");
  dir.Write("game/both.sav", "shipped");
  TSaveLocation location;
  location.Choose(dir.Path() + "/game/", "game", "", dir.Path() + "/xdg", false);
  const std::string own = dir.Path() + "/xdg/pelto5/game/";
  EXPECT_EQ(location.SaveDirectory(), own);
  EXPECT_TRUE(location.Redirected());
  EXPECT_TRUE(std::filesystem::is_directory(own));  // made without asking
  dir.Write("xdg/pelto5/game/both.sav", "mine");
  EXPECT_EQ(location.ReadPath("old.sav"), dir.Path() + "/game/old.sav");
  EXPECT_EQ(location.ReadPath("both.sav"), own + "both.sav");
  EXPECT_EQ(location.ReadPath("none.sav"), own + "none.sav");
  EXPECT_EQ(location.WritePath("old.sav"), own + "old.sav");
  // Appending to a value file that only came with the game copies it first.
  EXPECT_TRUE(location.PrepareAppend("old.sav"));
  EXPECT_EQ(ReadFileText(own + "old.sav"), "shipped");
  EXPECT_TRUE(location.PrepareAppend("none.sav"));
  EXPECT_FALSE(std::filesystem::exists(own + "none.sav"));
}

TEST(SaveLocation, AnExplicitFolderWinsAndIsCreated) {
  TTempDir dir;
  TSaveLocation location;
  location.Choose(dir.Path() + "/game/", "game", dir.Path() + "/mine/saves", dir.Path() + "/xdg", true);
  EXPECT_EQ(location.SaveDirectory(), dir.Path() + "/mine/saves/");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/mine/saves"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/xdg"));
}

TEST(SaveLocation, AContentNameThatIsNoFolderNameIsMadeOne) {
  TTempDir dir;
  TSaveLocation location;
  location.Choose("/nowhere/", "/nowhere/..", "", dir.Path(), false);
  EXPECT_EQ(location.SaveDirectory(), dir.Path() + "/pelto5/content/");
}

// Where a read-only game at contentPath saves, with the user's folder xdg.
std::string SavesOf(const std::string& contentPath, const std::string& xdg) {
  TSaveLocation location;
  location.Choose(test::TTempDir().Path() + "/ro/", contentPath, "", xdg, false);
  return location.SaveDirectory();
}

TEST(SaveLocation, GamesWithTheStandardScriptAreToldApartByTheirFolders) {
  TTempDir dir;
  const std::string a = dir.Write("games/Alpha/pelto.pf5", "a");
  const std::string b = dir.Write("games/beta/PELTO.PF5", "b");
  const std::string xdg = dir.Path() + "/xdg";
  EXPECT_EQ(SavesOf(a, xdg), xdg + "/pelto5/Alpha/");
  EXPECT_EQ(SavesOf(b, xdg), xdg + "/pelto5/beta/");
  EXPECT_EQ(ReadFileText(xdg + "/pelto5/Alpha/.pelto5-content"), "content=" + a + "\n");
  // Any other file name is the name, as before.
  EXPECT_EQ(SavesOf(dir.Write("games/Alpha/story.pp5", "s"), xdg), xdg + "/pelto5/story/");
}

TEST(SaveLocation, ANameTakenByAnotherGameGetsTheHashOfThePath) {
  TTempDir dir;
  const std::string one = dir.Write("one/story.pp5", "1");
  const std::string two = dir.Write("two/story.pp5", "2");
  const std::string xdg = dir.Path() + "/xdg";
  EXPECT_EQ(SavesOf(one, xdg), xdg + "/pelto5/story/");
  const std::string hashed = xdg + "/pelto5/story-" + TUserSaveFolder::ShortHash(two) + "/";
  EXPECT_EQ(SavesOf(two, xdg), hashed);
  // The same on every run, for either.
  EXPECT_EQ(SavesOf(two, xdg), hashed);
  EXPECT_EQ(SavesOf(one, xdg), xdg + "/pelto5/story/");
  EXPECT_NE(TUserSaveFolder::ShortHash(one), TUserSaveFolder::ShortHash(two));
  EXPECT_EQ(TUserSaveFolder::ShortHash(""), "811c9dc5");
  EXPECT_EQ(TUserSaveFolder::ShortHash("a"), "e40c292c");

  // An unmarked folder with files is an older player's, made for the
  // content of that file name: "story.pp5" takes it over, the standard
  // script of a folder "saga" does not take "saga" from "saga.pp5".
  dir.Write("xdg/pelto5/saga/s1.sav", "old");
  const std::string folderGame = dir.Write("saga/pelto.pf5", "f");
  EXPECT_EQ(SavesOf(folderGame, xdg), xdg + "/pelto5/saga-" + TUserSaveFolder::ShortHash(folderGame) + "/");
  const std::string saga = dir.Write("saga.pp5", "p");
  EXPECT_EQ(SavesOf(saga, xdg), xdg + "/pelto5/saga/");
  EXPECT_EQ(ReadFileText(xdg + "/pelto5/saga/s1.sav"), "old");
  EXPECT_EQ(ReadFileText(xdg + "/pelto5/saga/.pelto5-content"), "content=" + saga + "\n");
}

TEST(SaveLocation, SavesInTheOlderPlayersSharedFolderStayReadable) {
  TTempDir dir;
  dir.Write("xdg/pelto5/pelto/s1.sav", "old one");
  dir.Write("xdg/pelto5/pelto/s2.sav", "old two");
  const std::string game = dir.Write("Alpha/pelto.pf5", "a");
  const std::string xdg = dir.Path() + "/xdg";
  const std::string own = xdg + "/pelto5/Alpha/";
  for (int run = 0; run < 2; ++run) {
    TSaveLocation location;
    location.Choose(dir.Path() + "/Alpha/pelto/", game, "", xdg, false);
    EXPECT_EQ(location.SaveDirectory(), own);
    EXPECT_EQ(location.WritePath("s1.sav"), own + "s1.sav");
    EXPECT_EQ(location.ReadPath("s2.sav"), xdg + "/pelto5/pelto/s2.sav") << run;
    // A save made in the new folder is read from there; the old one stays.
    EXPECT_EQ(location.ReadPath("s1.sav"), (run == 0 ? xdg + "/pelto5/pelto/" : own) + "s1.sav") << run;
    dir.Write("xdg/pelto5/Alpha/s1.sav", "new");
  }
  EXPECT_EQ(ReadFileText(xdg + "/pelto5/pelto/s1.sav"), "old one");
}

TEST(SaveLocation, AnExplicitFolderThatCannotBeWrittenIsRefused) {
  TTempDir dir;
  dir.Write("file", "not a folder");
  const std::string game = dir.Write("game.pf5", "g");
  TSaveLocation location;
  location.Choose(dir.Path() + "/game/", game, dir.Path() + "/file/saves", dir.Path() + "/xdg", true);
  EXPECT_EQ(location.RefusedDirectory(), dir.Path() + "/file/saves/");
  EXPECT_EQ(location.SaveDirectory(), dir.Path() + "/xdg/pelto5/game/");
  EXPECT_TRUE(std::filesystem::is_directory(location.SaveDirectory()));

  location.Choose(dir.Path() + "/game/", game, dir.Path() + "/fine", dir.Path() + "/xdg", true);
  EXPECT_EQ(location.RefusedDirectory(), "");
  EXPECT_EQ(location.SaveDirectory(), dir.Path() + "/fine/");
}

}  // namespace
}  // namespace pelto5
