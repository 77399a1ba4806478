#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exec/PeltoAccessControl.h"
#include "exec/FlowCommands.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/PeltoCommand.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

std::string Sjis(const char* utf8) { return sjis::FromUtf8(utf8); }

const char* const kIfMessage =
    "message (error, ok): ブロック構文エラー\\nＩＦコマンドに対応するＥＮＤＩＦがありません";
const char* const kElseMessage =
    "message (error, ok): ブロック構文エラー\\nＥＬＳＥコマンドに対応するＥＮＤＩＦがありません";
const char* const kUnderflowMessage =
    "message (warning, ok): スタックアンダーフローです。\\nサブルーチンコールが行われていないのに"
    "\\n復帰しようとしました。";
const char* const kDivisionMessage = "message (none, ok): debug: error report:\\n ０で除算しました";

// A headless platform that also notes what the text-input dialog was shown.
class TRecordingPlatform : public THeadlessPlatform {
 public:
  TRecordingPlatform() : THeadlessPlatform(Quiet()) {}
  bool ShowInputQuery(const std::string& caption, const std::string& prompt,
                      std::string& value) override {
    Caption = caption;
    Prompt = prompt;
    Initial = value;
    return THeadlessPlatform::ShowInputQuery(caption, prompt, value);
  }
  std::string Caption, Prompt, Initial;
};

struct TPage {
  std::string Name;
  std::vector<std::string> Lines;
};

class FlowCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    FAccess = std::make_unique<TPeltoAccessControl>();
    FFlow = std::make_unique<TFlowCommands>(*FAccess);
    FAccess->Process().EndStep();
  }
  void TearDown() override {
    FFlow.reset();
    FAccess.reset();
    InstallPlatform(nullptr);
  }

  // Loads book "B" with the pages and moves to the first one.
  void LoadPages(const std::vector<TPage>& pages) {
    std::string text = "<Book=\"B\">\r\n";
    for (const TPage& page : pages) {
      text += "<Page=\"" + page.Name + "\">\r\n";
      for (const std::string& line : page.Lines) text += line + "\r\n";
      text += "<Page End>\r\n";
    }
    text += "<Book End>\r\n";
    FAccess->PeltoFile().LoadFromStream(text);
    FAccess->MovePage("B", pages.front().Name);
    // The same book and page names keep the cache; the lines are new.
    FAccess->CommandCtrl().Make_CommandCache();
  }
  void Load(const std::vector<std::string>& lines) { LoadPages({{"P", lines}}); }

  // Fetches the command at index as the main loop does and runs its handler.
  bool Run(int index) {
    TPeltoCommand command;
    EXPECT_TRUE(FAccess->CommandCtrl().GetCommand(index, command)) << "no command " << index;
    FAccess->SetNextCommandIndex(index + 1);
    return Dispatch(command);
  }

  bool Dispatch(TPeltoCommand& command) {
    switch (command.CommandType) {
      case TCommandCtrl::ctRem:
        FMarks += command.ReadString("Mark", "?");
        return true;
      case TCommandCtrl::ctIf:
        return FFlow->DoIf(command);
      case TCommandCtrl::ctElse:
        return FFlow->DoElse(command);
      case TCommandCtrl::ctEndIf:
        return FFlow->DoEndif(command);
      case TCommandCtrl::ctWait:
        return FFlow->DoWait(command);
      case TCommandCtrl::ctMove:
        return FFlow->DoMove(command);
      case TCommandCtrl::ctCall:
        return FFlow->DoCall(command);
      case TCommandCtrl::ctReturn:
        return FFlow->DoReturn(command);
      case TCommandCtrl::ctValueCtrl:
        return FFlow->DoValueCtrl(command);
      case TCommandCtrl::ctStringCtrl:
        return FFlow->DoStringCtrl(command);
      case TCommandCtrl::ctStringInput:
        return FFlow->DoStringInput(command);
    }
    ADD_FAILURE() << "unexpected command " << command.CommandLine;
    return false;
  }

  // Runs the current page from the next-command index, as one tick does,
  // until a handler yields, the process starts waiting or the page ends.
  // "@rem" commands append their Mark property to FMarks.
  bool RunTick() {
    for (int steps = 0; steps < 100; ++steps) {
      const int index = FAccess->NextCommandIndex();
      if (index >= FAccess->CommandCtrl().GetCommandCount()) return true;
      if (!Run(index)) return false;
      if (FAccess->Process().PlayerMode != TPeltoProcess::Idle) return true;
    }
    ADD_FAILURE() << "the page did not end";
    return false;
  }

  int32_t Value(const char* name) { return FAccess->VariableCtrl().GetValueByName(name); }
  std::string Text(const char* name) { return FAccess->VariableCtrl().GetTextByName(name); }
  const std::vector<std::string>& Messages() const { return FPlatform.OutputLines(); }

  TRecordingPlatform FPlatform;
  std::unique_ptr<TPeltoAccessControl> FAccess;
  std::unique_ptr<TFlowCommands> FFlow;
  std::string FMarks;
};

