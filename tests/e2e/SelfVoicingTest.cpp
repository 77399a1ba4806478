// Reading aloud end to end, through the headless player (where each spoken
// page is a "speech: TEXT" line): off until V, every page as it begins,
// and the choice kept in the player's own settings from one run to the
// next.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

// Two messages, the second running on to a second page, and a variable.
const std::vector<std::string> kScenario = ScriptWithPage({
    "StringCtrl.StringVar=$名前$", "StringCtrl.Text=ナギ", "@StringCtrl",
    "MessageDraw.Text=<B>$名前$</B>です<KEY>よろしく", "@MessageDraw",
    "MessageDraw.Layer.Move=1", "MessageDraw.Area.Width=640", "MessageDraw.Area.Height=30",
    "MessageDraw.Text=Hello#world", "@MessageDraw", "@rem"});

const char* const kSpaces = "1000 key space\n2000 key space\n3000 key space\n4000 key space\n";

struct TRun {
  TPlayerResult Result;
  std::vector<std::string> Speech;
};

TRun RunGame(const TTempDir& config, const TTempDir& game, const std::string& events) {
  TRun run;
  run.Result = RunPlayerBinary(PELTO5_PLAYER,
                               {"--headless", "--max-time", "10000", "--events", game.Write("events.txt", events),
                                game.Write("game.pf5", MakeScript(kScenario))},
                               UserConfigAt(config.Path()));
  run.Speech = run.Result.LinesStartingWith("speech: ");
  return run;
}

TEST(SelfVoicing, OffUntilVThenEveryPageIsSpokenAndTheChoiceIsKeptForTheNextRun) {
  TTempDir config;
  TTempDir game;
  const std::string settings = config.Path() + "/pelto5/player.ini";

  const TRun silent = RunGame(config, game, kSpaces);
  EXPECT_EQ(silent.Result.ExitStatus, 0);
  EXPECT_TRUE(silent.Speech.empty());
  EXPECT_EQ(ReadFileText(settings), "");  // nothing written without a change

  // V before the first message: each page as it begins, the key wait
  // inside a page no new one.
  const std::vector<std::string> all = {"speech: ナギですよろしく", "speech: Hello", "speech: world"};
  const TRun on = RunGame(config, game, std::string("100 key 86\n") + kSpaces);
  EXPECT_EQ(on.Result.ExitStatus, 0);
  EXPECT_EQ(on.Speech, all);
  EXPECT_EQ(ReadFileText(settings), "SelfVoicing=1\r\n");

  // The next run reads aloud from its start.
  EXPECT_EQ(RunGame(config, game, kSpaces).Speech, all);

  // Turned off after the first page: only that page was spoken, and the
  // setting is off again.
  const TRun off = RunGame(config, game, std::string("500 key 86\n") + kSpaces);
  EXPECT_EQ(off.Speech, std::vector<std::string>{"speech: ナギですよろしく"});
  EXPECT_EQ(ReadFileText(settings), "SelfVoicing=0\r\n");
}

}  // namespace
}  // namespace pelto5::test
