#include "save/SaveCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/MusicCtrl.h"
#include "content/PackageReader.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/ScreenControl.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "save/SaveSystem.h"
#include "shell/DisplayMode.h"
#include "script/CommandCtrl.h"
#include "script/PeltoCommand.h"
#include "script/VariableCtrl.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::MakeScript;
using test::ReadFileText;
using test::ScriptWithPage;
using test::TTempDir;

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  // The player's own texts in Japanese, as the tests here spell them.
  o.Language = TLanguage::Japanese;
  return o;
}

TPeltoCommand Command(const std::vector<std::string>& properties) {
  TPeltoCommand command;
  for (const std::string& p : properties) command.Properties.push_back(sjis::FromUtf8(p));
  return command;
}

class SaveCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    FScript = FDir.Write("story.pf5", MakeScript(ScriptWithPage({"@rem"})));
    StartRun();
  }
  void TearDown() override {
    EndRun();
    InstallPlatform(nullptr);
  }

  void StartRun() {
    FAccess = std::make_unique<TPeltoAccessControl>();
    ASSERT_TRUE(FAccess->Open(FScript));
    std::filesystem::create_directories(FAccess->DataDirectory());
    FScreen = std::make_unique<TScreenControl>();
    FScreen->AccessControl = FAccess.get();
    FScreen->InitWindows();
    FMusic = std::make_unique<TMusicCtrl>();
    FDisplay = std::make_unique<TDisplayMode>(*FAccess, *FScreen);
    FSave = std::make_unique<TSaveSystem>(*FAccess, *FScreen, *FMusic);
    FCommands = std::make_unique<TSaveCommands>(*FAccess, *FScreen, *FSave, *FMusic, *FDisplay);
    FSave->LoadSystemSettings(Settings());
  }
  // Shut-down as the main window does it.
  void EndRun() {
    if (!FSave) return;
    EXPECT_TRUE(FSave->SaveSystemSettings(Settings()));
    EXPECT_TRUE(FSave->CloseSaveFile());
    FCommands.reset();
    FSave.reset();
    FDisplay.reset();
    FMusic.reset();
    FScreen.reset();
    FAccess.reset();
  }
  std::string Settings() const { return FAccess->DataDirectory() + "p_save00.svi"; }

  bool SaveCtrl(const std::vector<std::string>& properties) {
    TPeltoCommand command = Command(properties);
    return FCommands->DoSaveCtrl(command);
  }
  bool System(const std::vector<std::string>& properties) {
    TPeltoCommand command = Command(properties);
    return FCommands->DoSystem(command);
  }
  TVariableCtrl& Vars() { return FAccess->VariableCtrl(); }

  THeadlessPlatform FPlatform{Quiet()};
  TTempDir FDir;
  std::string FScript;
  std::unique_ptr<TPeltoAccessControl> FAccess;
  std::unique_ptr<TScreenControl> FScreen;
  std::unique_ptr<TMusicCtrl> FMusic;
  std::unique_ptr<TDisplayMode> FDisplay;
  std::unique_ptr<TSaveSystem> FSave;
  std::unique_ptr<TSaveCommands> FCommands;
};

