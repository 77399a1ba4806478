#include "exec/PeltoProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "exec/PeltoProcessStack.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

class PeltoProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    FProcess.FStack = &FStack;
    FProcess.EndStep();  // as opening content does
  }
  void TearDown() override { InstallPlatform(nullptr); }

  // Puts the clock at an absolute tick.
  void SetClock(uint32_t tick) { FPlatform.AdvanceClock(tick - FPlatform.GetTickCount()); }

  // A "@Wait" with a timer, as its handler sets it up inside a step.
  void StartTimedWait(int32_t ms) {
    ASSERT_TRUE(FProcess.BeginStep());
    FProcess.StartWait();
    FProcess.SetWaitTimer(ms);
    FProcess.EnableAnyKeyBreak();
    FProcess.EndStep();
  }

  THeadlessPlatform FPlatform{Quiet()};
  TPeltoProcessStack FStack;
  TPeltoProcess FProcess;
};

TEST(PeltoProcessConstruction, StartsExecutingUntilContentIsOpened) {
  TPeltoProcess process;
  EXPECT_EQ(process.PlayerMode, TPeltoProcess::Executing);
  EXPECT_FALSE(process.IsReady());
  EXPECT_FALSE(process.BeginStep());
  process.EndStep();
  EXPECT_EQ(process.PlayerMode, TPeltoProcess::Idle);
  EXPECT_TRUE(process.BeginStep());
  EXPECT_EQ(process.PlayerMode, TPeltoProcess::Executing);
}

TEST_F(PeltoProcessTest, StepsOnlyRunWhileIdle) {
  for (int32_t mode : {TPeltoProcess::Executing, TPeltoProcess::MessageDrawing,
                       TPeltoProcess::MessagePaused, TPeltoProcess::Waiting}) {
    FProcess.PlayerMode = mode;
    EXPECT_FALSE(FProcess.BeginStep()) << mode;
    EXPECT_EQ(FProcess.PlayerMode, mode);
  }
  // EndStep only leaves Executing.
  for (int32_t mode : {TPeltoProcess::Waiting, TPeltoProcess::MessageDrawing}) {
    FProcess.PlayerMode = mode;
    FProcess.EndStep();
    EXPECT_EQ(FProcess.PlayerMode, mode);
  }
}

TEST_F(PeltoProcessTest, TimedWaitEndsAtTheFirstTickAtOrAfterItsTimeOnce) {
  SetClock(1030);
  StartTimedWait(1000);
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Waiting);
  EXPECT_FALSE(FProcess.TakeTimedOut());

  SetClock(2029);
  EXPECT_FALSE(FProcess.IsReady());
  SetClock(2030);
  EXPECT_TRUE(FProcess.IsReady());
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Idle);
  EXPECT_FALSE(FProcess.FTimerBreak);
  EXPECT_FALSE(FProcess.FAnyKeyBreak);
  EXPECT_TRUE(FProcess.TakeTimedOut());
  EXPECT_FALSE(FProcess.TakeTimedOut());
  // Later checks do not end it again.
  EXPECT_TRUE(FProcess.IsReady());
  EXPECT_FALSE(FProcess.TakeTimedOut());
}

TEST_F(PeltoProcessTest, TimedWaitHoldsAcrossTheWrapOfTheTickCounter) {
  SetClock(0xFFFFFF00u);
  StartTimedWait(1000);
  // The deadline wraps to a small tick; the wait must not end at once.
  EXPECT_FALSE(FProcess.IsReady());
  FPlatform.AdvanceClock(999);
  EXPECT_FALSE(FProcess.IsReady());
  EXPECT_EQ(FPlatform.GetTickCount(), 999u - 0x100u);
  FPlatform.AdvanceClock(1);
  EXPECT_TRUE(FProcess.IsReady());
  EXPECT_TRUE(FProcess.TakeTimedOut());
}

