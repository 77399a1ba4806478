// "@Music", "@Sound" and "@MusicStop" in scenarios run by the player,
// headless: the audio trace lines, the times at which commands run, and
// that no message box is ever shown for audio.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/MusicTestSupport.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::string kPage = "スタートブック/スタートページ";

struct TScenario {
  TPlayerResult Result;
  std::vector<std::string> Audio;     // "audio:" lines without the prefix
  std::vector<std::string> Messages;  // message-box lines
};

// Runs the page with theme.wav (1000 ms), chime.wav (700 ms) and
// click.wav (300 ms) beside the script.
TScenario RunPage(const std::vector<std::string>& page, const std::string& events = "") {
  TTempDir dir;
  dir.Write("theme.wav", WaveOfMs(1000));
  dir.Write("Chime.wav", WaveOfMs(700));
  dir.Write("click.wav", WaveOfMs(300));
  const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage(page)));
  std::vector<std::string> args = {"--headless", "--trace", "--trace-audio", "--max-time", "20000"};
  if (!events.empty()) {
    args.push_back("--events");
    args.push_back(dir.Write("events.txt", events));
  }
  args.push_back(script);
  TScenario run;
  run.Result = RunPlayer(args);
  for (const std::string& l : run.Result.ErrorLines) {
    if (l.rfind("audio: ", 0) == 0) run.Audio.push_back(l.substr(7));
    if (l.rfind("message (", 0) == 0) run.Messages.push_back(l);
  }
  return run;
}

// The time of the trace line of command index of the start page, or -1.
long TimeOf(const TPlayerResult& r, int index) {
  const std::string suffix = " " + kPage + " #" + std::to_string(index) + " ";
  for (const std::string& l : r.ErrorLines) {
    const size_t at = l.find(suffix);
    if (l.rfind("trace: ", 0) == 0 && at != std::string::npos) return std::stol(l.substr(7, at - 7));
  }
  return -1;
}

TEST(MusicScenario, MusicLoopsOnTheMainLoopWhileAWaitedSoundHoldsTheScript) {
  const TScenario run = RunPage({"Music.FileName=theme.wav", "Music.Loop=2", "@Music",
                                 "Sound.FileName=chime.wav", "Sound.Wait=1", "@Sound",
                                 "Wait.TimeBreak=1", "Wait.Time=3000", "@Wait", "@rem"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 0), 200);
  EXPECT_EQ(TimeOf(run.Result, 1), 200);
  EXPECT_EQ(TimeOf(run.Result, 2), 900) << "the waited sound held the script for its 700 ms";
  EXPECT_EQ(TimeOf(run.Result, 3), 4000);
  // The file was found without regard to letter case; the music's end is
  // seen by the first step after it, and its second play is its last.
  EXPECT_EQ(run.Audio, (std::vector<std::string>{
                           "200 music open theme.wav 1000ms", "200 music volume 0", "200 music play",
                           "200 sound open Chime.wav 700ms", "200 sound volume 0", "200 sound play",
                           "900 sound stop", "1200 music rewind", "2200 music stop"}));
  EXPECT_TRUE(run.Messages.empty());
}

TEST(MusicScenario, ProtectedSoundDelaysTheNextAndUnprotectedIsCutOff) {
  const TScenario run = RunPage({"Sound.FileName=chime.wav", "@Sound",
                                 "Sound.FileName=click.wav", "Sound.Protect=0", "@Sound",
                                 "Sound.FileName=chime.wav", "@Sound", "@rem"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 1), 200);
  EXPECT_EQ(TimeOf(run.Result, 2), 900) << "the second sound waited for the protected first";
  EXPECT_EQ(TimeOf(run.Result, 3), 900) << "the third cut off the unprotected second";
  EXPECT_EQ(run.Audio, (std::vector<std::string>{
                           "200 sound open Chime.wav 700ms", "200 sound volume 0", "200 sound play",
                           "900 sound stop", "900 sound open click.wav 300ms", "900 sound volume 0",
                           "900 sound play", "900 sound stop", "900 sound open Chime.wav 700ms",
                           "900 sound volume 0", "900 sound play"}));
}

TEST(MusicScenario, MissingFilesChangeNothingAndMusicStopEndsEndlessMusic) {
  const TScenario run = RunPage({"Music.FileName=theme.wav", "@Music",
                                 "Music.FileName=nothing.ogg", "@Music",
                                 "Sound.FileName=nothing.wav", "Sound.Wait=1", "@Sound",
                                 "Wait.TimeBreak=1", "Wait.Time=2500", "@Wait",
                                 "@MusicStop", "@rem"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 3), 200);
  EXPECT_EQ(TimeOf(run.Result, 4), 2800);
  EXPECT_EQ(run.Audio, (std::vector<std::string>{"200 music open theme.wav 1000ms", "200 music volume 0",
                                                 "200 music play", "1200 music rewind", "2200 music rewind",
                                                 "2800 music stop"}));
  EXPECT_TRUE(run.Messages.empty());
}

TEST(MusicScenario, ClicksDuringAWaitedSoundAreServedButTheScriptWaits) {
  // The click ends no wait here (none is running), so the only effect the
  // script can see is the time at which the next command runs.
  const TScenario run = RunPage({"Sound.FileName=chime.wav", "Sound.Wait=1", "@Sound", "@rem"},
                                "400 click 10 10\n600 key space\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 1), 900);
}

}  // namespace
}  // namespace pelto5::test
