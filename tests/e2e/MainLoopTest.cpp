// End-to-end runs of the player on small scripts, headless.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::string kPage = "スタートブック/スタートページ";
// The runtime library's start-up page runs first and returns to the start page.
const std::string kInit = "trace: 200 _system/_init #0 @Return";

TPlayerResult RunScript(const std::vector<std::string>& pageLines, std::vector<std::string> extraArgs = {},
                        const std::vector<std::string>& header = {}) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage(pageLines, header)));
  std::vector<std::string> args = {"--headless", "--trace"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  args.push_back(script);
  return RunPlayer(args);
}

TEST(MainLoop, RemRunsOnEffectCostsATickAndThePageEndEndsTheRun) {
  const TPlayerResult r = RunScript({"@rem", "@rem", "@Effect", "@GraphicCtrl", "@WindowShow", "@rem"});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> expected = {
      kInit,
      "trace: 200 " + kPage + " #0 @rem",
      "trace: 200 " + kPage + " #1 @rem",
      "trace: 200 " + kPage + " #2 @Effect",
      "trace: 400 " + kPage + " #3 @GraphicCtrl",
      "trace: 600 " + kPage + " #4 @WindowShow",
      "trace: 800 " + kPage + " #5 @rem",
  };
  EXPECT_EQ(r.ErrorLines, expected);
}

TEST(MainLoop, UnknownCommandIsReportedOnceAndTheNextRunsAtTheNextTick) {
  const TPlayerResult r = RunScript({"Bogus.Key=1", "@Bogus", "  @rem  ", "@wait"});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> expected = {
      kInit,
      "trace: 200 " + kPage + " #0 @Bogus",
      "message (none, ok): debug error : unknown command - MainLoop_Step()",
      "trace: 400 " + kPage + " #1 @rem",
      "trace: 400 " + kPage + " #2 @wait",
      "message (none, ok): debug error : unknown command - MainLoop_Step()",
  };
  EXPECT_EQ(r.ErrorLines, expected);
}

TEST(MainLoop, MissingStartPageShowsTheBoxAndEnds) {
  const TPlayerResult r = RunScript({"@rem"}, {}, {"StartPage=どこにもない"});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> expected = {
      kInit,
      "message (error, ok): 存在しないページへのアクセスが発生しました。\\n「スタートブック」ブック、「どこにもない」ページ"};
  EXPECT_EQ(r.ErrorLines, expected);
}