TEST_F(SaveCommandsTest, ValuesStoredWithoutAFileLiveInTheSystemSettingsOfTheNextRun) {
  Vars().Set_Value("%score%", 42);
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Best", "SaveCtrl.Value=%score%"}));
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Name", "SaveCtrl.Value=灯台"}));
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=best", "SaveCtrl.Variable=%copy%"}));
  EXPECT_EQ(Vars().GetValueByName("copy"), 42);

  EndRun();
  StartRun();
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Best", "SaveCtrl.Variable=%best%"}));
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Name", "SaveCtrl.Variable=$name$"}));
  EXPECT_EQ(Vars().GetValueByName("best"), 42);
  EXPECT_EQ(Vars().GetTextByName("name"), sjis::FromUtf8("灯台"));
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(SaveCommandsTest, MissingKeysReadAsZeroOrEmptyAndBadTargetsAreReported) {
  Vars().Set_Value("%n%", 5);
  Vars().Set_Text("$s$", "old");
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=None", "SaveCtrl.Variable=%n%"}));
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=None", "SaveCtrl.Variable=$s$"}));
  EXPECT_EQ(Vars().GetValueByName("n"), 0);
  EXPECT_EQ(Vars().GetTextByName("s"), "");

  SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Word", "SaveCtrl.Value=abc"});
  Vars().Set_Value("%n%", 5);
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Word", "SaveCtrl.Variable=%n%"}));
  EXPECT_EQ(Vars().GetValueByName("n"), 0);

  Vars().Set_Text("$s$", "old");
  for (const char* target : {"SaveCtrl.Variable=s", "SaveCtrl.Variable=", "SaveCtrl.Variable= %s%"}) {
    EXPECT_FALSE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Word", target})) << target;
  }
  EXPECT_FALSE(SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Word"}));
  EXPECT_EQ(Vars().GetTextByName("s"), "old");
  ASSERT_EQ(FPlatform.OutputLines().size(), 4u);
  for (const std::string& line : FPlatform.OutputLines()) {
    EXPECT_EQ(line, "message (warning, ok): セーブコントロール：\\n代入先の変数名が不正です");
  }
}

TEST_F(SaveCommandsTest, AValueFileWrittenWithCreateIsReadBackWithOpen) {
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=Create", "SaveCtrl.FileName=slot1.dat"}));
  SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Chapter", "SaveCtrl.Value=3"});
  SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Title", "SaveCtrl.Value=夜"});
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=Close"}));
  const std::string path = FAccess->DataDirectory() + "slot1.dat";
  ASSERT_TRUE(HasMagic(path, "PV5SAVE"));

  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=Open", "SaveCtrl.FileName=SLOT1.DAT"}));
  SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Chapter", "SaveCtrl.Variable=%chapter%"});
  SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=Title", "SaveCtrl.Variable=$title$"});
  EXPECT_EQ(Vars().GetValueByName("chapter"), 3);
  EXPECT_EQ(Vars().GetTextByName("title"), sjis::FromUtf8("夜"));
  // A file opened for reading is not changed by "SaveValue" and "Close".
  const std::string before = ReadFileText(path);
  SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Chapter", "SaveCtrl.Value=9"});
  SaveCtrl({"SaveCtrl.Command=Close"});
  EXPECT_EQ(ReadFileText(path), before);
  // Nor do its values reach the system settings.
  EXPECT_EQ(FSave->ReadSystemValue("Chapter"), "");

  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=Append", "SaveCtrl.FileName=slot1.dat"}));
  SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=Extra", "SaveCtrl.Value=1"});
  SaveCtrl({"SaveCtrl.Command=Close"});
  SaveCtrl({"SaveCtrl.Command=Open", "SaveCtrl.FileName=slot1.dat"});
  EXPECT_EQ(FSave->ReadSaveValue("Chapter"), "3");
  EXPECT_EQ(FSave->ReadSaveValue("Extra"), "1");
}

TEST_F(SaveCommandsTest, AfterAFailedOpenValuesGoNowhereUntilAFileIsOpenAgain) {
  for (const char* failing : {"SaveCtrl.Command=Open", "SaveCtrl.Command=Create"}) {
    SCOPED_TRACE(failing);
    EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=Create", "SaveCtrl.FileName=good.dat"}));
    SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=K", "SaveCtrl.Value=good"});
    // A missing file, and a name that cannot be made.
    const std::string bad = std::string(failing) == "SaveCtrl.Command=Open" ? "SaveCtrl.FileName=missing.dat"
                                                                              : "SaveCtrl.FileName=no\\such\\x.dat";
    EXPECT_TRUE(SaveCtrl({failing, bad}));
    SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=K", "SaveCtrl.Value=lost"});
    SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=L", "SaveCtrl.Value=lost"});
    SaveCtrl({"SaveCtrl.Command=LoadValue", "SaveCtrl.Key=K", "SaveCtrl.Variable=$k$"});
    EXPECT_EQ(Vars().GetTextByName("k"), "");
    EXPECT_EQ(FSave->ReadSystemValue("K"), "");
    EXPECT_EQ(FSave->ReadSystemValue("L"), "");
    SaveCtrl({"SaveCtrl.Command=Close"});
    // The earlier file has its own value only.
    EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=Open", "SaveCtrl.FileName=good.dat"}));
    EXPECT_EQ(FSave->ReadSaveValue("K"), "good");
    EXPECT_EQ(FSave->ReadSaveValue("L"), "");
    SaveCtrl({"SaveCtrl.Command=Close"});
    // After "Close" values go to the settings again.
    SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=S", "SaveCtrl.Value=1"});
    EXPECT_EQ(FSave->ReadSystemValue("S"), "1");
  }
}

TEST_F(SaveCommandsTest, AShutDownWritesAValueFileLeftOpenForWriting) {
  SaveCtrl({"SaveCtrl.Command=Create", "SaveCtrl.FileName=open.dat"});
  SaveCtrl({"SaveCtrl.Command=SaveValue", "SaveCtrl.Key=K", "SaveCtrl.Value=v"});
  const std::string path = FAccess->DataDirectory() + "open.dat";
  EndRun();
  StartRun();
  SaveCtrl({"SaveCtrl.Command=Open", "SaveCtrl.FileName=open.dat"});
  EXPECT_EQ(FSave->ReadSaveValue("K"), "v");
  // The value went to the file, not to the settings.
  EXPECT_EQ(FSave->ReadSystemValue("K"), "");
}

TEST_F(SaveCommandsTest, AutoSaveAndAutoLoadGoThroughTheDataDirectory) {
  FAccess->MovePage("B", "P");
  FAccess->SetNextCommandIndex(2);
  FAccess->CallPageKeepState("Menu", "Save");
  Vars().Set_Value("%v%", 8);
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=save01.sav"}));
  EXPECT_TRUE(HasMagic(FAccess->DataDirectory() + "save01.sav", "PV5SAVE"));
  Vars().Set_Value("%v%", 1);
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=save01.sav"}));
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "_reload");
  EXPECT_EQ(Vars().GetValueByName("v"), 8);
  // A failed load still goes on.
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=none.sav"}));
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "_reload");

  // Subfolders of the data directory are fine.
  std::filesystem::create_directory(FAccess->DataDirectory() + "Saves");
  EXPECT_TRUE(SaveCtrl({"SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=saves\\two.sav"}));
  EXPECT_TRUE(std::filesystem::exists(FAccess->DataDirectory() + "Saves/two.sav"));
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(SaveCommandsTest, FileNamesNeverLeaveTheDataDirectory) {
  FAccess->CallPageKeepState("Menu", "Save");
  const std::vector<std::string> names = {"..\\escape.sav", "../escape.sav", "sub\\..\\..\\escape.sav",
                                          "/tmp/escape.sav", "C:\\escape.sav", "", "."};
  for (const std::string& name : names) {
    for (const char* action : {"AutoSave", "Create", "Append", "Open", "AutoLoad"}) {
      EXPECT_TRUE(SaveCtrl({std::string("SaveCtrl.Command=") + action, "SaveCtrl.FileName=" + name}))
          << action << " " << name;
      SaveCtrl({"SaveCtrl.Command=Close"});
    }
  }
  EXPECT_FALSE(std::filesystem::exists(FDir.Path() + "/escape.sav"));
  EXPECT_FALSE(std::filesystem::exists("/tmp/escape.sav"));
  EXPECT_TRUE(std::filesystem::is_empty(FAccess->DataDirectory()));
  // Each refused name is told, as a refused picture is; an empty name is
  // no file and fails without a word.
  std::vector<std::string> told;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    for (int i = 0; i < 5; ++i) {
      told.push_back("message (error, ignore): ファイル「" + name +
                     "」を開けません\\nデータフォルダの外を指すファイル名は使えません。");
    }
  }
  EXPECT_EQ(FPlatform.OutputLines(), told);
}

