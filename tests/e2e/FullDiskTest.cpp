// Saving on a disk that fills up: a state save, a value file or the
// settings that cannot be written are reported in a box, the files they
// were to replace stay byte for byte, no temporary file is left, and play
// goes on. The file-size limit of the process (prlimit --fsize) makes
// every write past it fail as a full disk does; a tiny file system in a
// private mount namespace, where the tests may make one, is a full disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

// Larger than what the player writes besides the save: its settings and
// the lines on standard error. A state save, with its 80 x 60 thumbnail,
// is larger.
constexpr const char* kLimit = "--fsize=8192";

std::string SaveFailedLine(const std::string& path) {
  return "message (error, ok): The file \"" + path +
         "\" was not saved\\nThe disk is full or writing is not allowed.\\nThe previous file is kept as it was.";
}

// Files below folder whose names end in ".tmp".
std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") found.push_back(entry.path().string());
  }
  return found;
}

TPlayerResult RunLimited(const std::vector<std::string>& args) {
  std::vector<std::string> all = {kLimit, "--", PELTO5_PLAYER};
  all.insert(all.end(), args.begin(), args.end());
  return RunPlayerBinary("/usr/bin/prlimit", all);
}

// Saves the state into "s1.sav", then goes on to page "次", which counts
// the runs in the settings ("runs").
std::string SaveThenGoOnScript() {
  return MakeScript({"<Head=\"Pelto\">", "FileType=PV5", "StartBook=本", "StartPage=一", "<Head End>",
                     "<Book=\"本\">", "<Page=\"一\">",
                     "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
                     "Move.BookName=本", "Move.PageName=次", "@Move", "<Page End>",
                     "<Page=\"次\">",
                     "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=runs", "SaveCtrl.Variable=%runs%", "@SaveCtrl",
                     "ValueCtrl.ValueVar=%runs%", "ValueCtrl.LeftValue=%runs%", "ValueCtrl.RightValue=1",
                     "ValueCtrl.Calc=Add", "@ValueCtrl",
                     "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=runs", "SaveCtrl.Value=%runs%", "@SaveCtrl",
                     "<Page End>", "<Book End>"});
}

TEST(FullDisk, AStateSavePastTheFileSizeLimitKeepsTheOldSaveAndPlayGoesOn) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit (RLIMIT_FSIZE) to stand in for a full disk";
#endif
  TTempDir dir;
  const std::string script = dir.Write("g/story.pf5", SaveThenGoOnScript());
  const std::string data = dir.Path() + "/g/story/";
  fs::create_directories(data);
  ASSERT_EQ(RunPlayer({"--headless", script}).ExitStatus, 0);
  const std::string old = ReadFileText(data + "s1.sav");
  ASSERT_GT(old.size(), 8192u);

  const TPlayerResult r = RunLimited({"--headless", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("message"), std::vector<std::string>{SaveFailedLine(data + "s1.sav")});
  EXPECT_EQ(ReadFileText(data + "s1.sav"), old);
  EXPECT_TRUE(TemporaryFiles(dir.Path()).empty()) << TemporaryFiles(dir.Path()).front();
  // The page after the save ran, and the settings, which fit, were written.
  EXPECT_NE(ReadFileText(data + "p_save00.svi").find("runs=2\r\n"), std::string::npos);
}