// --- if / else / endif ------------------------------------------------------

// Whether an "@if" with the given properties takes its branch.
class FlowIfTest : public FlowCommandsTest {
 protected:
  bool Taken(std::vector<std::string> properties) {
    properties.insert(properties.end(),
                      {"@if", "Mark=T", "@rem", "@else", "Mark=F", "@rem", "@endif"});
    Load(properties);
    FMarks.clear();
    EXPECT_TRUE(RunTick());
    EXPECT_TRUE(FMarks == "T" || FMarks == "F") << FMarks;
    return FMarks == "T";
  }
  bool Values(const char* compare, const std::string& a, const std::string& b) {
    return Taken({"if.VariableType=Value", std::string("if.Compare=") + compare,
                  "if.Variable1=" + a, "if.Variable2=" + b});
  }
  bool Texts(const char* compare, const std::string& a, const std::string& b) {
    return Taken({"if.VariableType=String", std::string("if.Compare=") + compare,
                  "if.Variable1=" + a, "if.Variable2=" + b});
  }
};

TEST_F(FlowIfTest, ValueComparisonsFollowTheKeywordTable) {
  struct TCase {
    const char* Compare;
    bool Less, Same, Greater;  // results for 3?5, 5?5, 5?3
  } cases[] = {{"Equal", false, true, false},  {"Unequal", true, false, true},
               {"Up", true, false, false},     {"Down", false, false, true},
               {"UpEqual", true, true, false}, {"DownEqual", false, true, true}};
  for (const TCase& c : cases) {
    EXPECT_EQ(Values(c.Compare, "3", "5"), c.Less) << c.Compare;
    EXPECT_EQ(Values(c.Compare, "5", "5"), c.Same) << c.Compare;
    EXPECT_EQ(Values(c.Compare, "5", "3"), c.Greater) << c.Compare;
  }
  // Signed: -1 is below 1.
  EXPECT_TRUE(Values("Up", "-1", "1"));
}

TEST_F(FlowIfTest, ValueComparisonReadsVariables) {
  FAccess->VariableCtrl().SetValueByName("count", 9);
  EXPECT_TRUE(Values("Up", "%count%", "10"));
  FAccess->VariableCtrl().SetValueByName("count", 10);
  EXPECT_FALSE(Values("Up", "%count%", "10"));
  EXPECT_TRUE(Values("Equal", "%COUNT%", "10"));
  // Text that is no number counts as 0.
  EXPECT_TRUE(Values("Equal", "abc", "0"));
}

TEST_F(FlowIfTest, AbsentPropertiesCompareTwoZeroValuesForEquality) {
  EXPECT_TRUE(Taken({}));
  EXPECT_FALSE(Taken({"if.Variable1=1"}));
}

