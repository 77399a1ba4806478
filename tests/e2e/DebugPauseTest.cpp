// Pausing, single-stepping and breakpoints end to end, headless: --break
// and the debug window's controls ("debug-pause", "debug-resume",
// "debug-step", a click on a command row) hold the scenario before a
// command, and the state dump shows where it stood.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

std::string ViewValue(const std::string& dump, const std::string& key) {
  for (const std::string& line : DumpSection(dump, "debug-view")) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "";
}

struct TRun {
  TPlayerResult Result;
  std::string Dump;
  std::vector<std::string> Debug;  // the [debug] section
  std::string Values;              // the [values] section, one "name=value" a line
};

// Page: a=1, b=2, c=3 (commands #0 to #2), a one-second wait (#3), d=4 (#4).
std::vector<std::string> CountingScript(const std::vector<std::string>& header = {}) {
  return ScriptWithPage({"ValueCtrl.ValueVar=%a%", "ValueCtrl.LeftValue=1", "@ValueCtrl",
                         "ValueCtrl.ValueVar=%b%", "ValueCtrl.LeftValue=2", "@ValueCtrl",
                         "ValueCtrl.ValueVar=%c%", "ValueCtrl.LeftValue=3", "@ValueCtrl",
                         "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait",
                         "ValueCtrl.ValueVar=%d%", "ValueCtrl.LeftValue=4", "@ValueCtrl"},
                        header);
}