TEST_F(PeltoProcessTest, ZeroOrNegativeWaitTimeEndsAtTheNextCheck) {
  SetClock(500);
  StartTimedWait(-3000);
  EXPECT_TRUE(FProcess.IsReady());
  StartTimedWait(0);
  EXPECT_TRUE(FProcess.IsReady());
}

TEST_F(PeltoProcessTest, BreakWaitOnlyEndsWaitsAndPauses) {
  // A wait without timer outlasts any time.
  ASSERT_TRUE(FProcess.BeginStep());
  FProcess.StartWait();
  FProcess.EnableActiveClickBreak();
  FProcess.EndStep();
  FPlatform.AdvanceClock(100000);
  EXPECT_FALSE(FProcess.IsReady());
  FProcess.BreakWait();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Idle);
  EXPECT_FALSE(FProcess.FActiveClickBreak);
  EXPECT_FALSE(FProcess.TakeTimedOut());

  FProcess.PlayerMode = TPeltoProcess::MessagePaused;
  FProcess.FAnyKeyBreak = true;
  FProcess.BreakWait();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::MessageDrawing);
  EXPECT_FALSE(FProcess.FAnyKeyBreak);

  for (int32_t mode : {TPeltoProcess::MessageDrawing, TPeltoProcess::Idle, TPeltoProcess::Executing}) {
    FProcess.PlayerMode = mode;
    FProcess.FAnyKeyBreak = true;
    FProcess.FActiveClickBreak = true;
    FProcess.BreakWait();
    EXPECT_EQ(FProcess.PlayerMode, mode);
    EXPECT_TRUE(FProcess.FAnyKeyBreak);
    EXPECT_TRUE(FProcess.FActiveClickBreak);
  }
}

TEST_F(PeltoProcessTest, ClickModeAndAnyKeyFollowStateAndFlags) {
  struct Case {
    int32_t mode;
    bool activeClick;
    int clickMode;
  };
  const Case cases[] = {
      {TPeltoProcess::Waiting, true, 2},        {TPeltoProcess::Waiting, false, 1},
      {TPeltoProcess::MessagePaused, true, 0},  {TPeltoProcess::MessagePaused, false, 1},
      {TPeltoProcess::Idle, false, 0},          {TPeltoProcess::Idle, true, 0},
      {TPeltoProcess::MessageDrawing, false, 0}, {TPeltoProcess::Executing, false, 0},
  };
  for (const Case& c : cases) {
    FProcess.PlayerMode = c.mode;
    FProcess.FActiveClickBreak = c.activeClick;
    EXPECT_EQ(FProcess.GetClickMode(), c.clickMode) << c.mode << " " << c.activeClick;
  }

  FProcess.FAnyKeyBreak = true;
  FProcess.PlayerMode = TPeltoProcess::Waiting;
  EXPECT_TRUE(FProcess.IsAnyKeyBreak());
  FProcess.PlayerMode = TPeltoProcess::MessagePaused;
  EXPECT_TRUE(FProcess.IsAnyKeyBreak());
  FProcess.PlayerMode = TPeltoProcess::MessageDrawing;
  EXPECT_FALSE(FProcess.IsAnyKeyBreak());
  FProcess.PlayerMode = TPeltoProcess::Waiting;
  FProcess.FAnyKeyBreak = false;
  EXPECT_FALSE(FProcess.IsAnyKeyBreak());
}