TEST_F(FlowIfTest, TextComparisonsAreExactAndExpandVariables) {
  FAccess->VariableCtrl().SetTextByName("name", "abcdef");
  EXPECT_TRUE(Texts("Equal", "$name$", "abcdef"));
  EXPECT_FALSE(Texts("Equal", "$name$", "ABCDEF"));
  EXPECT_TRUE(Texts("Unequal", "$name$", "ABCDEF"));
  EXPECT_FALSE(Texts("Unequal", "abc", "abc"));
  // Any type but "Value" compares texts: "10" and "010" differ as text.
  EXPECT_FALSE(Taken({"if.VariableType=Text", "if.Variable1=10", "if.Variable2=010"}));
  EXPECT_FALSE(Values("Equal", "10", "011"));
  EXPECT_TRUE(Values("Equal", "10", "010"));
}

TEST_F(FlowIfTest, TextInLooksForASubstring) {
  EXPECT_TRUE(Texts("in", "abcdef", "cd"));
  EXPECT_TRUE(Texts("in", "abcdef", "abcdef"));
  EXPECT_FALSE(Texts("in", "abcdef", "dc"));
  EXPECT_FALSE(Texts("in", "abcdef", ""));
  EXPECT_FALSE(Texts("in", "", ""));
  FAccess->VariableCtrl().SetTextByName("needle", "cd");
  EXPECT_TRUE(Texts("in", "abcdef", "$needle$"));
  // "ア" is 0x83 0x41: its trail byte is no "A" of its own.
  EXPECT_FALSE(Texts("in", Sjis("xア"), "A"));
  EXPECT_TRUE(Texts("in", Sjis("xアy"), Sjis("アy")));
}

TEST_F(FlowIfTest, KeywordsOfTheOtherTypeAreFalse) {
  EXPECT_FALSE(Values("in", "5", "5"));
  EXPECT_FALSE(Texts("Up", "a", "b"));
  EXPECT_FALSE(Texts("UpEqual", "a", "a"));
  EXPECT_FALSE(Values("equal", "5", "5"));
  EXPECT_FALSE(Taken({"if.VariableType=Value", "if.Compare=Unknown"}));
}

TEST_F(FlowCommandsTest, IfWithoutElseSkipsToAfterItsEndif) {
  Load({"if.Variable1=1", "@if", "Mark=T", "@rem", "@endif", "Mark=E", "@rem"});
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "E");
  FMarks.clear();
  Load({"if.Variable1=0", "@if", "Mark=T", "@rem", "@endif", "Mark=E", "@rem"});
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "TE");
}

TEST_F(FlowCommandsTest, TrueBranchJumpsPastTheEndifAtItsElse) {
  Load({"@if", "Mark=T", "@rem", "@else", "Mark=F", "@rem", "@endif", "Mark=E", "@rem"});
  EXPECT_TRUE(Run(0));
  EXPECT_EQ(FAccess->NextCommandIndex(), 1);
  EXPECT_TRUE(Run(1));
  EXPECT_TRUE(Run(2));  // the "@else"
  EXPECT_EQ(FAccess->NextCommandIndex(), 5);
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "TE");
}

TEST_F(FlowCommandsTest, NestedBlocksMatchTheirOwnElseAndEndif) {
  // clang-format off
  const std::vector<std::string> page = {
      "if.Variable1=%outer%", "if.Variable2=1", "@if",  // 0
      "if.Variable1=%inner%", "if.Variable2=1", "@if",  // 1
      "Mark=a", "@rem",                                 // 2
      "@else",                                          // 3
      "Mark=b", "@rem",                                 // 4
      "@endif",                                         // 5
      "Mark=c", "@rem",                                 // 6
      "@else",                                          // 7
      "Mark=d", "@rem",                                 // 8
      "if.Variable1=1", "@if", "Mark=e", "@rem", "@endif",  // 9..11
      "@endif",                                         // 12
      "Mark=z", "@rem"};                                // 13
  // clang-format on
  const struct {
    int Outer, Inner;
    const char* Marks;
  } cases[] = {{1, 1, "acz"}, {1, 0, "bcz"}, {0, 1, "dz"}, {0, 0, "dz"}};
  for (const auto& c : cases) {
    Load(page);
    FAccess->VariableCtrl().SetValueByName("outer", c.Outer);
    FAccess->VariableCtrl().SetValueByName("inner", c.Inner);
    FMarks.clear();
    EXPECT_TRUE(RunTick());
    EXPECT_EQ(FMarks, c.Marks) << c.Outer << c.Inner;
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowCommandsTest, FalseIfWithoutEndifReportsAndRunsTheBranchNextTick) {
  Load({"if.Variable1=1", "@if", "Mark=T", "@rem", "Mark=U", "@rem"});
  EXPECT_FALSE(Run(0));
  EXPECT_EQ(FAccess->NextCommandIndex(), 1);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], kIfMessage);
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "TU");
}