TEST_F(SaveCommandsTest, UnknownSaveKeywordsYieldSilently) {
  FAccess->CallPageKeepState("Menu", "Save");
  EXPECT_FALSE(SaveCtrl({"SaveCtrl.Command=autosave", "SaveCtrl.FileName=x.sav"}));
  EXPECT_FALSE(SaveCtrl({"SaveCtrl.Command=Save", "SaveCtrl.FileName=x.sav"}));
  EXPECT_FALSE(SaveCtrl({"SaveCtrl.Command=AutoSave ", "SaveCtrl.FileName=x.sav"}));
  EXPECT_FALSE(SaveCtrl({}));
  EXPECT_FALSE(std::filesystem::exists(FAccess->DataDirectory() + "x.sav"));
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(SaveCommandsTest, SystemSwitchesMessagePacingAndReportsUnknownKeywords) {
  EXPECT_TRUE(System({"System.Command=MessageDirect"}));
  EXPECT_EQ(FScreen->MessageMode, TScreenControl::MessageDirect);
  EXPECT_TRUE(System({"System.Command=MessageEffect"}));
  EXPECT_EQ(FScreen->MessageMode, TScreenControl::MessageEffect);
  EXPECT_FALSE(FAccess->Process().FMessageSkip);
  EXPECT_TRUE(System({"System.Command=MessageSkip"}));
  EXPECT_TRUE(FAccess->Process().FMessageSkip);
  EXPECT_TRUE(FPlatform.OutputLines().empty());

  EXPECT_FALSE(System({"System.Command=messageskip"}));
  EXPECT_FALSE(System({"System.Command=再生"}));
  EXPECT_FALSE(System({}));
  ASSERT_EQ(FPlatform.OutputLines().size(), 3u);
  EXPECT_EQ(FPlatform.OutputLines()[0],
            "message (none, ok): debug: error report:\\n不明なシステムコマンド「messageskip」が発行されました");
  EXPECT_EQ(FPlatform.OutputLines()[1],
            "message (none, ok): debug: error report:\\n不明なシステムコマンド「再生」が発行されました");
  EXPECT_EQ(FPlatform.OutputLines()[2],
            "message (none, ok): debug: error report:\\n不明なシステムコマンド「」が発行されました");
}

TEST_F(SaveCommandsTest, SystemAudioSwitchesAndVolumesLastIntoTheNextRun) {
  EXPECT_TRUE(System({"System.Command=MusicVolume", "System.Volume=30"}));
  EXPECT_EQ(FMusic->GetMusicVolume(), 30);
  EXPECT_TRUE(System({"System.Command=MusicVolume"}));
  EXPECT_EQ(FMusic->GetMusicVolume(), 100);
  EXPECT_TRUE(System({"System.Command=SoundVolume", "System.Volume=45"}));
  EXPECT_EQ(FMusic->GetSoundVolume(), 45);
  EXPECT_TRUE(System({"System.Command=MusicDisable"}));
  EXPECT_FALSE(FMusic->UseMusic());
  EXPECT_TRUE(System({"System.Command=SoundDisable"}));
  EXPECT_FALSE(FMusic->FUseSound);

  EndRun();
  StartRun();
  EXPECT_FALSE(FMusic->UseMusic());
  EXPECT_FALSE(FMusic->FUseSound);
  EXPECT_EQ(FMusic->GetMusicVolume(), 100);
  EXPECT_EQ(FMusic->GetSoundVolume(), 45);
  EXPECT_TRUE(System({"System.Command=MusicEnable"}));
  EXPECT_TRUE(System({"System.Command=SoundEnable"}));
  EXPECT_TRUE(FMusic->UseMusic());
  EXPECT_TRUE(FMusic->FUseSound);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(SaveCommandsTest, SystemSwitchesBetweenFullScreenAndWindow) {
  EXPECT_TRUE(System({"System.Command=WindowMode"}));
  EXPECT_FALSE(FDisplay->FullScreen());
  EXPECT_TRUE(System({"System.Command=FullScreen"}));
  EXPECT_TRUE(FDisplay->FullScreen());
  EXPECT_EQ(Vars().GetValueByName("_fullscreen"), 1);
  EXPECT_TRUE(System({"System.Command=WindowMode"}));
  EXPECT_FALSE(FDisplay->FullScreen());
  EXPECT_EQ(Vars().GetValueByName("_fullscreen"), 0);
}

}  // namespace
}  // namespace pelto5
