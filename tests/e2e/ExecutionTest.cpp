// End-to-end runs of content with flow commands, waits and input, headless.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::string kPage = "スタートブック/スタートページ";

struct TRun {
  TPlayerResult Result;
  std::string Dump;
};

TRun RunWith(const std::vector<std::string>& scriptLines, const std::string& events = "",
             std::vector<std::string> extra = {}) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(scriptLines));
  std::vector<std::string> args = {"--headless", "--trace", "--dump-state", dir.Path() + "/dump.txt"};
  if (!events.empty()) {
    args.push_back("--events");
    args.push_back(dir.Write("events.txt", events));
  }
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(script);
  TRun run;
  run.Result = RunPlayer(args);
  run.Dump = ReadFileText(dir.Path() + "/dump.txt");
  return run;
}

// The time of the trace line of command INDEX of the start page, or -1.
long TimeOf(const TPlayerResult& r, int index, const std::string& page = kPage) {
  for (const std::string& l : r.ErrorLines) {
    const std::string suffix = " " + page + " #" + std::to_string(index) + " ";
    const size_t at = l.find(suffix);
    if (l.rfind("trace: ", 0) == 0 && at != std::string::npos) return std::stol(l.substr(7, at - 7));
  }
  return -1;
}

TEST(Execution, TimedWaitEndsAtTheFirstTickAfterItsTime) {
  const TRun run = RunWith(ScriptWithPage({"Wait.TimeBreak=1", "Wait.Time=1000", "@Wait", "@rem"}));
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 0), 200);
  EXPECT_EQ(TimeOf(run.Result, 1), 1200);
}

