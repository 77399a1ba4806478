// Where saves go: the data directory, the user's folder when the data
// directory cannot be written, or the folder named on the command line;
// reads fall back to the data directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "save/SaveLocation.h"
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
  location.Choose("/nowhere/", "..", "", dir.Path(), false);
  EXPECT_EQ(location.SaveDirectory(), dir.Path() + "/pelto5/content/");
}

}  // namespace
}  // namespace pelto5
