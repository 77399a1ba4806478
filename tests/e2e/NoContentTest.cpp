// Started without content and with no package beside the player, as the
// desktop's menu entry starts it: a headless run says how to name one and
// exits 1; a windowed one asks with the desktop's file chooser (a stand-in
// zenity here) and plays what was chosen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

// A copy of the player in dir/bin/, with the runtime library beside it.
std::string PlayerIn(const TTempDir& dir) {
  fs::create_directories(dir.Path() + "/bin");
  const std::string copy = dir.Path() + "/bin/pelto5";
  fs::copy_file(PELTO5_PLAYER, copy);
  fs::copy_file(fs::path(PELTO5_PLAYER).parent_path() / "peltort5.pml", dir.Path() + "/bin/peltort5.pml");
  return copy;
}

// A script whose start page sets %played% to mark.
std::string MarkedScript(int mark) {
  return MakeScript(ScriptWithPage({"ValueCtrl.ValueVar=%played%", "ValueCtrl.LeftValue=" + std::to_string(mark),
                                    "@ValueCtrl"}));
}

bool Played(const std::string& dump, int mark) {
  return dump.find("\nplayed=" + std::to_string(mark) + "\n") != std::string::npos;
}

TEST(NoContent, AHeadlessRunSaysHowToNameOneAndExits1UnlessAPackageIsBesideThePlayer) {
  TTempDir dir;
  const std::string player = PlayerIn(dir);
  const TPlayerResult r = RunPlayerBinary(player, {"--headless"});
  EXPECT_EQ(r.ExitStatus, 1);
  const std::vector<std::string> boxes = r.LinesStartingWith("message (error, ok): There is no game to play");
  ASSERT_EQ(boxes.size(), 1u) << (r.ErrorLines.empty() ? "" : r.ErrorLines.front());
  EXPECT_NE(boxes[0].find("\"" + dir.Path() + "/bin/pelto5.pp5\""), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("pelto5 GAME.pp5"), std::string::npos) << boxes[0];
  EXPECT_EQ(r.ErrorLines.size(), 1u);

  // The package beside the player is its content, as ever.
  dir.Write("src/pelto.pf5", MarkedScript(1));
  ASSERT_EQ(RunPack({"create", dir.Path() + "/bin/pelto5.pp5", dir.Path() + "/src"}).ExitStatus, 0);
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult beside = RunPlayerBinary(player, {"--headless", "--dump-state", dump});
  EXPECT_EQ(beside.ExitStatus, 0);
  EXPECT_TRUE(beside.LinesStartingWith("message").empty()) << beside.ErrorLines.front();
  EXPECT_TRUE(Played(ReadFileText(dump), 1)) << ReadFileText(dump);
}

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

// A stand-in for zenity in dir/tools/ that notes its arguments and then
// runs body.
std::string FakeZenity(const TTempDir& dir, const std::string& body) {
  const std::string path = dir.Write("tools/zenity", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + dir.Path() +
                                                         "/zenity-args.txt'\n" + body + "\n");
  fs::permissions(path, fs::perms::owner_all);
  return "PATH=" + dir.Path() + "/tools:/usr/bin:/bin";
}

TEST(SdlNoContent, TheWindowAsksWithTheDesktopsChooserAndPlaysTheFileChosen) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows the chooser is the system's own dialog, which no stand-in program replaces";
#endif
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  TTempDir dir;
  const std::string player = PlayerIn(dir);
  const std::string game = dir.Write("game/灯台.pf5", MarkedScript(7));
  const std::string path = FakeZenity(dir, "echo '" + game + "'");
  const std::string dump = dir.Path() + "/dump.txt";
  // A box in the window would wait for an answer: the time limit ends it.
  const TPlayerResult r = RunPlayerBinary("/usr/bin/timeout", {"20", player, "--dump-state", dump}, {path});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(Played(ReadFileText(dump), 7)) << ReadFileText(dump);
  const std::string args = ReadFileText(dir.Path() + "/zenity-args.txt");
  EXPECT_NE(args.find("--file-selection\n"), std::string::npos) << args;
  EXPECT_NE(args.find("--title=Choose a game to play\n"), std::string::npos) << args;
  EXPECT_NE(args.find("*.pp5"), std::string::npos) << args;
}

TEST(SdlNoContent, CancellingTheChooserEndsTheRunWithoutABox) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows the chooser is the system's own dialog, which no stand-in program replaces";
#endif
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  TTempDir dir;
  const std::string player = PlayerIn(dir);
  const std::string path = FakeZenity(dir, "exit 1");
  const TPlayerResult r = RunPlayerBinary("/usr/bin/timeout", {"20", player}, {path});
  EXPECT_EQ(r.ExitStatus, 1);
  EXPECT_TRUE(r.ErrorLines.empty()) << r.ErrorLines.front();
  EXPECT_NE(ReadFileText(dir.Path() + "/zenity-args.txt").find("--file-selection"), std::string::npos);
}

}  // namespace
}  // namespace pelto5::test
