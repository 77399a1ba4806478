// pelto5 --test end to end: a folder of events files played against a
// small scenario; new pictures are written, equal ones pass, a changed
// scene fails with a difference picture, and bad input is told apart.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/PngTestSupport.h"
#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

// A 4 x 4 picture, all grey but one pixel: the opening picture.
std::string OpeningPng(uint8_t red) {
  TPngImage png;
  png.Width = 4;
  png.Height = 4;
  png.Data.assign(4 * 4 * 3, 0x80);
  png.Data[(1 * 4 + 2) * 3] = red;  // pixel (2, 1)
  return EncodePng(png);
}

struct TGame {
  TTempDir Dir;
  std::string Script;
  std::string Tests;
  TGame() {
    Script = Dir.Write("game.pf5", MakeScript(ScriptWithPage({"Wait.TimeBreak=1", "Wait.Time=1000", "@Wait"},
                                                             {"ImageWidth=64", "ImageHeight=48", "Opening=op.png"})));
    Dir.Write("op.png", OpeningPng(0x80));
    Tests = Dir.Path() + "/tests";
    std::filesystem::create_directory(Tests);
    Dir.Write("tests/opening.events", "300 shot start.png\n");
    Dir.Write("tests/two-shots.events", "300 shot early.png\n900 shot late.png\n");
  }
  TPlayerResult Test(std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"--test", Tests};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(Script);
    return RunPlayer(args);
  }
};

TEST(ScenarioTests, NewPicturesAreWrittenThenEqualOnesPassAndAChangeFails) {
  TGame game;
  const TPlayerResult first = game.Test();
  EXPECT_EQ(first.ExitStatus, 0) << first.StdOut;
  EXPECT_EQ(first.StdOut,
            "NEW   opening: start.png written\n"
            "NEW   two-shots: early.png written; late.png written\n"
            "2 tests: 0 passed, 2 new, 0 failed, 0 errors\n");
  const TRgbImage start = ReadPng(game.Tests + "/start.png");
  ASSERT_EQ(start.Width, 64);
  EXPECT_EQ(start.At(2, 1), 0x808080u);

  const std::string junit = game.Dir.Path() + "/report.xml";
  const TPlayerResult again = game.Test({"--junit", junit});
  EXPECT_EQ(again.ExitStatus, 0);
  EXPECT_EQ(again.StdOut,
            "PASS  opening (1 pictures)\nPASS  two-shots (2 pictures)\n"
            "2 tests: 2 passed, 0 new, 0 failed, 0 errors\n");
  EXPECT_NE(ReadFileText(junit).find("<testsuites tests=\"2\" failures=\"0\" errors=\"0\">"), std::string::npos)
      << ReadFileText(junit);

  // One pixel of the scene changes: every test that sees it fails, and
  // leaves a picture of where.
  game.Dir.Write("op.png", OpeningPng(0xFF));
  const TPlayerResult changed = game.Test({"--junit", junit});
  EXPECT_EQ(changed.ExitStatus, 1);
  EXPECT_EQ(changed.StdOut,
            "FAIL  opening: start.png differs in 1 pixels, see start.diff.png\n"
            "FAIL  two-shots: early.png differs in 1 pixels, see early.diff.png; late.png differs in 1 pixels, "
            "see late.diff.png\n"
            "2 tests: 0 passed, 0 new, 2 failed, 0 errors\n");
  const TRgbImage diff = ReadPng(game.Tests + "/start.diff.png");
  ASSERT_EQ(diff.Width, 64);
  ASSERT_EQ(diff.Height, 48);
  int red = 0;
  for (int y = 0; y < diff.Height; ++y) {
    for (int x = 0; x < diff.Width; ++x) red += diff.At(x, y) == 0xFF0000u ? 1 : 0;
  }
  EXPECT_EQ(red, 1);
  EXPECT_EQ(diff.At(2, 1), 0xFF0000u);
  // The rest is the expected picture faded towards white.
  EXPECT_EQ(diff.At(0, 0), 0xE0E0E0u);
  const std::string report = ReadFileText(junit);
  EXPECT_NE(report.find("tests=\"2\" failures=\"2\" errors=\"0\""), std::string::npos) << report;
  EXPECT_NE(report.find("<failure message=\"start.png differs in 1 pixels, see start.diff.png\"/>"),
            std::string::npos)
      << report;
  // The expected pictures are kept as they were.
  EXPECT_EQ(ReadPng(game.Tests + "/start.png").At(2, 1), 0x808080u);
}

TEST(ScenarioTests, RunsThatDoNotEndAndBadInputAreTold) {
  TGame game;
  // A run stopped by the time limit is a failure, not a pass.
  game.Dir.Write("tests/opening.events", "300 shot start.png\n");
  const TPlayerResult slow = game.Test({"--max-time", "500"});
  EXPECT_EQ(slow.ExitStatus, 1) << slow.StdOut;
  EXPECT_NE(slow.StdOut.find("FAIL  opening: stopped by --max-time at 500 ms"), std::string::npos) << slow.StdOut;

  // An events file that does not parse: bad input, the others still run.
  game.Dir.Write("tests/broken.events", "100 jump\n");
  const TPlayerResult broken = game.Test();
  EXPECT_EQ(broken.ExitStatus, 2);
  EXPECT_NE(broken.StdOut.find("ERROR broken: events file "), std::string::npos) << broken.StdOut;
  EXPECT_NE(broken.StdOut.find("PASS  opening (1 pictures)"), std::string::npos) << broken.StdOut;

  EXPECT_EQ(RunPlayer({"--test", game.Dir.Path() + "/none", game.Script}).ExitStatus, 2);
  EXPECT_EQ(RunPlayer({"--test", game.Dir.Path(), game.Script}).ExitStatus, 2) << "a folder without events files";
  EXPECT_EQ(RunPlayer({"--test", game.Tests}).ExitStatus, 2) << "no content";
  EXPECT_EQ(RunPlayer({"--test", game.Tests, game.Dir.Path() + "/missing.pf5"}).ExitStatus, 2);
  EXPECT_EQ(RunPlayer({"--junit", game.Dir.Path() + "/r.xml", game.Script}).ExitStatus, 2);
}

// The demo's own tests, copied so that nothing is written into the tree:
// every picture is committed and still equal.
TEST(ScenarioTests, TheDemoPlaysAsItsTestsExpect) {
  TTempDir dir;
  const std::string tests = dir.Path() + "/demo-tests";
  std::filesystem::copy(std::string(PELTO5_SOURCE_DIR) + "/data/demo-tests", tests);
  const TPlayerResult r = RunPlayer({"--test", tests, std::string(PELTO5_BINARY_DIR) + "/demo.pp5"});
  EXPECT_EQ(r.ExitStatus, 0) << r.StdOut;
  EXPECT_NE(r.StdOut.find(" passed, 0 new, 0 failed, 0 errors\n"), std::string::npos) << r.StdOut;
  EXPECT_EQ(r.StdOut.find("PASS  "), 0u) << r.StdOut;
}

}  // namespace
}  // namespace pelto5::test