TEST(MainLoop, AnEmptyExistingPageEndsWithoutAMessage) {
  const TPlayerResult r = RunScript({"no command here"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.ErrorLines, std::vector<std::string>{kInit});
}

TEST(MainLoop, TooManyCommandsShowsItsMessageAndEndsCleanly) {
  std::vector<std::string> page(501, "@rem");
  const TPlayerResult r = RunScript(page);
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> expected = {kInit, "message (error, ok): １ページあたりのコマンド数が多すぎます"};
  EXPECT_EQ(r.ErrorLines, expected);
}

// A copy of the player in a folder without the runtime library.
std::string PlayerWithoutLibrary(const TTempDir& dir) {
  const std::string copy = dir.Path() + "/pelto5";
  std::error_code ec;
  std::filesystem::copy_file(PELTO5_PLAYER, copy, ec);
  EXPECT_FALSE(ec) << copy << ": " << ec.message();
  return copy;
}

TEST(MainLoop, BrokenBlockStructureIsReportedAndTheRunGoesOn) {
  TTempDir dir;
  std::vector<std::string> lines = ScriptWithPage({"@Effect", "@rem"});
  lines.push_back("<Page End>");
  const std::string script = dir.Write("broken.pf5", MakeScript(lines));
  const std::string broken = "message (error, ok): ファイルが破損しています\\n[Page block miss start flag]";

  // Without the library the start page, indexed before the fault, runs.
  TTempDir bin;
  const TPlayerResult alone = RunPlayerBinary(PlayerWithoutLibrary(bin), {"--headless", "--trace", script});
  EXPECT_EQ(alone.ExitStatus, 0);
  ASSERT_GE(alone.ErrorLines.size(), 2u);
  EXPECT_EQ(alone.ErrorLines[0], broken);
  EXPECT_EQ(alone.LinesStartingWith("trace: 200 " + kPage + " #0 @Effect").size(), 1u);
  EXPECT_EQ(alone.LinesStartingWith("trace: 400 " + kPage + " #1 @rem").size(), 1u);

  // With it, the library's book is indexed on its own behind the fault: its
  // start-up page runs, then the start page; the fault is shown once.
  const TPlayerResult r = RunPlayer({"--headless", "--trace", script});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> expected = {
      broken, kInit, "trace: 200 " + kPage + " #0 @Effect", "trace: 400 " + kPage + " #1 @rem"};
  EXPECT_EQ(r.ErrorLines, expected);

  // A last book left without its end marker does not swallow the library's.
  std::vector<std::string> open = ScriptWithPage({"@rem"});
  open.push_back("<Book=\"開いたまま\">");
  const TPlayerResult o = RunPlayer({"--headless", "--trace", dir.Write("open.pf5", MakeScript(open))});
  EXPECT_EQ(o.ExitStatus, 0);
  EXPECT_EQ(o.ErrorLines, (std::vector<std::string>{kInit, "trace: 200 " + kPage + " #0 @rem"}));
}

// (A page that calls itself for ever ends at the deepest nesting instead;
// see the execution tests.)
TEST(MainLoop, APageThatJumpsToItselfForEverStillYieldsToTheTimeLimit) {
  for (const std::string command : {"Move"}) {
    SCOPED_TRACE(command);
    TTempDir dir;
    const std::vector<std::string> page = {command + ".BookName=スタートブック", command + ".PageName=スタートページ",
                                           "@" + command};
    const std::string script = dir.Write("loop.pf5", MakeScript(ScriptWithPage(page)));
    const std::string events = dir.Write("events.txt", "300 shot " + dir.Path() + "/mid.png\n");
    const TPlayerResult r = RunPlayer({"--headless", "--max-time", "1000", "--events", events, script});
    EXPECT_EQ(r.ExitStatus, 3);
    // The shot between two ticks was taken: events are handled.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/mid.png"));
  }
}

TEST(MainLoop, WithoutTheLibraryTheBoxShowsOnceAndTheStartPageRuns) {
  TTempDir dir;
  const std::string script = dir.Write("g.pf5", MakeScript(ScriptWithPage({"@rem", "@Return"})));
  const TPlayerResult r = RunPlayerBinary(PlayerWithoutLibrary(dir), {"--headless", "--trace", script});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> expected = {
      "message (error, ok): ペルトライブラリが開けません\\nCan't open - \"peltort5.pml\"",
      "trace: 200 " + kPage + " #0 @rem",
      "trace: 200 " + kPage + " #1 @Return",
      "message (warning, ok): スタックアンダーフローです。\\nサブルーチンコールが行われていないのに\\n復帰しようとしました。",
  };
  EXPECT_EQ(r.ErrorLines, expected);
}

TEST(MainLoop, MaxTimeStopsALongRunWithStatus3) {
  std::vector<std::string> page(400, "@Effect");
  const TPlayerResult r = RunScript(page, {"--max-time", "1000"});
  EXPECT_EQ(r.ExitStatus, 3);
  EXPECT_EQ(r.LinesStartingWith("trace: ").size(), 5u);
}

TEST(MainLoop, QuitEventEndsTheRunNormally) {
  TTempDir dir;
  const std::string events = dir.Write("events.txt", "# stop early\n450 quit\n");
  std::vector<std::string> page(400, "@Effect");
  const TPlayerResult r = RunScript(page, {"--events", events});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("trace: ").size(), 3u);
}

TEST(CommandLine, HelpUsageAndBadInput) {
  const TPlayerResult help = RunPlayer({"--help"});
  EXPECT_EQ(help.ExitStatus, 0);
  EXPECT_NE(help.StdOut.find("usage: pelto5"), std::string::npos);

  const TPlayerResult bad = RunPlayer({"--no-such-option"});
  EXPECT_EQ(bad.ExitStatus, 2);
  ASSERT_FALSE(bad.ErrorLines.empty());
  EXPECT_NE(bad.ErrorLines[0].find("--no-such-option"), std::string::npos);

  EXPECT_EQ(RunPlayer({"--headless", "--scale", "0", "x.pf5"}).ExitStatus, 2);
  EXPECT_EQ(RunPlayer({"--headless", "--answer", "maybe", "x.pf5"}).ExitStatus, 2);
}

TEST(CommandLine, MalformedEventsFileStopsBeforeTheRun) {
  TTempDir dir;
  const std::string script = dir.Write("g.pf5", MakeScript(ScriptWithPage({"@rem"})));
  const std::string events = dir.Write("events.txt", "100 click 1 2\n200 wiggle\n");
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--events", events, script});
  EXPECT_EQ(r.ExitStatus, 2);
  ASSERT_EQ(r.ErrorLines.size(), 1u);
  EXPECT_NE(r.ErrorLines[0].find(":2: "), std::string::npos) << r.ErrorLines[0];
  EXPECT_NE(r.ErrorLines[0].find("200 wiggle"), std::string::npos) << r.ErrorLines[0];
}