TEST_F(FlowCommandsTest, InnerEndifDoesNotCloseAnOuterIf) {
  // The outer block lacks its endif; the inner one's endif has level 1.
  Load({"if.Variable1=1", "@if", "@if", "@endif", "Mark=T", "@rem"});
  EXPECT_FALSE(Run(0));
  EXPECT_EQ(FAccess->NextCommandIndex(), 1);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], kIfMessage);
}

TEST_F(FlowCommandsTest, ElseWithoutEndifReportsAndRunsTheElseBranchNextTick) {
  Load({"@if", "Mark=T", "@rem", "@else", "Mark=F", "@rem"});
  EXPECT_FALSE(RunTick());
  EXPECT_EQ(FAccess->NextCommandIndex(), 3);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], kElseMessage);
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "TF");
}

TEST_F(FlowCommandsTest, SkipBlockFindsTheNextCommandOfTheLevel) {
  // Levels: 0 1 1 0 0 -1 -1
  Load({"@if", "@if", "@endif", "@endif", "@rem", "@endif", "@rem"});
  FAccess->SetNextCommandIndex(1);
  EXPECT_TRUE(FFlow->SkipBlock(0));
  EXPECT_EQ(FAccess->NextCommandIndex(), 4);
  EXPECT_TRUE(FFlow->SkipBlock(0));
  EXPECT_EQ(FAccess->NextCommandIndex(), 5);
  EXPECT_TRUE(FFlow->SkipBlock(-1));
  EXPECT_EQ(FAccess->NextCommandIndex(), 6);
  EXPECT_FALSE(FFlow->SkipBlock(0));
  EXPECT_EQ(FAccess->NextCommandIndex(), 6);
  EXPECT_FALSE(FFlow->SkipBlock(2));
  FAccess->SetNextCommandIndex(7);
  EXPECT_FALSE(FFlow->SkipBlock(-1));
  EXPECT_EQ(FAccess->NextCommandIndex(), 7);
}

// --- ValueCtrl ----------------------------------------------------------------

class FlowValueTest : public FlowCommandsTest {
 protected:
  // Runs one "@ValueCtrl" storing into %r%, which holds 42 before.
  bool Calc(const char* calc, const std::string& left, const std::string& right) {
    FAccess->VariableCtrl().SetValueByName("r", 42);
    std::vector<std::string> lines = {"ValueCtrl.ValueVar=%r%", "ValueCtrl.LeftValue=" + left,
                                      "ValueCtrl.RightValue=" + right};
    if (calc != nullptr) lines.push_back(std::string("ValueCtrl.Calc=") + calc);
    lines.push_back("@ValueCtrl");
    Load(lines);
    return Run(0);
  }
  int32_t Result(const char* calc, const std::string& left, const std::string& right) {
    EXPECT_TRUE(Calc(calc, left, right));
    return Value("r");
  }
};

