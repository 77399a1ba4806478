// File names from scripts, end to end: packed and loose content find the
// same files whatever the spelling of the path, a data directory of "." is
// the content's folder, and names that would leave the folder are refused
// with a message.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

int Pack(const std::vector<std::string>& args) { return RunPack(args).ExitStatus; }

std::string DemoPng() { return ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/demo/night.png"); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

TEST(ContentNames, PackedAndLooseContentFindTheSameSpellingsOfAName) {
  TTempDir dir;
  std::vector<std::string> page;
  for (const char* name : {".\\pic.png", "sub\\.\\pic.png", "sub\\\\pic.png", "sub/pic.png", "sub\\..\\pic.png",
                           "pic.png\\", "SUB/Pic.PNG"}) {
    page.insert(page.end(), {std::string("GraphicDraw.FileName=") + name, "@GraphicDraw"});
  }
  // The pictures of an open save are found the same way.
  page.insert(page.end(), {"SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s.sav", "@SaveCtrl",
                           "SaveCtrl.Command=Open", "SaveCtrl.FileName=s.sav", "@SaveCtrl",
                           "GraphicDraw.FileName=.\\_smallimage.bmp", "@GraphicDraw",
                           "GraphicDraw.FileName=/_smallimage.bmp", "@GraphicDraw",
                           "SaveCtrl.Command=Close", "@SaveCtrl"});
  dir.Write("src/pelto.pf5", MakeScript(ScriptWithPage(page, {"DataDirectory=data"})));
  dir.Write("src/pic.png", DemoPng());
  dir.Write("src/sub/pic.png", DemoPng());
  std::filesystem::create_directory(dir.Path() + "/data");
  std::filesystem::create_directory(dir.Path() + "/src/data");
  const std::string package = dir.Path() + "/story.pp5";
  ASSERT_EQ(Pack({"create", package, dir.Path() + "/src"}), 0);

  for (const std::string& content : {package, dir.Path() + "/src/pelto.pf5"}) {
    const TPlayerResult r = RunPlayer({"--headless", content});
    EXPECT_EQ(r.ExitStatus, 0) << content;
    // Only the absolute name is refused, in both.
    EXPECT_EQ(Joined(r.LinesStartingWith("message")),
              "message (error, ignore): 画像ファイル「/_smallimage.bmp」の読み込みに失敗しました\\n"
              "このファイルが存在しないか、このファイルを読み込むためのSusieプラグインが必要です。\n"
              "message (error, ok): 画像「/_smallimage.bmp」の読み込みができません\n")
        << content;
  }
}

TEST(ContentNames, ADataDirectoryOfDotIsTheContentFolder) {
  for (const char* setting : {".", ".\\", ".\\.", "data\\.."}) {
    TTempDir dir;
    const std::string script =
        dir.Write("game.pf5", MakeScript(ScriptWithPage({"SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=s1.sav",
                                                         "@SaveCtrl"},
                                                        {std::string("DataDirectory=") + setting})));
    const TPlayerResult r = RunPlayer({"--headless", script});
    EXPECT_EQ(r.ExitStatus, 0) << setting;
    EXPECT_EQ(Joined(r.LinesStartingWith("message")), "") << setting;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/s1.sav")) << setting;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/p_save00.svi")) << setting;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/game")) << setting;
  }
  // A setting that leaves the folder is still refused.
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage({"@rem"}, {"DataDirectory=.."})));
  const TPlayerResult r = RunPlayer({"--headless", "--answer", "no", script});
  EXPECT_EQ(Joined(r.LinesStartingWith("message")), "message (error, ok): フォルダの作成に失敗しました\n");
}

TEST(ContentNames, AValueFileNamedOutsideTheFolderIsRefusedWithAMessage) {
  TTempDir dir;
  std::filesystem::create_directories(dir.Path() + "/a/b/game");
  const std::string script = dir.Write(
      "a/b/game.pf5",
      MakeScript(ScriptWithPage({"SaveCtrl.Command=Create", "SaveCtrl.FileName=..\\..\\esc.dat", "@SaveCtrl",
                                 "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=k", "SaveCtrl.Value=1", "@SaveCtrl",
                                 "SaveCtrl.Command=Close", "@SaveCtrl",
                                 "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=C:\\esc.sav", "@SaveCtrl",
                                 "SaveCtrl.Command=Create", "SaveCtrl.FileName=ok.dat", "@SaveCtrl",
                                 "SaveCtrl.Command=Close", "@SaveCtrl"})));
  const TPlayerResult r = RunPlayer({"--headless", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(Joined(r.LinesStartingWith("message")),
            "message (error, ignore): Cannot open the file \"..\\..\\esc.dat\"\\n"
            "A file name that points outside the data folder cannot be used.\n"
            "message (error, ignore): Cannot open the file \"C:\\esc.sav\"\\n"
            "A file name that points outside the data folder cannot be used.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/esc.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/a/esc.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/a/b/game/ok.dat"));

  // Abort ends the run there.
  std::filesystem::remove(dir.Path() + "/a/b/game/ok.dat");
  const TPlayerResult aborted = RunPlayer({"--headless", "--answer", "abort", script});
  EXPECT_EQ(aborted.LinesStartingWith("message").size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/a/b/game/ok.dat"));
}

}  // namespace
}  // namespace pelto5::test