TEST_F(PeltoProcessTest, MessageRevealPausesAndResumesOnItsTimer) {
  ASSERT_TRUE(FProcess.BeginStep());
  FProcess.StartMessageEffect(0, "text");
  FProcess.EndStep();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::MessageDrawing);
  EXPECT_FALSE(FProcess.IsReady());
  EXPECT_TRUE(FProcess.MessageEffectDue());

  // A wait mark with a 300 ms page timer.
  FProcess.PauseMessage();
  FProcess.SetWaitTimer(300);
  FProcess.EnableAnyKeyBreak();
  EXPECT_FALSE(FProcess.MessageEffectDue());
  FPlatform.AdvanceClock(299);
  EXPECT_FALSE(FProcess.MessageEffectDue());
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::MessagePaused);
  FPlatform.AdvanceClock(1);
  EXPECT_TRUE(FProcess.MessageEffectDue());
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::MessageDrawing);
  EXPECT_FALSE(FProcess.FTimerBreak);
  EXPECT_FALSE(FProcess.FAnyKeyBreak);

  // A pause without timer waits for input.
  FProcess.PauseMessage();
  FPlatform.AdvanceClock(60000);
  EXPECT_FALSE(FProcess.MessageEffectDue());

  FProcess.EndMessageEffect();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Idle);
  EXPECT_EQ(FProcess.FMessageLayer, "");
  EXPECT_FALSE(FProcess.MessageEffectDue());
}

TEST_F(PeltoProcessTest, SkipModePassesPausesUntilAClickClearsIt) {
  FProcess.StartMessageEffect(0, "text");
  FProcess.SetMessageSkip();
  FProcess.PauseMessage();
  EXPECT_TRUE(FProcess.MessageEffectDue());
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::MessageDrawing);

  FProcess.ClearMessageSkip();
  FProcess.PauseMessage();
  EXPECT_FALSE(FProcess.MessageEffectDue());

  // A wait ends skip mode.
  FProcess.SetMessageSkip();
  FProcess.StartWait();
  EXPECT_FALSE(FProcess.FMessageSkip);
}

TEST_F(PeltoProcessTest, RemainingSecondsCountsDownToZero) {
  EXPECT_EQ(FProcess.RemainingSeconds(), 0);
  SetClock(10000);
  StartTimedWait(5000);
  EXPECT_EQ(FProcess.RemainingSeconds(), 5);
  FPlatform.AdvanceClock(1);
  EXPECT_EQ(FProcess.RemainingSeconds(), 4);
  FPlatform.AdvanceClock(4000);  // 999 ms left: the last second
  EXPECT_EQ(FProcess.RemainingSeconds(), 0);
  FPlatform.AdvanceClock(5000);  // past the deadline, not yet noticed
  EXPECT_EQ(FProcess.RemainingSeconds(), 0);
  EXPECT_TRUE(FProcess.IsReady());
  EXPECT_EQ(FProcess.RemainingSeconds(), 0);
}

TEST_F(PeltoProcessTest, GaugeTicksComeEvery500MsAcrossTheWrap) {
  EXPECT_FALSE(FProcess.GaugeTickDue());  // clock 0 is not past the mark 0
  FPlatform.AdvanceClock(1);
  EXPECT_TRUE(FProcess.GaugeTickDue());
  EXPECT_FALSE(FProcess.GaugeTickDue());
  FPlatform.AdvanceClock(500);
  EXPECT_FALSE(FProcess.GaugeTickDue());
  FPlatform.AdvanceClock(1);
  EXPECT_TRUE(FProcess.GaugeTickDue());

  SetClock(0xFFFFFF00u);
  EXPECT_TRUE(FProcess.GaugeTickDue());  // long past the last mark
  FPlatform.AdvanceClock(300);           // the clock wrapped
  EXPECT_FALSE(FProcess.GaugeTickDue());
  FPlatform.AdvanceClock(201);
  EXPECT_TRUE(FProcess.GaugeTickDue());
  EXPECT_FALSE(FProcess.GaugeTickDue());
}

