// Saving and loading the whole state, and the system settings, through the
// player, headless.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

TEST(SaveEndToEnd, AStateSaveLoadsBackItsPositionVariablesAndLayers) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() + "/game");  // the data directory
  // Saves are made from a called page: the saved position is the caller's
  // return frame, and a load resumes after that call.
  std::vector<std::string> lines = {
      "<Head=\"Pelto\">", "FileType=PV5", "<Head End>",
      "<Book=\"本\">",
      "<Page=\"一\">",
      "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=1", "@ValueCtrl",
      "Layer.Name=背景レイヤー", "Layer.Pos.Change=1", "Layer.Pos.Left=7", "Layer.Pos.Top=9", "@LayerCtrl",
      "Call.BookName=本", "Call.PageName=保存", "@Call",
      // Resumed here after the save, and again after the load. A system
      // value (not part of a state save) tells the second time apart.
      "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=loaded", "SaveCtrl.Variable=%loaded%", "@SaveCtrl",
      "if.Variable1=%loaded%", "if.Variable2=1", "@if",
      "Move.BookName=本", "Move.PageName=終", "@Move",
      "@endif",
      "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=2", "@ValueCtrl",
      "Layer.Name=背景レイヤー", "Layer.Pos.Change=1", "Layer.Pos.Left=0", "Layer.Pos.Top=0", "@LayerCtrl",
      "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=loaded", "SaveCtrl.Value=1", "@SaveCtrl",
      "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=s1.sav", "@SaveCtrl",
      "<Page End>",
      "<Page=\"保存\">",
      "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav", "@SaveCtrl", "@Return",
      "<Page End>",
      "<Page=\"終\">", "@rem", "<Page End>",
      "<Book End>"};
  // Overwrite the start page keys for this book.
  lines.insert(lines.begin() + 2, "StartBook=本");
  lines.insert(lines.begin() + 3, "StartPage=一");
  const std::string script = dir.Write("game.pf5", MakeScript(lines));
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunPlayer({"--headless", "--trace", "--dump-state", dump, script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty()) << r.LinesStartingWith("message").front();
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/game/s1.sav"));
  // After the load "_reload" ran and the page went on after the save.
  bool reloaded = false;
  for (const std::string& l : r.ErrorLines) reloaded = reloaded || l.find("_system/_reload #0 @Return") != std::string::npos;
  EXPECT_TRUE(reloaded);
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("Stack.PageName=終\n"), std::string::npos) << state;
  EXPECT_NE(state.find("[values]\nn=1\nloaded=1\n[strings]"), std::string::npos) << state;
  EXPECT_NE(state.find("1=背景レイヤー|0||7|9|"), std::string::npos) << state;
}

TEST(SaveEndToEnd, SettingsPersistBetweenRuns) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() + "/game");
  const std::string first = dir.Write(
      "game.pf5", MakeScript(ScriptWithPage({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=clear", "SaveCtrl.Value=3",
                                             "@SaveCtrl", "System.Command=MusicVolume", "System.Volume=40",
                                             "@System"})));
  EXPECT_EQ(RunPlayer({"--headless", first}).ExitStatus, 0);
  const std::string settings = ReadFileText(dir.Path() + "/game/p_save00.svi");
  EXPECT_NE(settings.find("clear=3\r\n"), std::string::npos) << settings;

  dir.Write("game.pf5", MakeScript(ScriptWithPage({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=clear",
                                                   "SaveCtrl.Variable=%c%", "@SaveCtrl"})));
  const std::string dump = dir.Path() + "/dump.txt";
  EXPECT_EQ(RunPlayer({"--headless", "--dump-state", dump, first}).ExitStatus, 0);
  EXPECT_NE(ReadFileText(dump).find("[values]\nc=3\n"), std::string::npos) << ReadFileText(dump);
}

std::string PageOf(const std::string& dump) {
  const size_t at = dump.find("Stack.PageName=");
  return at == std::string::npos ? "" : dump.substr(at, dump.find('\n', at) - at);
}

// A state save made on the start page, which no call led to (the stack is
// empty), loads, and play resumes right after the save.
TEST(SaveEndToEnd, ASaveMadeOnATopLevelPageLoadsAndResumesThere) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() + "/game");
  std::vector<std::string> lines = ScriptWithPage(
      {"ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=1", "@ValueCtrl",
       "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=top.sav", "@SaveCtrl",
       // Resumed here after the load: the system value tells it apart.
       "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=loaded", "SaveCtrl.Variable=%loaded%", "@SaveCtrl",
       "if.Variable1=%loaded%", "if.Variable2=1", "@if",
       "Move.BookName=スタートブック", "Move.PageName=終", "@Move",
       "@endif",
       "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=2", "@ValueCtrl",
       "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=loaded", "SaveCtrl.Value=1", "@SaveCtrl",
       "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=top.sav", "@SaveCtrl",
       "ValueCtrl.ValueVar=%wrong%", "ValueCtrl.LeftValue=1", "@ValueCtrl"});
  lines.insert(lines.end() - 1, {"<Page=\"終\">", "@rem", "<Page End>"});
  const std::string script = dir.Write("game.pf5", MakeScript(lines));
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunPlayer({"--headless", "--dump-state", dump, script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("message").size(), 0u) << r.LinesStartingWith("message").front();
  const std::string state = ReadFileText(dump);
  EXPECT_EQ(PageOf(state), "Stack.PageName=終") << state;
  EXPECT_NE(state.find("[values]\nn=1\nloaded=1\n[strings]"), std::string::npos) << state;
}

// A top-level save as a player that keeps no position writes it: an empty
// "stack.info". It loads; with no position in it, play goes on after the
// command that loaded it, with the saved variables.
TEST(SaveEndToEnd, ASaveWithAnEmptyStackLoads) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() + "/save");
  const std::string writer = dir.Write(
      "writer.pf5", MakeScript(ScriptWithPage({"ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=5", "@ValueCtrl",
                                               "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=top.sav",
                                               "@SaveCtrl"},
                                              {"DataDirectory=save"})));
  ASSERT_EQ(RunPlayer({"--headless", writer}).ExitStatus, 0);
  // The same save with its stack emptied.
  const std::string entries = dir.Path() + "/entries";
  ASSERT_EQ(RunPack({"extract", dir.Path() + "/save/top.sav", "-o", entries}).ExitStatus, 0);
  ASSERT_TRUE(std::filesystem::exists(entries + "/stack.info"));
  EXPECT_NE(ReadFileText(entries + "/stack.info"), "");
  dir.Write("entries/stack.info", "");
  ASSERT_EQ(RunPack({"create", "--magic", "PV5SAVE", dir.Path() + "/save/old.sav", entries}).ExitStatus, 0);

  const std::string reader = dir.Write(
      "reader.pf5",
      MakeScript(ScriptWithPage({"SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=old.sav", "@SaveCtrl",
                                 "ValueCtrl.ValueVar=%after%", "ValueCtrl.LeftValue=%n%",
                                 "@ValueCtrl"},
                                {"DataDirectory=save"})));
  const std::string dump = dir.Path() + "/dump.txt";
  const TPlayerResult r = RunPlayer({"--headless", "--dump-state", dump, reader});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("message").size(), 0u) << r.LinesStartingWith("message").front();
  const std::string state = ReadFileText(dump);
  EXPECT_NE(state.find("[values]\nn=5\nafter=5\n"), std::string::npos) << state;
}

}  // namespace
}  // namespace pelto5::test
