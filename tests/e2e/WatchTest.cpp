// --watch end to end, in the player's own process so that the test can
// edit the script while it plays: a "shot" event hands control to the test,
// which rewrites the file, and a later "reload" event brings the edit in.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "exec/PeltoAccessControl.h"
#include "platform/FileSystem.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/VariableCtrl.h"
#include "shell/FrmMain.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

// The page sets the variable name to value, then waits ten seconds.
std::string PageSetting(const std::string& name, int value, const std::vector<std::string>& more = {}) {
  std::vector<std::string> page = {"ValueCtrl.ValueVar=%" + name + "%", "ValueCtrl.LeftValue=" + std::to_string(value),
                                   "@ValueCtrl", "Wait.Time=10000", "@Wait"};
  std::vector<std::string> lines = ScriptWithPage(page, {"ImageWidth=64", "ImageHeight=48"});
  lines.insert(lines.end() - 1, more.begin(), more.end());
  return MakeScript(lines);
}

struct TWatchRun {
  std::map<std::string, int> Values;  // of a, b and c at the end
  int NextIndex = -1;
  std::vector<std::string> Output;
  std::map<std::string, TCanvas> Shots;
};

// Plays the script at path with --watch; at "shot NAME" the edit of that
// name (if any) is made, and the picture kept.
TWatchRun Play(const std::string& path, const std::string& events,
               const std::map<std::string, std::string>& edits, bool watch = true) {
  TWatchRun run;
  THeadlessOptions options;
  options.EchoToStderr = false;
  options.MaxTime = 3000;
  options.ShotTaken = [&](const std::string& name, const TCanvas& canvas) {
    run.Shots[name] = canvas;
    if (auto edit = edits.find(name); edit != edits.end()) {
      ASSERT_TRUE(TFileSystem::WriteFileAtomic(path, edit->second));
    }
  };
  THeadlessPlatform platform(options);
  EXPECT_TRUE(platform.ParseEvents(events));
  InstallPlatform(&platform);
  {
    TFormOptions form;
    form.ContentPath = path;
    form.LibraryPath = std::string(PELTO5_BINARY_DIR) + "/peltort5.pml";
    form.Watch = watch;
    TfrmMain main(form);
    if (main.FormCreate()) {
      main.FormShow();
      (void)platform.Run(main);
      for (const char* name : {"a", "b", "c"}) run.Values[name] = main.AccessControl().VariableCtrl().GetValueByName(name);
      run.NextIndex = main.AccessControl().NextCommandIndex();
    }
    main.FormDestroy();
  }
  InstallPlatform(nullptr);
  run.Output = platform.OutputLines();
  return run;
}

// Rows of the picture's bottom band in the fault colour.
int BandRows(const TCanvas& canvas) {
  int rows = 0;
  for (int y = 0; y < canvas.Height(); ++y) rows += (canvas.Row(y)[0] & 0xFFFFFF) == 0xA00000 ? 1 : 0;
  return rows;
}

TEST(Watch, AReloadRestartsThePageFromTheEditedScriptAndKeepsTheVariables) {
  TTempDir dir;
  const std::string path = dir.Write("game.pf5", PageSetting("a", 1));
  const TWatchRun run = Play(path, "500 shot edit\n700 reload\n2000 quit\n", {{"edit", PageSetting("b", 2)}});
  EXPECT_EQ(run.Values.at("a"), 1) << "variables stay";
  EXPECT_EQ(run.Values.at("b"), 2) << "the edited page ran from its first command";
  EXPECT_EQ(run.NextIndex, 2) << "and now waits in its second";

  // Headless, a change alone is not looked at: only "reload" brings it in.
  dir.Write("game.pf5", PageSetting("a", 1));
  const TWatchRun unasked = Play(path, "500 shot edit\n2000 quit\n", {{"edit", PageSetting("b", 2)}});
  EXPECT_EQ(unasked.Values.at("b"), 0);
  // Without --watch a reload does nothing, and says so.
  dir.Write("game.pf5", PageSetting("a", 1));
  const TWatchRun off = Play(path, "500 shot edit\n700 reload\n2000 quit\n", {{"edit", PageSetting("b", 2)}}, false);
  EXPECT_EQ(off.Values.at("b"), 0);
  EXPECT_NE(std::find(off.Output.begin(), off.Output.end(), "pelto5: a reload event without --watch does nothing"),
            off.Output.end());
}

TEST(Watch, AScriptThatNoLongerParsesKeepsTheRunningOneAndShowsItsFaultUntilFixed) {
  TTempDir dir;
  const std::string path = dir.Write("game.pf5", PageSetting("a", 1));
  // A page left open inside the book: the script cannot be read past it.
  const std::string broken = PageSetting("b", 2, {"<Page=\"開いたまま\">", "@rem"});
  const TWatchRun run = Play(path,
                             "300 shot before\n400 shot break\n500 reload\n800 shot broken\n"
                             "900 shot fix\n1000 reload\n1300 shot fixed\n2000 quit\n",
                             {{"break", broken}, {"fix", PageSetting("c", 3)}});
  EXPECT_EQ(run.Values.at("b"), 0) << "the broken script never ran";
  EXPECT_EQ(run.Values.at("c"), 3) << "the fixed one did";
  EXPECT_EQ(run.Values.at("a"), 1);
  EXPECT_EQ(BandRows(run.Shots.at("before")), 0);
  const int band = BandRows(run.Shots.at("broken"));
  EXPECT_GT(band, 10);
  EXPECT_LE(band, 48);
  EXPECT_EQ(BandRows(run.Shots.at("fixed")), 0) << "the band goes once the file is fixed";
}

TEST(Watch, APackageIsNotWatched) {
  const TPlayerResult r = RunPlayer({"--headless", "--watch", "--max-time", "400",
                                     std::string(PELTO5_BINARY_DIR) + "/demo.pp5"});
  EXPECT_EQ(r.ExitStatus, 3);
  EXPECT_TRUE(r.HasLine("pelto5: --watch: " + std::string(PELTO5_BINARY_DIR) +
                        "/demo.pp5 is a package, which cannot be edited in place; nothing is watched"));
}

}  // namespace
}  // namespace pelto5::test