TEST(Execution, SpaceEnterAndLeftClickBreakAKeyWaitOthersDoNot) {
  const std::vector<std::string> page = {"Wait.InputBreak=1", "@Wait", "Wait.InputBreak=1", "@Wait",
                                         "Wait.InputBreak=1", "@Wait", "@rem"};
  const TRun run = RunWith(ScriptWithPage(page),
                           "300 rclick 10 10\n350 mclick 10 10\n380 key escape\n390 key 65\n"
                           "500 key space\n900 key enter\n1300 click 5 5\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 1), 600);
  EXPECT_EQ(TimeOf(run.Result, 2), 1000);
  EXPECT_EQ(TimeOf(run.Result, 3), 1400);
}

TEST(Execution, ClickableOnlyWaitIgnoresKeysAndPlainClicks) {
  const std::vector<std::string> page = {"Wait.InputBreak=1", "Wait.Input=Clickable", "@Wait", "@rem"};
  const TRun run = RunWith(ScriptWithPage(page), "300 key space\n500 click 1 1\n", {"--max-time", "2000"});
  EXPECT_EQ(run.Result.ExitStatus, 3);
  EXPECT_EQ(TimeOf(run.Result, 1), -1);
  EXPECT_NE(run.Dump.find("[process]\nPlayerMode=2\n"), std::string::npos) << run.Dump;
}

// A page that calls itself and never returns stops at the deepest nesting
// with one box that names it, instead of growing until memory runs out.
TEST(Execution, APageThatCallsItselfForeverStopsAtTheDeepestNestingWithOneBox) {
  const TRun run = RunWith(
      ScriptWithPage({"Call.BookName=スタートブック", "Call.PageName=スタートページ", "@Call", "@rem"}), "",
      {"--max-time", "600000"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  int boxes = 0;
  for (const std::string& l : run.Result.ErrorLines) {
    if (l.rfind("message (", 0) == 0) {
      ++boxes;
      EXPECT_NE(l.find("Pages call each other too deeply (at most 10000 levels)\\n\"スタートブック\" book, "
                       "\"スタートページ\" page"),
                std::string::npos)
          << l;
    }
  }
  EXPECT_EQ(boxes, 1);
  // The stack holds the 10,000 frames and no more; the call that did not
  // fit left no frame, and the command after it never ran.
  size_t borders = 0;
  for (size_t at = run.Dump.find("@StackBorder"); at != std::string::npos;
       at = run.Dump.find("@StackBorder", at + 1)) {
    ++borders;
  }
  EXPECT_EQ(borders, 10000u);
  EXPECT_EQ(TimeOf(run.Result, 1), -1);
}

TEST(Execution, CallAndReturnResumeAfterTheCallAndTheDumpShowsTheState) {
  std::vector<std::string> lines = {
      "<Head=\"Pelto\">", "FileType=PV5", "<Head End>",
      "<Book=\"スタートブック\">",
      "<Page=\"スタートページ\">",
      "StringCtrl.StringVar=$名前$", "StringCtrl.Text=灯台守", "@StringCtrl",
      "Call.BookName=スタートブック", "Call.PageName=下", "@Call",
      "ValueCtrl.ValueVar=%b%", "ValueCtrl.LeftValue=%a%", "ValueCtrl.RightValue=3", "ValueCtrl.Calc=Mul",
      "@ValueCtrl",
      "Call.BookName=スタートブック", "Call.PageName=待ち", "@Call",
      "<Page End>",
      "<Page=\"下\">",
      "ValueCtrl.ValueVar=%a%", "ValueCtrl.LeftValue=7", "@ValueCtrl", "@Return",
      "<Page End>",
      "<Page=\"待ち\">",
      "Wait.InputBreak=1", "@Wait",
      "<Page End>",
      "<Book End>"};
  const TRun run = RunWith(lines, "", {"--max-time", "1000"});
  EXPECT_EQ(run.Result.ExitStatus, 3);
  EXPECT_EQ(TimeOf(run.Result, 0, "スタートブック/下"), 200);
  EXPECT_EQ(TimeOf(run.Result, 2), 200);
  const std::string expected =
      "[position]\n"
      "Stack.BookName=スタートブック\n"
      "Stack.PageName=待ち\n"
      "Stack.CommandIndex=1\n"
      "[process]\n"
      "PlayerMode=2\n"
      "[stack]\n"
      "Stack.CommandIndex=4\n"
      "Stack.PageName=スタートページ\n"
      "Stack.BookName=スタートブック\n"
      "@StackBorder\n"
      "[values]\n"
      "a=7\n"
      "b=21\n"
      "[strings]\n"
      "名前=灯台守\n"
      "[layers]\n";
  EXPECT_EQ(run.Dump.substr(0, expected.size()), expected);
}

TEST(Execution, IfElseBranchesAndStringInputAnswers) {
  const std::vector<std::string> page = {
      "StringInput.StringVar=$答$", "StringInput.Caption=質問", "StringInput.Text=名前は？", "@StringInput",
      "if.VariableType=Text", "if.Compare=Equal", "if.Variable1=$答$", "if.Variable2=ナギ", "@if",
      "ValueCtrl.ValueVar=%r%", "ValueCtrl.LeftValue=1", "@ValueCtrl",
      "@else",
      "ValueCtrl.ValueVar=%r%", "ValueCtrl.LeftValue=2", "@ValueCtrl",
      "@endif",
      "StringInput.StringVar=$答$", "@StringInput"};
  const TRun run = RunWith(ScriptWithPage(page), "0 text ナギ\n0 text-cancel\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_NE(run.Dump.find("[values]\nr=1\n"), std::string::npos) << run.Dump;
  // The cancelled second dialog keeps the answer.
  EXPECT_NE(run.Dump.find("[strings]\n答=ナギ\n"), std::string::npos) << run.Dump;
}

TEST(Execution, DivisionByZeroIsReportedAndCostsATick) {
  const std::vector<std::string> page = {"ValueCtrl.ValueVar=%x%", "ValueCtrl.LeftValue=5",
                                         "ValueCtrl.RightValue=0", "ValueCtrl.Calc=Div", "@ValueCtrl", "@rem"};
  const TRun run = RunWith(ScriptWithPage(page));
  EXPECT_TRUE(run.Result.HasLine("message (none, ok): debug: error report:\\n ０で除算しました"));
  EXPECT_EQ(TimeOf(run.Result, 1), 400);
  EXPECT_NE(run.Dump.find("[values]\n[strings]\n"), std::string::npos) << run.Dump;
}

}  // namespace
}  // namespace pelto5::test