TRun Play(const TTempDir& dir, const std::vector<std::string>& script, const std::string& events,
         std::vector<std::string> extra = {}) {
  const std::string game = dir.Write("game.pf5", MakeScript(script));
  const std::string dump = dir.Path() + "/dump.txt";
  std::vector<std::string> args = {"--headless", "--max-time", "4000", "--dump-state", dump,
                                   "--events", dir.Write("events.txt", events)};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(game);
  TRun run;
  run.Result = RunPlayer(args);
  run.Dump = ReadFileText(dump);
  run.Debug = DumpSection(run.Dump, "debug");
  for (const std::string& line : DumpSection(run.Dump, "values")) run.Values += line + "\n";
  return run;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int RowOf(const std::vector<std::string>& rows, const std::string& prefix) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

TEST(DebugPause, ABreakpointHoldsTheCommandUntilResumedOrStepped) {
  TTempDir dir;
  const std::vector<std::string> brk = {"--break", "スタートブック/スタートページ#1"};
  // Held before #1 for good: the time limit ends the run, the window
  // shows the command row selected with its breakpoint and "next" marks.
  const TRun held = Play(dir, CountingScript(), "", brk);
  EXPECT_EQ(held.Result.ExitStatus, 3) << held.Dump;
  EXPECT_EQ(held.Values, "a=1\n") << held.Dump;
  EXPECT_TRUE(Has(held.Debug, "Paused=1")) << held.Dump;
  EXPECT_TRUE(Has(held.Debug, "Breakpoint=スタートブック/スタートページ#1")) << held.Dump;
  const int row = RowOf(held.Debug, "●→#1=@ValueCtrl");
  ASSERT_GE(row, 0) << held.Dump;
  EXPECT_EQ(ViewValue(held.Dump, "Selected"), std::to_string(row));
  EXPECT_EQ(RowOf(held.Debug, "#0=@ValueCtrl"), row - 1) << "every command of the page has a row";

  // Resumed, it runs on from there without stopping at #1 again.
  const TRun resumed = Play(dir, CountingScript(), "1000 debug-resume\n", brk);
  EXPECT_EQ(resumed.Result.ExitStatus, 0) << resumed.Dump;
  EXPECT_EQ(resumed.Values, "a=1\nb=2\nc=3\nd=4\n");
  EXPECT_TRUE(Has(resumed.Debug, "Paused=0")) << resumed.Dump;

  // Two single steps run #1 and #2 and leave it held before the wait.
  const TRun stepped = Play(dir, CountingScript(), "1000 debug-step\n1200 debug-step\n", brk);
  EXPECT_EQ(stepped.Result.ExitStatus, 3);
  EXPECT_EQ(stepped.Values, "a=1\nb=2\nc=3\n") << stepped.Dump;
  EXPECT_TRUE(Has(stepped.Debug, "Paused=1"));
  EXPECT_EQ(ViewValue(stepped.Dump, "Selected"), std::to_string(RowOf(stepped.Debug, "→#3=@Wait")))
      << stepped.Dump;

  // "BOOK/PAGE" alone is the page's first command.
  const TRun first = Play(dir, CountingScript(), "", {"--break", "スタートブック/スタートページ"});
  EXPECT_EQ(first.Values, "") << first.Dump;
  EXPECT_TRUE(Has(first.Debug, "Breakpoint=スタートブック/スタートページ#0")) << first.Dump;
}

TEST(DebugPause, PausingHoldsTheNextCommandWhileTheWaitRunsOut) {
  TTempDir dir;
  const std::vector<std::string> debug = {"DebugMode=1"};
  // Paused during the wait: the wait ends, but #4 is never fetched.
  const TRun paused = Play(dir, CountingScript(debug), "500 debug-pause\n");
  EXPECT_EQ(paused.Result.ExitStatus, 3);
  EXPECT_EQ(paused.Values, "a=1\nb=2\nc=3\n") << paused.Dump;
  EXPECT_TRUE(Has(paused.Debug, "Paused=1"));
  // Resumed later, the rest runs; paused and resumed within the wait,
  // nothing changes for the scenario.
  const TRun resumed = Play(dir, CountingScript(debug), "500 debug-pause\n3000 debug-resume\n");
  EXPECT_EQ(resumed.Result.ExitStatus, 0);
  EXPECT_EQ(resumed.Values, "a=1\nb=2\nc=3\nd=4\n");
  EXPECT_TRUE(Has(resumed.Debug, "Paused=0"));

  // Without a debug window, the controls are not there to be used.
  const TRun none = Play(dir, CountingScript(), "500 debug-pause\n");
  EXPECT_EQ(none.Result.ExitStatus, 0);
  EXPECT_TRUE(none.Result.HasLine("headless: there is no debug window for a debug event"));
  EXPECT_EQ(none.Values, "a=1\nb=2\nc=3\nd=4\n");
}

TEST(DebugPause, AClickOnACommandRowTogglesItsBreakpoint) {
  TTempDir dir;
  const std::vector<std::string> debug = {"DebugMode=1"};
  // Where the rows stand while the wait runs.
  const TRun look = Play(dir, CountingScript(debug), "");
  const int row = RowOf(look.Debug, "#4=@ValueCtrl");
  ASSERT_GE(row, 0) << look.Dump;
  const std::string heights = ViewValue(look.Dump, "Heights");
  const int h = std::stoi(heights.substr(0, heights.find(',')));
  // The list's rows start 46 pixels down; every row here is one line high.
  const std::string y = std::to_string(46 + row * h + h / 2);

  const TRun set = Play(dir, CountingScript(debug), "300 debug-click 100 " + y + "\n");
  EXPECT_EQ(set.Result.ExitStatus, 3);
  EXPECT_TRUE(Has(set.Debug, "Breakpoint=スタートブック/スタートページ#4")) << set.Dump;
  EXPECT_EQ(set.Values, "a=1\nb=2\nc=3\n") << set.Dump;
  EXPECT_GE(RowOf(set.Debug, "●→#4="), 0) << set.Dump;

  // A second click takes it away again.
  const TRun cleared = Play(dir, CountingScript(debug), "300 debug-click 100 " + y + "\n400 debug-click 100 " + y + "\n");
  EXPECT_EQ(cleared.Result.ExitStatus, 0) << cleared.Dump;
  EXPECT_EQ(RowOf(cleared.Debug, "Breakpoint="), -1) << cleared.Dump;
  EXPECT_EQ(cleared.Values, "a=1\nb=2\nc=3\nd=4\n");
}

TEST(DebugPause, ABreakpointOnAMissingPageIsReportedAndIgnored) {
  TTempDir dir;
  const TRun run = Play(dir, CountingScript(), "", {"--break", "スタートブック/スタートペイジ", "--break",
                                                   "スタートブック/スタートページ#3"});
  EXPECT_EQ(run.Result.ExitStatus, 3);
  EXPECT_TRUE(run.Result.HasLine(dir.Path() + "/game.pf5:0: error: --break スタートブック/スタートペイジ goes to page "
                                 "\"スタートペイジ\" of book \"スタートブック\", which does not exist; did you mean "
                                 "\"スタートページ\"? [targets]"))
      << run.Dump;
  EXPECT_EQ(RowOf(run.Debug, "Breakpoint="), RowOf(run.Debug, "Breakpoint=スタートブック/スタートページ#3"));
  EXPECT_EQ(run.Values, "a=1\nb=2\nc=3\n");

  // Not of the form BOOK/PAGE[#INDEX]: a command-line fault.
  for (const char* bad : {"スタートページ", "/page", "book/page#x", "book/#2"}) {
    const TPlayerResult refused = RunPlayer({"--headless", "--break", bad, dir.Path() + "/game.pf5"});
    EXPECT_EQ(refused.ExitStatus, 2) << bad;
  }
}

}  // namespace
}  // namespace pelto5::test