TEST_F(FlowValueTest, ArithmeticTruncatesTowardZero) {
  EXPECT_EQ(Result("Add", "7", "-3"), 4);
  EXPECT_EQ(Result("Sub", "7", "10"), -3);
  EXPECT_EQ(Result("Mul", "-7", "3"), -21);
  EXPECT_EQ(Result("Div", "-7", "2"), -3);
  EXPECT_EQ(Result("Div", "7", "-2"), -3);
  EXPECT_EQ(Result("Div", "7", "2"), 3);
  EXPECT_EQ(Result("Mod", "-7", "3"), -1);
  EXPECT_EQ(Result("Mod", "7", "-3"), 1);
  EXPECT_EQ(Result("Mod", "-7", "-3"), -1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowValueTest, ArithmeticWrapsInThirtyTwoBits) {
  EXPECT_EQ(Result("Add", "2147483647", "1"), INT32_MIN);
  EXPECT_EQ(Result("Sub", "-2147483648", "1"), INT32_MAX);
  EXPECT_EQ(Result("Mul", "65536", "65536"), 0);
  EXPECT_EQ(Result("Mul", "2147483647", "2"), -2);
  EXPECT_EQ(Result("Div", "-2147483648", "-1"), INT32_MIN);
  EXPECT_EQ(Result("Mod", "-2147483648", "-1"), 0);
  EXPECT_EQ(Result("Div", "-2147483648", "1"), INT32_MIN);
  EXPECT_EQ(Result("Div", "5", "-1"), -5);
}

TEST_F(FlowValueTest, OperandsMayBeVariables) {
  FAccess->VariableCtrl().SetValueByName("a", 20);
  FAccess->VariableCtrl().SetValueByName("b", 6);
  EXPECT_EQ(Result("Sub", "%a%", "%b%"), 14);
  EXPECT_EQ(Result("Add", "%r%", "1"), 43);  // read before the write
  EXPECT_EQ(Result("Add", "%missing%", "x"), 0);
}

TEST_F(FlowValueTest, WithoutAKnownCalcTheLeftValueIsAssigned) {
  EXPECT_EQ(Result(nullptr, "17", "5"), 17);
  EXPECT_EQ(Result("add", "17", "5"), 17);
  EXPECT_EQ(Result("", "-3", "0"), -3);
  EXPECT_EQ(Result(nullptr, "", ""), 0);
  // Division by zero matters only to Div and Mod.
  EXPECT_EQ(Result("Mul", "5", "0"), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowValueTest, DivisionByZeroReportsAndChangesNothing) {
  EXPECT_FALSE(Calc("Div", "7", "0"));
  EXPECT_EQ(Value("r"), 42);
  EXPECT_FALSE(Calc("Mod", "7", "%zero%"));
  EXPECT_EQ(Value("r"), 42);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0], kDivisionMessage);
  EXPECT_EQ(Messages()[1], kDivisionMessage);
}

TEST_F(FlowValueTest, AMalformedTargetIsReportedAndNothingStored) {
  Load({"ValueCtrl.ValueVar=r", "ValueCtrl.LeftValue=5", "@ValueCtrl"});
  EXPECT_TRUE(Run(0));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("Set_Value"), std::string::npos) << Messages()[0];
  EXPECT_TRUE(FAccess->VariableCtrl().FValueVars.empty());
}

// --- StringCtrl and StringInput ------------------------------------------------

TEST_F(FlowCommandsTest, StringCtrlStoresTheExpandedText) {
  FAccess->VariableCtrl().SetTextByName("who", "Aki");
  FAccess->VariableCtrl().SetValueByName("n", 3);
  Load({"StringCtrl.StringVar=$greeting$", "StringCtrl.Text=Hi $who$, %n% left", "@StringCtrl",
        "StringCtrl.StringVar=$copy$", "StringCtrl.Text=[$greeting$]", "@StringCtrl",
        "StringCtrl.StringVar=$greeting$", "@StringCtrl"});
  EXPECT_TRUE(Run(0));
  EXPECT_EQ(Text("greeting"), "Hi Aki, 3 left");
  EXPECT_TRUE(Run(1));
  EXPECT_EQ(Text("copy"), "[Hi Aki, 3 left]");
  EXPECT_TRUE(Run(2));
  EXPECT_EQ(Text("greeting"), "");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowCommandsTest, StringCtrlWithAMalformedTargetStoresNothing) {
  Load({"StringCtrl.StringVar=%s%", "StringCtrl.Text=x", "@StringCtrl"});
  EXPECT_TRUE(Run(0));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("Set_Text"), std::string::npos) << Messages()[0];
  EXPECT_TRUE(FAccess->VariableCtrl().FStringVars.empty());
}

