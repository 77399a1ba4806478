// The writability test that decides where saves go, the user's data
// folder, and the letterbox that maps window points to picture pixels.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>

#include "platform/Letterbox.h"
#include "platform/UserFolders.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::TTempDir;

// Runs check in a child process whose private mount namespace has dir
// mounted read-only; -1 when such a mount cannot be made here (no
// privilege), else the check's answer.
int InReadOnlyMount(const std::string& dir, bool (*check)(const std::string&)) {
#ifdef _WIN32
  // Windows has no mount namespaces.
  (void)dir, (void)check;
  return -1;
#else
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      _exit(2);
    }
    _exit(check(dir) ? 1 : 0);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 2) return -1;
  return WEXITSTATUS(status);
#endif
}

TEST(UserFolders, WritableFoldersAndFoldersThatCouldBeCreatedAreWritable) {
  TTempDir dir;
  EXPECT_TRUE(TUserFolders::IsWritableDirectory(dir.Path()));
  EXPECT_TRUE(TUserFolders::IsWritableDirectory(dir.Path() + "/game/"));
  EXPECT_TRUE(TUserFolders::IsWritableDirectory(dir.Path() + "/a/b/c"));
  // A file where the folder would be: nothing can be made there.
  const std::string file = dir.Write("plain", "x");
  EXPECT_FALSE(TUserFolders::IsWritableDirectory(file));
  EXPECT_FALSE(TUserFolders::IsWritableDirectory(file + "/below"));
}

TEST(UserFolders, AReadOnlyMountIsNotWritableEvenForTheSuperuser) {
  TTempDir dir;
  const int folder = InReadOnlyMount(dir.Path(), [](const std::string& d) {
    return TUserFolders::IsWritableDirectory(d);
  });
  if (folder < 0) GTEST_SKIP() << "cannot make a private read-only mount here";
  EXPECT_EQ(folder, 0);
  EXPECT_EQ(InReadOnlyMount(dir.Path(), [](const std::string& d) {
              return TUserFolders::IsWritableDirectory(d + "/game/");
            }),
            0);
  // Outside the namespace the folder is as writable as before.
  EXPECT_TRUE(TUserFolders::IsWritableDirectory(dir.Path()));
}

TEST(UserFolders, CreateDirectoriesMakesEveryMissingLevel) {
  TTempDir dir;
  EXPECT_TRUE(TUserFolders::CreateDirectories(dir.Path() + "/x/y/z/"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/x/y/z"));
  EXPECT_TRUE(TUserFolders::CreateDirectories(dir.Path() + "/x/y/z"));
  EXPECT_FALSE(TUserFolders::CreateDirectories(dir.Write("f", "") + "/sub"));
}

// Sets an environment variable for the life of the object.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old, FHad = true;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~TScopedEnv() {
    if (FHad) {
      setenv(FName, FOld.c_str(), 1);
    } else {
      unsetenv(FName);
    }
  }

 private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

#ifdef _WIN32
TEST(UserFolders, DataHomeIsTheApplicationDataFolderWithForwardSlashes) {
  {
    TScopedEnv appData("APPDATA", "C:\\Users\\someone\\AppData\\Roaming\\");
    EXPECT_EQ(TUserFolders::DataHome(), "C:/Users/someone/AppData/Roaming");
    EXPECT_EQ(TUserFolders::ConfigHome(), "C:/Users/someone/AppData/Roaming");
  }
  {
    TScopedEnv appData("APPDATA", "relative\\data");  // no drive: ignored
    EXPECT_EQ(TUserFolders::DataHome(), "");
  }
}
#else
TEST(UserFolders, DataHomeFollowsXdgDataHomeAndFallsBackToHome) {
  TScopedEnv home("HOME", "/home/someone");
  {
    TScopedEnv xdg("XDG_DATA_HOME", "/srv/data/");
    EXPECT_EQ(TUserFolders::DataHome(), "/srv/data");
  }
  {
    TScopedEnv xdg("XDG_DATA_HOME", "relative/data");  // not absolute: ignored
    EXPECT_EQ(TUserFolders::DataHome(), "/home/someone/.local/share");
  }
  {
    TScopedEnv xdg("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(TUserFolders::DataHome(), "/home/someone/.local/share");
    TScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(TUserFolders::DataHome(), "");
  }
}
#endif

TEST(Letterbox, AWiderWindowGetsBarsLeftAndRightAndPointsMapBack) {
  const TLetterbox box = TLetterbox::Fit(320, 200, 1000, 600);
  EXPECT_EQ(box.X, 20);
  EXPECT_EQ(box.Y, 0);
  EXPECT_EQ(box.Width, 960);
  EXPECT_EQ(box.Height, 600);
  int x = 0;
  int y = 0;
  box.ToPicture(20, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  box.ToPicture(979, 599, x, y);
  EXPECT_EQ(x, 319);
  EXPECT_EQ(y, 199);
  // On the bars: outside the picture, never its edge pixel.
  box.ToPicture(19, 300, x, y);
  EXPECT_EQ(x, -1);
  box.ToPicture(980, 300, x, y);
  EXPECT_EQ(x, 320);
  box.ToOutput(220, 140, x, y);
  EXPECT_EQ(x, 680);
  EXPECT_EQ(y, 420);
}

TEST(Letterbox, ATallerWindowGetsBarsAboveAndBelow) {
  const TLetterbox box = TLetterbox::Fit(640, 480, 800, 800);
  EXPECT_EQ(box.X, 0);
  EXPECT_EQ(box.Width, 800);
  EXPECT_EQ(box.Height, 600);
  EXPECT_EQ(box.Y, 100);
  int x = 0;
  int y = 0;
  box.ToPicture(400, 99, x, y);
  EXPECT_EQ(y, -1);
  box.ToPicture(799, 699, x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  // The same size maps one to one; nonsense sizes do not divide by zero.
  const TLetterbox same = TLetterbox::Fit(640, 480, 640, 480);
  same.ToPicture(123, 456, x, y);
  EXPECT_EQ(x, 123);
  EXPECT_EQ(y, 456);
  const TLetterbox empty = TLetterbox::Fit(0, 0, 0, 0);
  empty.ToPicture(5, 5, x, y);
  EXPECT_EQ(empty.Width, 1);
}

}  // namespace
}  // namespace pelto5