TEST_F(PeltoProcessTest, KeepStateCallReturnsIntoTheSameWait) {
  SetClock(1000);
  StartTimedWait(3000);
  FProcess.EnableActiveClickBreak();
  FProcess.FMessageWindow = 1;
  FProcess.FMessageLayer = "\x83\x65\x83\x4C\x83\x58\x83\x67";  // "テキスト"

  // What a call that keeps the state does with the work frame.
  FStack.ClearFrame();
  FProcess.SaveState();
  EXPECT_EQ(FStack.Frame(), (TStringList{"Stack.PlayerMode=2", "Stack.WaitTime=3000",
                                         "Stack.WaitCancel.ActiveClick=1",
                                         "Stack.WaitCancel.AnykeyClick=1",
                                         "Stack.WaitCancel.Timer=1",
                                         "Stack.MessageEffect.WindowIndex=1",
                                         "Stack.MessageEffect.LayerName=\x83\x65\x83\x4C\x83\x58\x83\x67"}));
  FStack.WriteString("Stack.BookName", "B");
  FStack.PushFrame();
  FProcess.Reset();

  // The called page runs a wait of its own, then returns.
  FPlatform.AdvanceClock(500);
  StartTimedWait(100);
  FPlatform.AdvanceClock(100);
  ASSERT_TRUE(FProcess.BeginStep());
  ASSERT_TRUE(FStack.PopFrame());
  FProcess.LoadState();
  FProcess.EndStep();

  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Waiting);
  EXPECT_EQ(FProcess.FWaitTime, 3000);
  EXPECT_TRUE(FProcess.FActiveClickBreak);
  EXPECT_TRUE(FProcess.FAnyKeyBreak);
  EXPECT_TRUE(FProcess.FTimerBreak);
  EXPECT_EQ(FProcess.FMessageWindow, 1);
  EXPECT_EQ(FProcess.FMessageLayer, "\x83\x65\x83\x4C\x83\x58\x83\x67");
  // The start tick is the inner wait's, not restored: 3000 ms from 1500.
  EXPECT_EQ(FProcess.FWaitStart, 1500u);
  SetClock(4499);
  EXPECT_FALSE(FProcess.IsReady());
  SetClock(4500);
  EXPECT_TRUE(FProcess.IsReady());
}

TEST_F(PeltoProcessTest, PlainCallFrameRestoresIdleWithoutFlags) {
  FProcess.PlayerMode = TPeltoProcess::Waiting;
  FProcess.FAnyKeyBreak = FProcess.FTimerBreak = FProcess.FActiveClickBreak = true;
  FProcess.FWaitTime = 10;
  FProcess.FMessageLayer = "x";
  FStack.ClearFrame();
  FStack.WriteString("Stack.BookName", "B");
  FProcess.LoadState();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Idle);
  EXPECT_FALSE(FProcess.FAnyKeyBreak || FProcess.FTimerBreak || FProcess.FActiveClickBreak);
  EXPECT_EQ(FProcess.FWaitTime, 0);
  EXPECT_EQ(FProcess.FMessageLayer, "");
}

TEST_F(PeltoProcessTest, StateKeysReadWithoutRegardToCaseAndUnknownModesBecomeIdle) {
  FStack.ClearFrame();
  FStack.WriteString("stack.playermode", "4");
  FStack.WriteString("STACK.WAITCANCEL.TIMER", "1");
  FProcess.LoadState();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::MessagePaused);
  EXPECT_TRUE(FProcess.FTimerBreak);

  FStack.ClearFrame();
  FStack.WriteInteger("Stack.PlayerMode", 9);
  FProcess.LoadState();
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Idle);
}