TEST_F(FlowCommandsTest, StringInputStoresTheAnswer) {
  FAccess->VariableCtrl().SetTextByName("name", "old");
  Load({"StringInput.StringVar=$name$", "StringInput.Text=Your name?", "StringInput.Caption=Entry",
        "@StringInput"});
  const TResult parsed = FPlatform.ParseEvents("0 text " + std::string("新しい名前") + "\n");
  ASSERT_TRUE(parsed) << parsed.Reason();
  EXPECT_TRUE(Run(0));
  EXPECT_EQ(Text("name"), Sjis("新しい名前"));
  EXPECT_EQ(FPlatform.Caption, "Entry");
  EXPECT_EQ(FPlatform.Prompt, "Your name?");
  EXPECT_EQ(FPlatform.Initial, "old");
}

TEST_F(FlowCommandsTest, CancelledStringInputKeepsTheValue) {
  FAccess->VariableCtrl().SetTextByName("name", "old");
  Load({"StringInput.StringVar=$name$", "@StringInput"});
  const TResult parsed = FPlatform.ParseEvents("0 text-cancel\n0 text\n");
  ASSERT_TRUE(parsed) << parsed.Reason();
  FPlatform.ProcessMessages();
  EXPECT_TRUE(Run(0));  // cancelled
  EXPECT_EQ(Text("name"), "old");
  EXPECT_EQ(FPlatform.Initial, "old");
  EXPECT_TRUE(Run(0));  // an empty answer is an answer
  EXPECT_EQ(Text("name"), "");
  FAccess->VariableCtrl().SetTextByName("name", "kept");
  EXPECT_TRUE(Run(0));  // nothing pending: the dialog is cancelled
  EXPECT_EQ(Text("name"), "kept");
  EXPECT_TRUE(Messages().empty());
}

// --- Wait ------------------------------------------------------------------------

class FlowWaitTest : public FlowCommandsTest {
 protected:
  TPeltoProcess& Process() { return FAccess->Process(); }
  void Wait(const std::vector<std::string>& properties) {
    std::vector<std::string> lines = properties;
    lines.push_back("@Wait");
    Load(lines);
    ASSERT_TRUE(Process().BeginStep());
    EXPECT_TRUE(Run(0));
    Process().EndStep();
    EXPECT_EQ(Process().PlayerMode, TPeltoProcess::Waiting);
  }
};

TEST_F(FlowWaitTest, KeypressInputBreakAllowsClicksAndKeys) {
  Wait({"Wait.InputBreak=1"});
  EXPECT_TRUE(Process().FActiveClickBreak);
  EXPECT_TRUE(Process().FAnyKeyBreak);
  EXPECT_FALSE(Process().FTimerBreak);
  EXPECT_TRUE(Process().IsAnyKeyBreak());
  EXPECT_EQ(Process().GetClickMode(), 2);
  // Any value but "Clickable" counts as "Keypress".
  Process().BreakWait();
  Wait({"Wait.InputBreak=1", "Wait.Input=clickable"});
  EXPECT_TRUE(Process().FAnyKeyBreak);
}

TEST_F(FlowWaitTest, ClickableInputBreakIgnoresKeys) {
  Wait({"Wait.InputBreak=1", "Wait.Input=Clickable"});
  EXPECT_TRUE(Process().FActiveClickBreak);
  EXPECT_FALSE(Process().FAnyKeyBreak);
  EXPECT_FALSE(Process().IsAnyKeyBreak());
}

