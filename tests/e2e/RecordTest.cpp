// --record end to end: the input of a run written as an events file that
// replays headless to the very same state dump. Headless here (the window
// version is in SdlRecordTest.cpp): the demo played through by its
// walkthrough is recorded, and the recording replayed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/InputRecorder.h"
#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

const std::string kDemo = std::string(PELTO5_BINARY_DIR) + "/demo.pp5";

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(Record, ARecordedPlayThroughReplaysToTheSameState) {
  TTempDir dir;
  // The walkthrough's input at odd moments: between ticks, and a move
  // and a key inside the first transition.
  const std::string events = dir.Write("input.events",
                                       "130 move 10 10\n777 key space\n5000 key space\n10013 key space\n"
                                       "15000 move 320 160\n15201 click 320 160\n17000 key enter\n"
                                       "18000 move 300 210\n18200 click 300 210\n21000 key 123\n21000 key space\n"
                                       "30150 wheel 1\n30300 key escape\n31000 quit\n");
  const std::string recording = dir.Path() + "/rec.events";
  const TPlayerResult original = RunPlayer({"--headless", "--events", events, "--record", recording, "--dump-state",
                                            dir.Path() + "/d1.txt", "--save-dir", dir.Path() + "/s1", kDemo});
  ASSERT_EQ(original.ExitStatus, 0);
  const std::string recorded = ReadFileText(recording);
  EXPECT_NE(recorded.find(" click 320 160\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" key-down 32\n"), std::string::npos) << recorded;
  // F12 became a picture of the replay, not a key.
  EXPECT_NE(recorded.find(" shot " + dir.Path() + "/rec-01.png\n"), std::string::npos) << recorded;
  EXPECT_EQ(recorded.find(" key-down 123"), std::string::npos) << recorded;

  const TPlayerResult replay = RunPlayer({"--headless", "--events", recording, "--dump-state", dir.Path() + "/d2.txt",
                                          "--save-dir", dir.Path() + "/s2", kDemo});
  ASSERT_EQ(replay.ExitStatus, 0);
  EXPECT_EQ(ReadPng(dir.Path() + "/rec-01.png").Width, 640) << "the F12 picture, taken by the replay";
  const std::string first = ReadFileText(dir.Path() + "/d1.txt");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(ReadFileText(dir.Path() + "/d2.txt"), first);
  // A recording of the replay is the recording: every event falls on the
  // same side of the same tick. (Its "shot" line is the replay's own.)
  const TPlayerResult again = RunPlayer({"--headless", "--events", recording, "--record", dir.Path() + "/rec2.events",
                                         "--save-dir", dir.Path() + "/s3", kDemo});
  ASSERT_EQ(again.ExitStatus, 0);
  std::string withoutShot = recorded;
  const size_t shot = withoutShot.find("21000 shot ");
  ASSERT_NE(shot, std::string::npos);
  withoutShot.erase(shot, withoutShot.find('\n', shot) + 1 - shot);
  EXPECT_EQ(ReadFileText(dir.Path() + "/rec2.events"), withoutShot);
}

TEST(Record, ARecordingThatCannotBeWrittenIsSaidOnceAndThePlayGoesOn) {
  TTempDir dir;
  const std::string events = dir.Write("input.events", "5000 key space\n6000 quit\n");
  const std::string path = dir.Path() + "/no-such-folder/rec.events";
  const TPlayerResult r = RunPlayer({"--headless", "--events", events, "--record", path, "--dump-state",
                                     dir.Path() + "/d.txt", kDemo});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("pelto5: --record ").size(), 1u);
  EXPECT_TRUE(r.HasLine("pelto5: --record " + path + ": the recording cannot be written; this run is not recorded"));
  EXPECT_EQ(r.LinesStartingWith("message (warning, ok): --record ").size(), 1u);
  EXPECT_FALSE(ReadFileText(dir.Path() + "/d.txt").empty());
}

// The answers given in the recording run (a question box answered No, a
// typed name, a cancelled dialog) and the reader's Alt+Enter are in the
// recording, so a replay that is told nothing else answers the same and
// ends in the same state.
TEST(Record, DialogAnswersAndTheFullScreenSwitchAreRecordedAndReplayed) {
  TTempDir dir;
  const std::vector<std::string> page = {
      "StringInput.StringVar=$名$", "StringInput.Text=名前は？", "@StringInput",
      "StringInput.StringVar=$二$", "@StringInput",
      // The data folder is missing: the box asks whether to make it.
      "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
      // The reader's Alt+Enter switches the mode the script sees.
      "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait", "ValueCtrl.ValueVar=%f%", "ValueCtrl.LeftValue=%_fullscreen%",
      "@ValueCtrl"};
  const std::string script = dir.Write("game/game.pf5", MakeScript(ScriptWithPage(page, {"DataDirectory=data"})));
  const std::string events = dir.Write("input.events", "0 text ナギ\n0 text-cancel\n500 fullscreen\n2000 quit\n");
  const std::string recording = dir.Path() + "/rec.events";
  const TPlayerResult original = RunPlayer({"--headless", "--answer", "no", "--events", events, "--record", recording,
                                            "--dump-state", dir.Path() + "/d1.txt", script});
  ASSERT_EQ(original.ExitStatus, 0);
  ASSERT_EQ(original.LinesStartingWith("message (warning, no): ").size(), 1u) << Joined(original.ErrorLines);
  const std::string recorded = ReadFileText(recording);
  EXPECT_NE(recorded.find(" text ナギ\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" text-cancel\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" answer no\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find(" fullscreen\n"), std::string::npos) << recorded;

  const TPlayerResult replay = RunPlayer({"--headless", "--events", recording, "--dump-state", dir.Path() + "/d2.txt",
                                          script});
  ASSERT_EQ(replay.ExitStatus, 0);
  EXPECT_EQ(replay.LinesStartingWith("message (warning, no): ").size(), 1u) << Joined(replay.ErrorLines);
  const std::string first = ReadFileText(dir.Path() + "/d1.txt");
  EXPECT_NE(first.find("名=ナギ\n"), std::string::npos) << first;
  EXPECT_NE(first.find("\nf=1\n"), std::string::npos) << first;
  EXPECT_EQ(ReadFileText(dir.Path() + "/d2.txt"), first);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/game/data"));
}

// A game controller's presses are passed on while recording, written as
// "pad" lines, and replay to the same choice.
TEST(Record, PadButtonsAreRecordedAndReplayed) {
  TTempDir dir;
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "<Head End>",
                                    "<Book=\"スタートブック\">", "<Page=\"スタートページ\">", "Select.Area.Left=20",
                                    "Select.Area.Top=100", "Select.Area.Width=300", "Select.Text1=一つ目",
                                    "Select.Page1=p1", "Select.Text2=二つ目", "Select.Page2=p2", "@Select",
                                    "<Page End>"};
  for (const char* page : {"p1", "p2"}) {
    for (const std::string& l : {std::string("<Page=\"") + page + "\">", std::string("ValueCtrl.ValueVar=%r%"),
                                 std::string("ValueCtrl.LeftValue=") + (page[1] == '1' ? "1" : "2"), std::string("@ValueCtrl"),
                                 std::string("<Page End>")}) {
      lines.push_back(l);
    }
  }
  lines.push_back("<Book End>");
  const std::string script = dir.Write("game.pf5", MakeScript(lines));
  const std::string events = dir.Write("input.events", "400 pad dpdown\n500 pad dpdown\n800 pad a\n1500 quit\n");
  const std::string recording = dir.Path() + "/rec.events";
  const TPlayerResult original = RunPlayer({"--headless", "--events", events, "--record", recording, "--dump-state",
                                            dir.Path() + "/d1.txt", script});
  ASSERT_EQ(original.ExitStatus, 0);
  const std::string recorded = ReadFileText(recording);
  EXPECT_NE(recorded.find("400 pad dpdown\n500 pad dpdown\n800 pad a\n"), std::string::npos) << recorded;
  const std::string first = ReadFileText(dir.Path() + "/d1.txt");
  EXPECT_NE(first.find("[values]\nr=2\n"), std::string::npos) << first;
  const TPlayerResult replay =
      RunPlayer({"--headless", "--events", recording, "--dump-state", dir.Path() + "/d2.txt", script});
  ASSERT_EQ(replay.ExitStatus, 0);
  EXPECT_EQ(ReadFileText(dir.Path() + "/d2.txt"), first);
}

// Input that comes while a tick runs its commands, before the clock has
// moved (the window player reads its events between two commands), reaches
// the form only once the tick is over, and is written just after the tick:
// where a headless replay delivers it.
TEST(Record, InputBetweenTwoCommandsOfATickIsPassedOnAfterTheTick) {
  struct TForm : TPlatformClient {
    TInputRecorder* Recorder = nullptr;
    std::vector<std::string> Log;
    void FormMouseDown(TMouseButton, int x, int y) override {
      Log.push_back("down " + std::to_string(x) + " " + std::to_string(y));
    }
    void FormMouseUp(TMouseButton, int, int) override { Log.push_back("up"); }
    void FormMouseMove(int, int) override {}
    void FormKeyDown(int key) override { Log.push_back("key " + std::to_string(key)); }
    void FormKeyUp(int) override {}
    void FormPaint() override {}
    void FormActivate() override {}
    void MainTimerTimer() override {
      Log.push_back("tick");
      Recorder->FormMouseDown(TMouseButton::Left, 5, 6);
      Recorder->FormMouseUp(TMouseButton::Left, 5, 6);
      Log.push_back("tick end");
    }
  };
  TTempDir dir;
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform platform(options);
  InstallPlatform(&platform);
  TForm form;
  TInputRecorder recorder(form, dir.Path() + "/rec.events");
  form.Recorder = &recorder;
  ASSERT_TRUE(recorder.Start());
  platform.AdvanceClock(200);
  recorder.MainTimerTimer();
  // Between ticks input goes straight through.
  recorder.FormKeyDown(65);
  recorder.Finish();
  InstallPlatform(nullptr);
  EXPECT_EQ(form.Log, (std::vector<std::string>{"tick", "tick end", "down 5 6", "up", "key 65"}));
  EXPECT_NE(recorder.Text().find("\n201 click 5 6\n201 key-down 65\n201 quit\n"), std::string::npos)
      << recorder.Text();
}

}  // namespace
}  // namespace pelto5::test