TEST(FullDisk, AppendingAndTheSettingsPastTheLimitKeepTheirOldFiles) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit (RLIMIT_FSIZE) to stand in for a full disk";
#endif
  TTempDir dir;
  const std::string data = dir.Path() + "/g/story/";
  fs::create_directories(data);
  const std::string big(10000, 'x');
  auto scriptWith = [&](const std::vector<std::string>& page) {
    return dir.Write("g/story.pf5", MakeScript(ScriptWithPage(page)));
  };
  // The first run writes a state save and settings larger than the limit.
  const std::string script = scriptWith({"SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
                                         "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=big",
                                         "SaveCtrl.Value=" + big, "@SaveCtrl"});
  ASSERT_EQ(RunPlayer({"--headless", script}).ExitStatus, 0);
  const std::string oldSave = ReadFileText(data + "s1.sav");
  const std::string oldSettings = ReadFileText(data + "p_save00.svi");
  ASSERT_GT(oldSave.size(), 8192u);
  ASSERT_NE(oldSettings.find("big=" + big + "\r\n"), std::string::npos);

  // Appending values to the save needs a copy of its entries, which does
  // not fit: it is not opened, rather than replaced by a new file with its
  // values alone, and the values go nowhere. The settings are written at
  // the end and do not fit either.
  scriptWith({"SaveCtrl.Command=Append", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
              "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=more", "SaveCtrl.Value=1", "@SaveCtrl",
              "SaveCtrl.Command=Close", "@SaveCtrl",
              "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=next", "SaveCtrl.Value=1", "@SaveCtrl",
              "StringCtrl.StringVar=$after$", "StringCtrl.Text=went on", "@StringCtrl"});
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunLimited({"--headless", "--dump-state", dump, script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("message"),
            (std::vector<std::string>{SaveFailedLine(data + "s1.sav"), SaveFailedLine(data + "p_save00.svi")}));
  EXPECT_EQ(ReadFileText(data + "s1.sav"), oldSave);
  EXPECT_EQ(ReadFileText(data + "p_save00.svi"), oldSettings);
  EXPECT_TRUE(TemporaryFiles(dir.Path()).empty()) << TemporaryFiles(dir.Path()).front();
  EXPECT_NE(ReadFileText(dump).find("\nafter=went on\n"), std::string::npos) << ReadFileText(dump);
}

bool CanMountPrivately() {
#ifdef _WIN32
  return false;  // no mount namespaces
#endif
  return std::system("unshare -m sh -c 'mount -t tmpfs -o size=64k none /mnt' >/dev/null 2>&1") == 0;
}

TEST(FullDisk, AStateSaveOnAFullFileSystemKeepsTheOldSave) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs the privilege to make private mounts";
  TTempDir dir;
  const std::string script = dir.Write("g/story.pf5", SaveThenGoOnScript());
  fs::create_directories(dir.Path() + "/g/story");
  ASSERT_EQ(RunPlayer({"--headless", script}).ExitStatus, 0);
  const std::string old = ReadFileText(dir.Path() + "/g/story/s1.sav");
  const std::string oldSettings = ReadFileText(dir.Path() + "/g/story/p_save00.svi");
  // The game folder on a small file system of its own, filled up, for the
  // player alone; what it holds afterwards is copied to "after/".
  const std::string game = dir.Path() + "/g";
  const std::string after = dir.Path() + "/after";
  fs::create_directories(after);
  const TPlayerResult r = RunPlayerBinary(
      "/usr/bin/unshare",
      {"-m", "sh", "-c",
       "g=$1; a=$2; shift 2; cp -a \"$g\"/. \"$a\"/ && mount -t tmpfs -o size=256k none \"$g\" && "
       "cp -a \"$a\"/. \"$g\"/ && rm -rf \"$a\"/* && { dd if=/dev/zero of=\"$g/filler\" bs=4096 2>/dev/null; "
       "\"$@\"; s=$?; rm -f \"$g/filler\"; cp -a \"$g\"/. \"$a\"/; exit $s; }",
       "sh", game, after, PELTO5_PLAYER, "--headless", script});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::string data = game + "/story/";
  EXPECT_EQ(r.LinesStartingWith("message"),
            (std::vector<std::string>{SaveFailedLine(data + "s1.sav"), SaveFailedLine(data + "p_save00.svi")}));
  EXPECT_EQ(ReadFileText(after + "/story/s1.sav"), old);
  EXPECT_EQ(ReadFileText(after + "/story/p_save00.svi"), oldSettings);
  EXPECT_TRUE(fs::exists(after + "/story.pf5"));
  EXPECT_TRUE(TemporaryFiles(after).empty()) << TemporaryFiles(after).front();
}

}  // namespace
}  // namespace pelto5::test
