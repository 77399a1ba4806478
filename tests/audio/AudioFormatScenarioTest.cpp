// Sound formats in scenarios run by the player, headless: a waited-for
// sound holds the script for its decoded length whatever its format, and a
// damaged file is "missing" with its reason in the trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/SoundFiles.h"
#include "audio/TrackerModules.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::string kPage = "スタートブック/スタートページ";

// Puts the scenario sound name (sounds.txt) into dir; false if that failed.
::testing::AssertionResult MakeTone(const std::string& dir, const std::string& name) {
  std::string failed;
  if (CopyTestSound(name, dir, failed)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << failed;
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

// The length the trace gives for the file ("audio: MS KIND open NAME Nms"), or -1.
long OpenedLength(const TPlayerResult& r, const std::string& name) {
  for (const std::string& l : r.ErrorLines) {
    const size_t at = l.find(" open " + name + " ");
    if (l.rfind("audio: ", 0) == 0 && at != std::string::npos) return std::stol(l.substr(at + 7 + name.size()));
  }
  return -1;
}

TEST(AudioFormatScenario, AWaitedSoundHoldsTheScriptForItsDecodedLengthInEveryFormat) {
  TTempDir dir;
  ASSERT_TRUE(MakeTone(dir.Path(), "chime.ogg"));
  ASSERT_TRUE(MakeTone(dir.Path(), "knock.wav"));
  ASSERT_TRUE(MakeTone(dir.Path(), "voice.wma"));
  ASSERT_TRUE(MakeTone(dir.Path(), "bell.wav"));
  dir.Write("fanfare.mid", OneSecondMidi());
  const std::vector<std::string> sounds = {"chime.ogg", "knock.wav", "voice.wma", "bell.wav", "fanfare.mid"};
  const std::vector<long> nominal = {700, 300, 1200, 400, 1000};
  std::vector<std::string> page;
  for (const std::string& s : sounds) {
    page.insert(page.end(), {"Sound.FileName=" + s, "Sound.Wait=1", "@Sound"});
  }
  page.push_back("@rem");
  const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage(page)));
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--trace-audio", "--max-time", "20000", script});
  ASSERT_EQ(r.ExitStatus, 0);

  long at = 200;
  for (size_t i = 0; i < sounds.size(); ++i) {
    SCOPED_TRACE(sounds[i]);
    const long length = OpenedLength(r, sounds[i]);
    EXPECT_NEAR(length, nominal[i], 80) << "the trace shows the decoded length";
    EXPECT_EQ(TimeOf(r, static_cast<int>(i)), at);
    // The wait looks at the sound every 100 ms.
    at += (length + 99) / 100 * 100;
  }
  EXPECT_EQ(TimeOf(r, static_cast<int>(sounds.size())), at);
  EXPECT_TRUE(r.LinesStartingWith("message (").empty());
}

TEST(AudioFormatScenario, TrackerModulesPlayAsMusicAndHoldAWaitForTheirRowsAndFadeOut) {
  TTempDir dir;
  const std::vector<TTrackerModule> modules = TrackerModules();
  // The first module is the music; the script waits for each of the others.
  std::vector<std::string> page = {"Music.FileName=" + modules[0].Name, "@Music"};
  for (const TTrackerModule& m : modules) {
    dir.Write(m.Name, m.Bytes);
    if (&m != &modules[0]) page.insert(page.end(), {"Sound.FileName=" + m.Name, "Sound.Wait=1", "@Sound"});
  }
  page.push_back("@rem");
  const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage(page)));
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--trace-audio", "--max-time", "20000", script});
  ASSERT_EQ(r.ExitStatus, 0);
  // libopenmpt fades a song out over 100 ms after its last row.
  EXPECT_TRUE(r.HasLine("audio: 200 music open " + modules[0].Name + " " +
                        std::to_string(modules[0].LengthMs() + 100) + "ms"));
  EXPECT_TRUE(r.HasLine("audio: 200 music play"));
  long at = 200;
  for (size_t i = 1; i < modules.size(); ++i) {
    SCOPED_TRACE(modules[i].Name);
    EXPECT_EQ(OpenedLength(r, modules[i].Name), static_cast<long>(modules[i].LengthMs() + 100));
    EXPECT_EQ(TimeOf(r, static_cast<int>(i)), at);
    at += (modules[i].LengthMs() + 100 + 99) / 100 * 100;
  }
  EXPECT_EQ(TimeOf(r, static_cast<int>(modules.size())), at) << "the @rem after the last wait";
  EXPECT_TRUE(r.LinesStartingWith("message (").empty());
}

TEST(AudioFormatScenario, ADamagedFileIsMissingAndTheTraceSaysWhy) {
  TTempDir dir;
  ASSERT_TRUE(MakeTone(dir.Path(), "whole.mp3"));
  dir.Write("cut.mp3", ReadFileText(dir.Path() + "/whole.mp3").substr(0, 90));
  std::string noise;
  for (int i = 0; i < 5000; ++i) noise += static_cast<char>((i * 2654435761u) >> 24);
  dir.Write("noise.wma", noise);
  dir.Write("broken.mid", OneSecondMidi().substr(0, 30));
  const std::string script = dir.Write(
      "game.pf5", MakeScript(ScriptWithPage({"Music.FileName=whole.mp3", "@Music", "Music.FileName=cut.mp3", "@Music",
                                             "Sound.FileName=noise.wma", "Sound.Wait=1", "@Sound",
                                             "Sound.FileName=broken.mid", "Sound.Wait=1", "@Sound", "@rem"})));
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--trace-audio", "--max-time", "20000", script});
  ASSERT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> audio = r.LinesStartingWith("audio: ");
  for (const std::string name : {"cut.mp3", "noise.wma", "broken.mid"}) {
    SCOPED_TRACE(name);
    int missing = 0, reasons = 0;
    for (const std::string& l : audio) {
      if (l.find(" missing " + name) != std::string::npos) ++missing;
      if (l.find(" cannot play " + name + ": ") != std::string::npos && l.size() > l.find(": ", 7) + 3) ++reasons;
    }
    EXPECT_EQ(missing, 1);
    EXPECT_EQ(reasons, 1);
  }
  EXPECT_TRUE(r.HasLine("audio: 200 sound cannot play broken.mid: truncated MIDI track 1"));
  // Nothing was waited for; the music played until the next track was asked for.
  EXPECT_EQ(TimeOf(r, 4), 200);
  EXPECT_TRUE(r.HasLine("audio: 200 music open whole.mp3 1000ms"));
  EXPECT_TRUE(r.HasLine("audio: 200 music stop"));
  EXPECT_TRUE(r.LinesStartingWith("message (").empty());
}

TEST(AudioFormatScenario, TraceAudioAloneWritesTheAudioLines) {
  TTempDir dir;
  dir.Write("fanfare.mid", OneSecondMidi());
  const std::string script =
      dir.Write("game.pf5", MakeScript(ScriptWithPage({"Music.FileName=fanfare.mid", "@Music", "@rem"})));
  const TPlayerResult r = RunPlayer({"--headless", "--trace-audio", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.HasLine("audio: 200 music open fanfare.mid 1000ms"));
  EXPECT_TRUE(r.LinesStartingWith("trace: ").empty());
}

}  // namespace
}  // namespace pelto5::test