// Saving and restoring the stack through a real save container.
class PeltoProcessSaveTest : public PeltoProcessTest {
 protected:
  void SetUp() override {
    PeltoProcessTest::SetUp();
    FDir = std::filesystem::temp_directory_path() /
           ("pelto5-process-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(FDir);
    FPath = (FDir / "save.sav").generic_string();
  }
  void TearDown() override {
    std::filesystem::remove_all(FDir);
    PeltoProcessTest::TearDown();
  }

  // Writes a save holding "stack.info" (unless withStack is false).
  void WriteSave(TPeltoProcess& process, bool withStack) {
    PackageWriter writer;
    ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
    ASSERT_TRUE(CreatePackage(writer, FPath));
    if (withStack) {
      ASSERT_TRUE(process.SaveStack(writer));
    }
    ASSERT_TRUE(AddEntryFromStrings(writer, {"a=1"}, "valuevar.info"));
    ASSERT_TRUE(FinishPackage(writer));
  }

  std::filesystem::path FDir;
  std::string FPath;
};

TEST_F(PeltoProcessSaveTest, LoadStackRestoresTheWaitingGameAndItsPosition) {
  // One pending call, then the frame the save system pushes for the
  // current position, with the state of a paused message.
  FStack.ClearFrame();
  FStack.WriteString("Stack.BookName", "B");
  FStack.WriteString("Stack.PageName", "Caller");
  FStack.WriteInteger("Stack.CommandIndex", 3);
  FStack.PushFrame();
  FProcess.StartMessageEffect(0, "text");
  FProcess.PauseMessage();
  FProcess.EnableAnyKeyBreak();
  FStack.ClearFrame();
  FProcess.SaveState();
  FStack.WriteString("Stack.BookName", "B");
  FStack.WriteString("Stack.PageName", "Called");
  FStack.WriteInteger("Stack.CommandIndex", 9);
  FStack.PushFrame();
  WriteSave(FProcess, true);

  TPeltoProcessStack stack;
  TPeltoProcess process;
  process.FStack = &stack;
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  EXPECT_TRUE(process.LoadStack(reader));
  ClosePackage(reader);

  EXPECT_EQ(process.PlayerMode, TPeltoProcess::MessagePaused);
  EXPECT_TRUE(process.FAnyKeyBreak);
  EXPECT_EQ(process.FMessageLayer, "text");
  EXPECT_EQ(stack.ReadString("Stack.PageName", ""), "Called");
  EXPECT_EQ(stack.ReadInteger("Stack.CommandIndex", 0), 9);
  // The pending call stays on the stack.
  ASSERT_TRUE(stack.PopFrame());
  EXPECT_EQ(stack.ReadString("Stack.PageName", ""), "Caller");
  EXPECT_FALSE(stack.PopFrame());
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_FALSE(FPlatform.Terminated());
}

// An empty "stack.info" is the stack of a page no call led to: it loads as
// an empty stack with an idle process and no frame to resume at.
TEST_F(PeltoProcessSaveTest, AnEmptyStackLoadsAsNoFrame) {
  WriteSave(FProcess, true);
  // The running game's frames and state must not survive the load.
  FStack.ClearFrame();
  FStack.WriteString("Stack.PageName", "Running");
  FStack.PushFrame();
  FStack.WriteString("Stack.PageName", "Work");
  FProcess.StartWait();
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  EXPECT_TRUE(FProcess.LoadStack(reader));
  ClosePackage(reader);
  EXPECT_TRUE(FStack.Empty());
  EXPECT_TRUE(FStack.Frame().empty());
  EXPECT_EQ(FProcess.PlayerMode, TPeltoProcess::Idle);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_FALSE(FPlatform.Terminated());
}

TEST_F(PeltoProcessSaveTest, ASaveWithoutItsStackIsReportedAndEndsTheRun) {
  // The headless log shows the text in UTF-8 with its line break as "\\n".
  const std::string expected =
      "message (none, ok): セーブファイルが異常です。スタックの取得に失敗しました。\\n"
      "処理を続けることができません。";
  WriteSave(FProcess, false);
  // The running game's own frame must not be taken instead.
  FStack.ClearFrame();
  FStack.WriteString("Stack.PageName", "Running");
  FStack.PushFrame();
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  EXPECT_FALSE(FProcess.LoadStack(reader));
  ClosePackage(reader);
  ASSERT_EQ(FPlatform.OutputLines().size(), 1u);
  EXPECT_EQ(FPlatform.OutputLines().back(), expected);
  EXPECT_NE(FStack.ReadString("Stack.PageName", ""), "Running");
  EXPECT_TRUE(FPlatform.Terminated());
}

}  // namespace
}  // namespace pelto5
