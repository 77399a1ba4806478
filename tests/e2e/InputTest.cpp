// Input end to end: clicks on clickable dynamic layers (jump, call, call
// keeping the wait), buttons that must not click, and the cursor over an
// active layer, driven through the main form with the headless platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/ScreenControl.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/FrmMain.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::string kBook = "スタートブック";
const std::string kStart = kBook + "/スタートページ";
const std::string kSub = kBook + "/sub";

struct TRun {
  TPlayerResult Result;
  std::string Dump;
};

TRun RunWith(const std::vector<std::string>& scriptLines, const std::string& events,
             std::vector<std::string> extra = {}) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(scriptLines));
  std::vector<std::string> args = {"--headless", "--trace", "--dump-state", dir.Path() + "/dump.txt",
                                   "--events", dir.Write("events.txt", events)};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(script);
  TRun run;
  run.Result = RunPlayer(args);
  run.Dump = ReadFileText(dir.Path() + "/dump.txt");
  return run;
}

long TimeOf(const TPlayerResult& r, int index, const std::string& page = kStart) {
  const std::string suffix = " " + page + " #" + std::to_string(index) + " ";
  for (const std::string& l : r.ErrorLines) {
    const size_t at = l.find(suffix);
    if (l.rfind("trace: ", 0) == 0 && at != std::string::npos) return std::stol(l.substr(7, at - 7));
  }
  return -1;
}

// Start page: a transparent clickable layer over (0, 0, 100, 100) with the
// given click settings, then the wait, then "@rem"; page "sub" marks its
// run in %s% and returns.
std::vector<std::string> ButtonScript(const std::vector<std::string>& click, const std::vector<std::string>& wait) {
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "<Head End>",
                                    "<Book=\"" + kBook + "\">", "<Page=\"スタートページ\">",
                                    "DynamicLayer.Clickable.Mode=All", "DynamicLayer.Clickable.BookName=" + kBook,
                                    "DynamicLayer.Clickable.PageName=sub", "DynamicLayer.Area.Width=100",
                                    "DynamicLayer.Area.Height=100"};
  lines.insert(lines.end(), click.begin(), click.end());
  lines.push_back("@DynamicLayer");
  lines.insert(lines.end(), wait.begin(), wait.end());
  lines.push_back("@Wait");
  lines.push_back("@rem");
  for (const char* l : {"<Page End>", "<Page=\"sub\">", "ValueCtrl.ValueVar=%s%", "ValueCtrl.LeftValue=1",
                        "@ValueCtrl", "@Return", "<Page End>", "<Book End>"}) {
    lines.push_back(l);
  }
  return lines;
}

const std::vector<std::string> kClickWait = {"Wait.InputBreak=1", "Wait.Input=Clickable"};