TEST_F(FlowWaitTest, WithoutBreaksOnlyAClickableLayerEndsTheWait) {
  Process().SetMessageSkip();
  Wait({"Wait.Time=100", "Wait.Input=Keypress"});
  EXPECT_FALSE(Process().FActiveClickBreak);
  EXPECT_FALSE(Process().FAnyKeyBreak);
  EXPECT_FALSE(Process().FTimerBreak);
  EXPECT_FALSE(Process().FMessageSkip);
  EXPECT_EQ(Process().GetClickMode(), 1);
  FPlatform.AdvanceClock(100000);
  EXPECT_FALSE(Process().IsReady());
}

TEST_F(FlowWaitTest, TimeBreakEndsTheWaitWhenTheTimeIsUp) {
  FPlatform.AdvanceClock(1000);
  Wait({"Wait.TimeBreak=1", "Wait.Time=1000"});
  EXPECT_TRUE(Process().FTimerBreak);
  EXPECT_EQ(Process().FWaitTime, 1000);
  FPlatform.AdvanceClock(999);
  EXPECT_FALSE(Process().IsReady());
  FPlatform.AdvanceClock(1);
  EXPECT_TRUE(Process().IsReady());
  EXPECT_TRUE(Process().TakeTimedOut());
}

TEST_F(FlowWaitTest, ZeroTimeEndsAtTheNextCheck) {
  Wait({"Wait.TimeBreak=1"});
  EXPECT_EQ(Process().FWaitTime, 0);
  EXPECT_TRUE(Process().IsReady());
}

TEST_F(FlowWaitTest, TheNextCommandWaitsForTheBreak) {
  Load({"Wait.InputBreak=1", "@Wait", "Mark=A", "@rem"});
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FAccess->NextCommandIndex(), 1);
  EXPECT_EQ(FMarks, "");
  Process().BreakWait();
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "A");
}

// --- Move, Call, Return ----------------------------------------------------------

TEST_F(FlowCommandsTest, MoveGoesToCommandZeroAndLeavesTheStack) {
  LoadPages({{"P", {"Move.BookName=B", "Move.PageName=Q", "@Move", "Mark=x", "@rem"}},
             {"Q", {"Mark=q", "@rem"}}});
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "q");
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "Q");
  EXPECT_TRUE(FAccess->ProcessStack().Empty());
}

TEST_F(FlowCommandsTest, CallAndReturnResumeAfterTheCall) {
  LoadPages(
      {{"P", {"Mark=a", "@rem", "Call.BookName=B", "Call.PageName=Sub", "@Call", "Mark=c", "@rem"}},
       {"Sub",
        {"Mark=s", "@rem", "Call.BookName=B", "Call.PageName=Deep", "@Call", "Mark=t", "@rem",
         "@Return", "Mark=x", "@rem"}},
       {"Deep", {"Mark=d", "@rem", "@Return"}}});
  EXPECT_TRUE(Run(0));
  ASSERT_TRUE(FAccess->Process().BeginStep());
  EXPECT_TRUE(Run(1));
  EXPECT_EQ(FAccess->Process().PlayerMode, TPeltoProcess::Idle);  // reset by the call
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "Sub");
  EXPECT_EQ(FAccess->NextCommandIndex(), 0);
  const auto& frame = FAccess->ProcessStack().Lines();
  EXPECT_NE(std::find(frame.begin(), frame.end(), "Stack.CommandIndex=2"), frame.end());
  EXPECT_NE(std::find(frame.begin(), frame.end(), "Stack.PageName=P"), frame.end());
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "asdtc");
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "P");
  EXPECT_EQ(FAccess->NextCommandIndex(), 3);
  EXPECT_TRUE(FAccess->ProcessStack().Empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FlowCommandsTest, ReturnWithAnEmptyStackWarnsAndGoesOn) {
  Load({"Mark=a", "@rem", "@Return", "Mark=b", "@rem"});
  EXPECT_TRUE(RunTick());
  EXPECT_EQ(FMarks, "ab");
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "P");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], kUnderflowMessage);
}

}  // namespace
}  // namespace pelto5
