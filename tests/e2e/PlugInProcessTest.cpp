// Image plug-ins run in the player's helper process: a plug-in that crashes
// or hangs while decoding costs that picture only. The player reports it as
// any picture it cannot load, decodes the next one through a new helper and
// ends normally, settings written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

std::string LoadFailure(const std::string& name) {
  return "message (error, ignore): 画像ファイル「" + name + "」の読み込みに失敗しました\\n" +
         "このファイルが存在しないか、このファイルを読み込むためのSusieプラグインが必要です。\n" +
         "message (error, ok): 画像「" + name + "」の読み込みができません\n";
}

TEST(PlugInProcess, APlugInThatCrashesOrHangsCostsOnlyItsPicture) {
  TTempDir dir;
  const std::string plugIns = PELTO5_TEST_PLUGINS;
  std::filesystem::copy_file(plugIns + "/faulty.spi", dir.Path() + "/faulty.spi");
  std::filesystem::copy_file(plugIns + "/red.spi", dir.Path() + "/red.spi");
  dir.Write("crash.bad", "CRASH");
  dir.Write("hang.bad", "HANG");
  dir.Write("good.ppm", "P6 2 1 255\n" + std::string(6, '\0'));
  std::vector<std::string> page;
  for (const char* name : {"good.ppm", "crash.bad", "good.ppm", "hang.bad", "good.ppm"}) {
    page.insert(page.end(), {std::string("GraphicDraw.FileName=") + name, "@GraphicDraw"});
  }
  const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage(page, {"DataDirectory=."})));

  setenv("PELTO5_PLUGIN_TIMEOUT_MS", "1500", 1);
  const TPlayerResult r = RunPlayer({"--headless", "--trace", script});
  unsetenv("PELTO5_PLUGIN_TIMEOUT_MS");

  EXPECT_EQ(r.ExitStatus, 0);
  std::string messages;
  for (const std::string& line : r.LinesStartingWith("message")) messages += line + "\n";
  // good.ppm decodes each time, the last time through the helper started
  // after the hang.
  EXPECT_EQ(messages, LoadFailure("crash.bad") + LoadFailure("hang.bad"));
  const std::string faulty = "): " + dir.Path() + "/faulty.spi";
  EXPECT_EQ(r.LinesStartingWith("plug-in failed in GetPicture (helper ended with ").size(), 1u);
  EXPECT_TRUE(r.HasLine("plug-in failed in GetPicture (no answer within 1500 ms" + faulty));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/p_save00.svi")) << "settings not written";
}

}  // namespace
}  // namespace pelto5::test