TEST(InputClick, CallFromATransparentLayerReturnsAfterTheWait) {
  const TRun run = RunWith(ButtonScript({"DynamicLayer.Clickable.Move=Call"}, kClickWait), "1000 click 10 10\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 0, kSub), 1000);
  EXPECT_EQ(TimeOf(run.Result, 2), 1000);  // "@rem" after "@Return"
  EXPECT_NE(run.Dump.find("[values]\ns=1\n"), std::string::npos) << run.Dump;
  EXPECT_NE(run.Dump.find("[stack]\n[values]"), std::string::npos) << run.Dump;
}

TEST(InputClick, MoveJumpsAndAClickOutsideTheLayerDoesNothing) {
  const TRun run = RunWith(ButtonScript({}, kClickWait), "600 click 150 150\n1000 click 99 99\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);  // "sub" ends in "@Return" with an empty stack
  EXPECT_EQ(TimeOf(run.Result, 0, kSub), 1000);
  EXPECT_EQ(TimeOf(run.Result, 2), -1);
}

TEST(InputClick, KeepCallReturnsIntoTheSameTimedWait) {
  const TRun run = RunWith(
      ButtonScript({"DynamicLayer.Clickable.Move=Call", "DynamicLayer.Clickable.KeepExecuteMode=1"},
                   {"Wait.InputBreak=1", "Wait.Input=Clickable", "Wait.TimeBreak=1", "Wait.Time=3000"}),
      "1000 click 10 10\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 0, kSub), 1000);
  // The wait began at 200 and still ends by its time, not at the return.
  EXPECT_EQ(TimeOf(run.Result, 2), 3200);
  EXPECT_NE(run.Dump.find("[values]\ns=1\n"), std::string::npos) << run.Dump;
}

TEST(InputClick, RightAndMiddleClicksDoNothing) {
  const TRun run = RunWith(ButtonScript({"DynamicLayer.Clickable.Move=Call"}, {"Wait.InputBreak=1"}),
                           "600 rclick 10 10\n800 mclick 10 10\n1000 rclick 300 300\n1200 mclick 300 300\n",
                           {"--max-time", "2000"});
  EXPECT_EQ(run.Result.ExitStatus, 3);
  EXPECT_EQ(TimeOf(run.Result, 0, kSub), -1);
  EXPECT_EQ(TimeOf(run.Result, 2), -1);
  EXPECT_NE(run.Dump.find("[process]\nPlayerMode=2\n"), std::string::npos) << run.Dump;
}

// A headless platform that counts the frames presented.
class TCountingPlatform : public THeadlessPlatform {
 public:
  explicit TCountingPlatform(THeadlessOptions options) : THeadlessPlatform(options) {}
  void Present() override { ++Presents; }
  int Presents = 0;
};

// The main form driven step by step in this process, to watch the cursor.
class InputForm : public ::testing::Test {
 protected:
  void SetUp() override {
    THeadlessOptions options;
    options.EchoToStderr = false;
    FPlatform = std::make_unique<TCountingPlatform>(options);
    InstallPlatform(FPlatform.get());
    TFormOptions form;
    form.ContentPath = FDir.Write("game.pf5", MakeScript(ButtonScript({}, kClickWait)));
    FForm = std::make_unique<TfrmMain>(form);
    ASSERT_TRUE(FForm->FormCreate());
    FForm->FormShow();
    FForm->StartExecution();
  }
  void TearDown() override {
    FForm.reset();
    InstallPlatform(nullptr);
  }
  // Runs ticks until the process waits (at most a few).
  void RunUntilWaiting() {
    for (int i = 0; i < 10 && FForm->AccessControl().Process().PlayerMode != TPeltoProcess::Waiting; ++i) {
      FPlatform->AdvanceClock(200);
      FForm->RunSteps();
    }
    ASSERT_EQ(FForm->AccessControl().Process().PlayerMode, TPeltoProcess::Waiting);
  }
  TTempDir FDir;
  std::unique_ptr<TCountingPlatform> FPlatform;
  std::unique_ptr<TfrmMain> FForm;
};

TEST_F(InputForm, TheSelectCursorShowsOnlyOverAnActiveLayerWhileWaiting) {
  // Before the wait the layer is not active: the arrow stays.
  FForm->FormMouseMove(10, 10);
  EXPECT_EQ(FPlatform->Cursor(), crDefault);
  RunUntilWaiting();
  FForm->FormMouseMove(10, 10);
  EXPECT_EQ(FPlatform->Cursor(), crSelect);
  FForm->FormMouseMove(200, 200);
  EXPECT_EQ(FPlatform->Cursor(), crDefault);
  FForm->FormMouseMove(50, 50);
  EXPECT_EQ(FPlatform->Cursor(), crSelect);
  // The wait ends by the click; the cursor stays until the mouse moves.
  FForm->FormMouseDown(TMouseButton::Left, 50, 50);
  EXPECT_NE(FForm->AccessControl().Process().PlayerMode, TPeltoProcess::Waiting);
  EXPECT_EQ(FPlatform->Cursor(), crSelect);
  FForm->FormMouseMove(50, 51);
  EXPECT_EQ(FPlatform->Cursor(), crDefault);
}

TEST_F(InputForm, HoverRepaintsOnlyWhenTheActiveEntryChanges) {
  RunUntilWaiting();
  TDynamicLayerList* entry = FForm->ScreenControl().GetWindow(0)->Screen->DynamicLayers.GetNewest();
  ASSERT_NE(entry, nullptr);
  const int before = FPlatform->Presents;
  FForm->FormMouseMove(10, 10);
  EXPECT_EQ(entry->Status, TDynamicStatus::Active);
  EXPECT_EQ(FPlatform->Presents, before + 1);
  FForm->FormMouseMove(20, 20);
  FForm->FormMouseMove(30, 30);
  EXPECT_EQ(FPlatform->Presents, before + 1);
  FForm->FormMouseMove(300, 300);
  FForm->FormMouseMove(310, 300);
  EXPECT_EQ(entry->Status, TDynamicStatus::Idle);
  EXPECT_EQ(FPlatform->Presents, before + 2);
  // A right button press changes nothing and the wait goes on.
  FForm->FormMouseMove(10, 10);
  FForm->FormMouseDown(TMouseButton::Right, 10, 10);
  FForm->FormMouseDown(TMouseButton::Middle, 10, 10);
  EXPECT_EQ(FForm->AccessControl().Process().PlayerMode, TPeltoProcess::Waiting);
  EXPECT_EQ(entry->Status, TDynamicStatus::Active);
  // Space does not end a wait without the any-key break.
  FForm->FormKeyDown(VK_SPACE);
  EXPECT_EQ(FForm->AccessControl().Process().PlayerMode, TPeltoProcess::Waiting);
}

}  // namespace
}  // namespace pelto5::test