TEST(ContentOpening, MissingAndForeignFilesAreRefused) {
  TTempDir dir;
  const TPlayerResult missing = RunPlayer({"--headless", dir.Path() + "/nothing.pp5"});
  EXPECT_EQ(missing.ExitStatus, 1);
  EXPECT_TRUE(missing.HasLine("message (error, ok): " + dir.Path() + "/nothing.pp5が見つかりません"));
  // Content that did not open has no data directory: no settings are written
  // anywhere, the current folder included.
  EXPECT_FALSE(std::filesystem::exists("p_save00.svi"));

  const std::string foreign = dir.Write("abc.pf5", "abc\r\n<Head=\"Pelto\">\r\n");
  const TPlayerResult r = RunPlayer({"--headless", foreign});
  EXPECT_EQ(r.ExitStatus, 1);
  EXPECT_TRUE(r.HasLine("message (error, ok): ファイルのヘッダIDが違います。\\nこのファイルはペルトフォージ５で利用できるファイルではありません"));

  // Random bytes after "///" are a (broken) script: reported, never a crash.
  std::string junk = "///";
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919 + 13) & 0xFF);
  const TPlayerResult j = RunPlayer({"--headless", "--answer", "ignore", dir.Write("junk.pf5", junk)});
  EXPECT_TRUE(j.ExitStatus == 0 || j.ExitStatus == 1) << j.ExitStatus;
}

TEST(ContentOpening, HeaderChecksAskAbortOrIgnore) {
  TTempDir dir;
  const std::string script = dir.Write(
      "v.pf5", MakeScript({"<Head=\"Pelto\">", "FileType=PV4", "CommandVersion=20", "<Head End>",
                           "<Book=\"スタートブック\">", "<Page=\"スタートページ\">", "@rem", "<Page End>",
                           "<Book End>"}));
  const TPlayerResult ignored = RunPlayer({"--headless", "--trace", script});
  EXPECT_EQ(ignored.ExitStatus, 0);
  EXPECT_TRUE(ignored.HasLine("message (error, ignore): ファイルタイプが違います\\nこのファイルは正常に読み込めないかもしれません"));
  EXPECT_EQ(ignored.LinesStartingWith("message (error, ignore): このファイルには現バージョンで対応していない").size(), 1u);
  EXPECT_EQ(ignored.LinesStartingWith("trace: 200 " + kPage).size(), 1u);

  const TPlayerResult aborted = RunPlayer({"--headless", "--answer", "abort", "--trace", script});
  EXPECT_EQ(aborted.ExitStatus, 1);
  EXPECT_EQ(aborted.LinesStartingWith("message (error, abort): ").size(), 1u);
  EXPECT_TRUE(aborted.LinesStartingWith("trace:").empty());
}

}  // namespace
}  // namespace pelto5::test

namespace pelto5::test {
namespace {

// Width and height from a PNG file's header, or 0 x 0.
std::pair<int, int> PngSize(const std::string& path) {
  const std::string data = ReadFileText(path);
  if (data.size() < 24 || data.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be32 = [&](size_t at) {
    return (static_cast<unsigned char>(data[at]) << 24) | (static_cast<unsigned char>(data[at + 1]) << 16) |
           (static_cast<unsigned char>(data[at + 2]) << 8) | static_cast<unsigned char>(data[at + 3]);
  };
  return {be32(16), be32(20)};
}

TEST(Screenshots, ShotEventsAndTheShutdownScreenshotHaveTheScreenSize) {
  TTempDir dir;
  const std::string script = dir.Write(
      "g.pf5", MakeScript(ScriptWithPage({"@Effect", "@Effect"}, {"ImageWidth=320", "ImageHeight=240"})));
  const std::string events = dir.Write("events.txt", "100 shot " + dir.Path() + "/mid.png\n");
  const TPlayerResult r = RunPlayer(
      {"--headless", "--events", events, "--screenshot", dir.Path() + "/end.png", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(PngSize(dir.Path() + "/mid.png"), std::make_pair(320, 240));
  EXPECT_EQ(PngSize(dir.Path() + "/end.png"), std::make_pair(320, 240));
}

}  // namespace
}  // namespace pelto5::test
