#include "save/SaveSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/MusicCtrl.h"
#include "audio/MusicTestSupport.h"
#include "image/BmpDecoder.h"
#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "graphics/LasGraphic.h"
#include "graphics/LasLayer.h"
#include "image/Picture.h"
#include "graphics/ScreenControl.h"
#include "base/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/VariableCtrl.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::MakeScript;
using test::ReadFileText;
using test::ScriptWithPage;
using test::TTempDir;

THeadlessOptions Answering(std::optional<TMessageResult> answer) {
  THeadlessOptions o;
  o.EchoToStderr = false;
  o.Answer = answer;
  return o;
}

std::vector<std::string> EntryNames(const std::string& path) {
  PackageReader reader;
  std::vector<std::string> names;
  if (!OpenPackage(path, reader)) return names;
  for (const PackageEntry& entry : reader.Entries) names.push_back(entry.Name);
  return names;
}

TStringList EntryLines(const std::string& path, const std::string& name) {
  PackageReader reader;
  TStringList lines;
  if (OpenPackage(path, reader)) {
    EXPECT_TRUE(LoadEntryStrings(reader, name, lines)) << name;
  }
  return lines;
}

// Writes a "PV5SAVE" container with the given text entries.
void WriteSave(const std::string& path, const std::vector<std::pair<std::string, TStringList>>& entries) {
  PackageWriter writer;
  ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
  ASSERT_TRUE(CreatePackage(writer, path));
  for (const auto& [name, lines] : entries) ASSERT_TRUE(AddEntryFromStrings(writer, lines, name));
  ASSERT_TRUE(FinishPackage(writer));
}

class SaveSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    Start({});
  }
  void TearDown() override {
    FSave.reset();
    FMusic.reset();
    FScreen.reset();
    FAccess.reset();
    InstallPlatform(nullptr);
  }

  // Opens a script with the header lines; the data directory exists when
  // makeDataDirectory is set.
  void Start(const std::vector<std::string>& header, bool makeDataDirectory = true) {
    FSave.reset();
    FMusic.reset();
    FScreen.reset();
    FAccess = std::make_unique<TPeltoAccessControl>();
    const std::string script = FDir.Write("story.pf5", MakeScript(ScriptWithPage({"@rem"}, header)));
    ASSERT_TRUE(FAccess->Open(script));
    if (makeDataDirectory) std::filesystem::create_directories(FAccess->DataDirectory());
    FScreen = std::make_unique<TScreenControl>();
    FScreen->AccessControl = FAccess.get();
    FScreen->InitWindows();
    FMusic = std::make_unique<TMusicCtrl>();
    FSave = std::make_unique<TSaveSystem>(*FAccess, *FScreen, *FMusic);
  }

  std::string DataPath(const std::string& name) const { return FAccess->DataDirectory() + name; }

  // Book "B" page "P" at command 3, waiting for any key; then a keep-state
  // call into the save menu, as a button that saves the game makes it.
  void EnterSaveMenu() {
    FAccess->MovePage("B", "P");
    FAccess->SetNextCommandIndex(3);
    FAccess->Process().StartWait();
    FAccess->Process().EnableAnyKeyBreak();
    FAccess->CallPageKeepState("Menu", "Save");
    FAccess->SetNextCommandIndex(1);
  }

  THeadlessPlatform FPlatform{Answering(std::nullopt)};
  TTempDir FDir;
  std::unique_ptr<TPeltoAccessControl> FAccess;
  std::unique_ptr<TScreenControl> FScreen;
  std::unique_ptr<TMusicCtrl> FMusic;
  std::unique_ptr<TSaveSystem> FSave;
};

TEST_F(SaveSystemTest, AStateSaveRestoresPositionStackProcessStateAndVariables) {
  FAccess->MovePage("Outer", "Caller");
  FAccess->SetNextCommandIndex(7);
  FAccess->CallPage("B", "P");
  EnterSaveMenu();
  TVariableCtrl& vars = FAccess->VariableCtrl();
  vars.Set_Value("%score%", 42);
  vars.Set_Text("$name$", sjis::FromUtf8("灯台守"));
  const std::string path = DataPath("save01.sav");
  ASSERT_TRUE(FSave->SaveGame(path));

  // The running game moves on.
  ASSERT_TRUE(FAccess->ReturnFromCall());
  FAccess->MovePage("Elsewhere", "Else");
  FAccess->Process().Reset();
  vars.Set_Value("%score%", 1);
  vars.Set_Value("%later%", 5);
  vars.Set_Text("$name$", "x");

  ASSERT_TRUE(FSave->LoadGame(path));
  // Execution continues in the system's reload page ...
  EXPECT_EQ(FAccess->CommandCtrl().BookName(), "_system");
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "_reload");
  EXPECT_EQ(FAccess->NextCommandIndex(), 0);
  EXPECT_EQ(FAccess->Process().PlayerMode, TPeltoProcess::Idle);
  EXPECT_EQ(vars.GetValueByName("score"), 42);
  EXPECT_EQ(vars.GetValueByName("later"), 0);
  EXPECT_EQ(vars.GetTextByName("name"), sjis::FromUtf8("灯台守"));
  // ... whose return resumes where the save menu was called, in its wait.
  ASSERT_TRUE(FAccess->ReturnFromCall());
  EXPECT_EQ(FAccess->CommandCtrl().BookName(), "B");
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "P");
  EXPECT_EQ(FAccess->NextCommandIndex(), 3);
  EXPECT_EQ(FAccess->Process().PlayerMode, TPeltoProcess::Waiting);
  EXPECT_TRUE(FAccess->Process().IsAnyKeyBreak());
  // The call made before it is still pending.
  ASSERT_TRUE(FAccess->ReturnFromCall());
  EXPECT_EQ(FAccess->CommandCtrl().PageName(), "Caller");
  EXPECT_EQ(FAccess->NextCommandIndex(), 7);
  EXPECT_FALSE(FAccess->ReturnFromCall());
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(SaveSystemTest, AStateSaveHoldsItsEntriesVersionIdentifiersDateAndThumbnail) {
  EnterSaveMenu();
  FPlatform.AdvanceClock(((3 * 60 + 4) * 60 + 5) * 1000);
  FSave->WriteSaveValue("Script.Key", "kept");
  const std::string path = DataPath("s.sav");
  ASSERT_TRUE(FSave->SaveGame(path));

  const std::vector<std::string> names = EntryNames(path);
  ASSERT_GE(names.size(), 5u);
  EXPECT_EQ(names.front(), "_smallimage.bmp");
  EXPECT_EQ(names[1], "stack.info");
  EXPECT_EQ(names.back(), "savefile.info");
  const TStringList info = EntryLines(path, "savefile.info");
  EXPECT_EQ(ListReadString(info, "SaveSystem.Version", "?"), "1");
  EXPECT_EQ(ListReadString(info, "SaveSystem.PeltoID", "?"), "");
  EXPECT_EQ(ListReadString(info, "SaveSystem.BuildID", "?"), "");
  EXPECT_EQ(ListReadString(info, "Supplement.SaveDate", "?"), "2000/01/01 3:04:05");
  // Values the list held go along and stay in it.
  EXPECT_EQ(ListReadString(info, "Script.Key", "?"), "kept");
  EXPECT_EQ(FSave->ReadSaveValue("Script.Key"), "kept");

  PackageReader reader;
  ASSERT_TRUE(OpenPackage(path, reader));
  std::string bmp;
  ASSERT_TRUE(ExtractEntry(reader, "_smallimage.bmp", bmp));
  // Closed before the file is saved again: Windows replaces no file that
  // is open.
  ClosePackage(reader);
  TPicture thumbnail;
  ASSERT_TRUE(DecodeBmp(bmp, thumbnail));
  EXPECT_EQ(thumbnail.Width, 80);
  EXPECT_EQ(thumbnail.Height, 60);

  Start({"PeltoID=lighthouse", "BuildID=12"});
  EnterSaveMenu();
  ASSERT_TRUE(FSave->SaveGame(path));
  const TStringList second = EntryLines(path, "savefile.info");
  EXPECT_EQ(ListReadString(second, "SaveSystem.PeltoID", "?"), "lighthouse");
  EXPECT_EQ(ListReadString(second, "SaveSystem.BuildID", "?"), "12");
}

TEST_F(SaveSystemTest, MusicStoredAsAnAbsolutePathComesBackWhenItsTailIsInTheContent) {
  EnterSaveMenu();
  const std::string theme = FDir.Write("story/bgm/theme.wav", test::WaveOfMs(1000));
  FMusic->PlayMusic(theme, 0, "bgm\\theme.wav");
  const std::string path = DataPath("w.sav");
  ASSERT_TRUE(FSave->SaveGame(path));
  // A save of another player holds a Windows path; one of ours from before
  // held this machine's path; a third names a file that is not there. A
  // later "savefile.info" entry wins on reading.
  struct TCase {
    std::string Stored;
    std::string Expected;
  };
  for (const TCase& c : {TCase{"C:\\Program Files\\Game\\Story\\BGM\\THEME.WAV", theme},
                         TCase{theme, theme}, TCase{"C:\\Game\\bgm\\gone.wav", ""}}) {
    SCOPED_TRACE(c.Stored);
    ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::AppendMode));
    FSave->WriteSaveValue("Music.FileName", c.Stored);
    ASSERT_TRUE(FSave->CloseSaveFile());
    FMusic->StopMusic();
    ASSERT_TRUE(FSave->LoadGame(path));
    EXPECT_EQ(FMusic->MusicPlaying(), !c.Expected.empty());
    if (!c.Expected.empty()) {
      EXPECT_EQ(FMusic->MusicFileName(), c.Expected);
    }
    EnterSaveMenu();
  }
}

TEST_F(SaveSystemTest, AStateSaveCarriesTheMusicAndItsVolumesButNotTheSwitches) {
  EnterSaveMenu();
  const std::string theme = FDir.Write("story/theme.wav", test::WaveOfMs(1000));
  FMusic->PlayMusic(theme, 2, "Theme.wav");
  FMusic->SetMusicVolume(40);
  FMusic->SetSoundVolume(70);
  const std::string path = DataPath("m.sav");
  ASSERT_TRUE(FSave->SaveGame(path));
  const TStringList info = EntryLines(path, "savefile.info");
  // The name as the script gave it, not this machine's path.
  EXPECT_EQ(ListReadString(info, "Music.FileName", "?"), "Theme.wav");
  EXPECT_EQ(ListReadString(info, "Music.Playing", "?"), "1");
  EXPECT_EQ(ListReadString(info, "Music.Loop", "?"), "2");
  EXPECT_EQ(ListReadString(info, "Music.Volume", "?"), "40");
  EXPECT_EQ(ListReadString(info, "Sound.Volume", "?"), "70");

  FMusic->StopMusic();
  FMusic->SetMusicVolume(100);
  FMusic->SetSoundVolume(100);
  FMusic->FUseSound = false;
  ASSERT_TRUE(FSave->LoadGame(path));
  EXPECT_TRUE(FMusic->MusicPlaying());
  EXPECT_EQ(FMusic->MusicFileName(), theme);
  EXPECT_EQ(FMusic->MusicLoop(), 2);
  EXPECT_EQ(FMusic->GetMusicVolume(), 40);
  EXPECT_EQ(FMusic->GetSoundVolume(), 70);
  EXPECT_FALSE(FMusic->FUseSound);
  // The settings written at shut-down keep the volumes of the loaded save.
  const std::string settings = DataPath("p_save00.svi");
  ASSERT_TRUE(FSave->SaveSystemSettings(settings));
  const std::string text = ReadFileText(settings);
  EXPECT_NE(text.find("System.MusicVolume=40\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.SoundVolume=70\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.UseSound=0\r\n"), std::string::npos);
}

TEST_F(SaveSystemTest, TheScreenTravelsWithTheSaveAndLegacyModeAddsTheBackground) {
  EnterSaveMenu();
  ASSERT_TRUE(FScreen->SetLayerPos(0, kTextLayerName, 12, 34));
  ASSERT_TRUE(FScreen->SetLayerVisible(0, kTextLayerName, true));
  const std::string path = DataPath("screen.sav");
  ASSERT_TRUE(FSave->SaveGame(path));
  std::vector<std::string> names = EntryNames(path);
  EXPECT_NE(std::find(names.begin(), names.end(), "layer.info"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "_background.bmp"), names.end());

  FScreen->SetLayerPos(0, kTextLayerName, 0, 0);
  FScreen->SetLayerVisible(0, kTextLayerName, false);
  ASSERT_TRUE(FSave->LoadGame(path));
  TLayerRect rect;
  ASSERT_TRUE(FScreen->GetLayerRect(0, kTextLayerName, rect));
  EXPECT_EQ(rect.Left, 12);
  EXPECT_EQ(rect.Top, 34);
  EXPECT_TRUE(FScreen->GetLayerVisible(0, kTextLayerName));

  Start({"LegacyMode=1"});
  EnterSaveMenu();
  ASSERT_TRUE(FSave->SaveGame(path));
  names = EntryNames(path);
  EXPECT_NE(std::find(names.begin(), names.end(), "_background.bmp"), names.end());
}

TEST_F(SaveSystemTest, AMissingSaveFolderIsCreatedOnlyWhenTheUserAgrees) {
  EnterSaveMenu();
  THeadlessPlatform no(Answering(TMessageResult::No));
  InstallPlatform(&no);
  const std::string path = DataPath("saves/one.sav");
  EXPECT_FALSE(FSave->SaveGame(path));
  ASSERT_EQ(no.OutputLines().size(), 1u);
  EXPECT_EQ(no.OutputLines()[0], "message (warning, no): セーブファイルの保存のため\\n\"" +
                                      FAccess->DataDirectory() + "saves/\" フォルダを作成します。\\nよろしいですか？");
  EXPECT_FALSE(std::filesystem::exists(FAccess->DataDirectory() + "saves"));

  InstallPlatform(&FPlatform);
  EXPECT_TRUE(FSave->SaveGame(path));
  EXPECT_EQ(FPlatform.OutputLines().size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(path));

  // Only one folder level is created.
  EXPECT_FALSE(FSave->SaveGame(DataPath("a/b/two.sav")));
  ASSERT_EQ(FPlatform.OutputLines().size(), 3u);
  EXPECT_EQ(FPlatform.OutputLines()[2], "message (error, ok): フォルダの作成に失敗しました");
  EXPECT_FALSE(std::filesystem::exists(FAccess->DataDirectory() + "a"));
}

TEST_F(SaveSystemTest, AFailedSaveKeepsTheExistingFile) {
  EnterSaveMenu();
  FAccess->VariableCtrl().Set_Value("%score%", 5);
  const std::string path = DataPath("keep.sav");
  ASSERT_TRUE(FSave->SaveGame(path));
  const std::string before = ReadFileText(path);
  // The new file cannot be written beside the old one.
  std::filesystem::create_directory(path + ".tmp");
  FAccess->VariableCtrl().Set_Value("%score%", 9);
  EXPECT_FALSE(FSave->SaveGame(path));
  EXPECT_EQ(ReadFileText(path), before);
  EXPECT_TRUE(FSave->LoadGame(path));
  EXPECT_EQ(FAccess->VariableCtrl().GetValueByName("score"), 5);
}

TEST_F(SaveSystemTest, BrokenOrForeignSavesAreRefusedWithTheStateUntouched) {
  EnterSaveMenu();
  FAccess->VariableCtrl().Set_Value("%score%", 3);
  const auto stackBefore = FAccess->ProcessStack().Lines();
  const TStringList stack = {"Stack.BookName=Z", "Stack.PageName=Z", "@StackBorder"};
  const TStringList vars = {"score=99"};
  const std::string newer = DataPath("newer.sav");
  WriteSave(newer, {{"stack.info", stack}, {"valuevar.info", vars}, {"savefile.info", {"SaveSystem.Version=2"}}});
  const std::string noInfo = DataPath("noinfo.sav");
  WriteSave(noInfo, {{"stack.info", stack}, {"valuevar.info", vars}});
  const std::string text = FDir.Write("story/text.sav", "Stack.BookName=Z\r\n");
  const std::string cut = FDir.Write("story/cut.sav", ReadFileText(newer).substr(0, 40));
  const std::string junk = FDir.Write("story/junk.sav", std::string("PV5SAVE\0", 8) + std::string(300, '\xFF'));
  const std::string package = DataPath("package.sav");
  {
    PackageWriter writer;
    ASSERT_TRUE(SetWriterMagic(writer, "PV5PKG"));
    ASSERT_TRUE(CreatePackage(writer, package));
    ASSERT_TRUE(AddEntryFromStrings(writer, stack, "stack.info"));
    ASSERT_TRUE(AddEntryFromStrings(writer, {"SaveSystem.Version=1"}, "savefile.info"));
    ASSERT_TRUE(FinishPackage(writer));
  }

  for (const std::string& path : {newer, noInfo, text, cut, junk, package, DataPath("missing.sav"), std::string()}) {
    EXPECT_FALSE(FSave->LoadGame(path)) << path;
    EXPECT_EQ(FAccess->CommandCtrl().PageName(), "Save") << path;
    EXPECT_EQ(FAccess->NextCommandIndex(), 1) << path;
    EXPECT_EQ(FAccess->VariableCtrl().GetValueByName("score"), 3) << path;
    EXPECT_EQ(FAccess->ProcessStack().Lines(), stackBefore) << path;
  }
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_FALSE(FPlatform.Terminated());
}

TEST_F(SaveSystemTest, ASaveWithoutACallStackIsReportedAndEndsTheRun) {
  const std::string path = DataPath("nostack.sav");
  WriteSave(path, {{"savefile.info", {"SaveSystem.Version=1"}}});
  EXPECT_FALSE(FSave->LoadGame(path));
  ASSERT_EQ(FPlatform.OutputLines().size(), 1u);
  EXPECT_EQ(FPlatform.OutputLines()[0].rfind("message (none, ok): ", 0), 0u);
  EXPECT_TRUE(FPlatform.Terminated());
}

TEST_F(SaveSystemTest, ASaveWithoutScreenEntriesLoadsTheRestAndSaysSo) {
  const std::string path = DataPath("noscreen.sav");
  WriteSave(path, {{"stack.info", {"Stack.CommandIndex=4", "Stack.PageName=P", "Stack.BookName=B", "@StackBorder"}},
                   {"valuevar.info", {"score=11"}},
                   {"savefile.info", {"SaveSystem.Version=1"}}});
  EXPECT_TRUE(FSave->LoadGame(path));
  ASSERT_EQ(FPlatform.OutputLines().size(), 1u);
  EXPECT_EQ(FPlatform.OutputLines()[0], "message (none, ok): debug error : FScreenControl->LoadInfo()");
  EXPECT_EQ(FAccess->VariableCtrl().GetValueByName("score"), 11);
  ASSERT_TRUE(FAccess->ReturnFromCall());
  EXPECT_EQ(FAccess->CommandCtrl().BookName(), "B");
  EXPECT_EQ(FAccess->NextCommandIndex(), 4);
}

TEST_F(SaveSystemTest, ValueFilesKeepTheirValuesAcrossCloseAndAppend) {
  const std::string path = DataPath("values.dat");
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::CreateMode));
  EXPECT_TRUE(FSave->IsSaveFileOpen());
  FSave->WriteSaveValue("A", "1");
  FSave->WriteSaveValue("B", "two");
  FSave->WriteSaveValue("a", "one");
  EXPECT_TRUE(FSave->CloseSaveFile());
  EXPECT_FALSE(FSave->IsSaveFileOpen());
  EXPECT_EQ(FSave->ReadSaveValue("A"), "");

  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::ReadMode));
  EXPECT_EQ(FSave->FOpenMode, TSaveSystem::OpenForReading);
  EXPECT_EQ(FSave->ReadSaveValue("A"), "one");
  EXPECT_EQ(FSave->ReadSaveValue("b"), "two");
  // Values written into a file opened for reading are discarded.
  const std::string before = ReadFileText(path);
  FSave->WriteSaveValue("C", "3");
  EXPECT_TRUE(FSave->CloseSaveFile());
  EXPECT_EQ(ReadFileText(path), before);

  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::AppendMode));
  EXPECT_EQ(FSave->FOpenMode, TSaveSystem::OpenForWriting);
  FSave->WriteSaveValue("C", "3");
  EXPECT_TRUE(FSave->CloseSaveFile());
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::ReadMode));
  EXPECT_EQ(FSave->ReadSaveValue("A"), "one");
  EXPECT_EQ(FSave->ReadSaveValue("C"), "3");

  // "Create" starts empty; opening another file first closes this one.
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::CreateMode));
  EXPECT_EQ(FSave->ReadSaveValue("A"), "");
  FSave->WriteSaveValue("D", "4");
  ASSERT_TRUE(FSave->OpenSaveFile(DataPath("other.dat"), TSaveSystem::CreateMode));
  EXPECT_TRUE(FSave->CloseSaveFile());
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::ReadMode));
  EXPECT_EQ(FSave->ReadSaveValue("A"), "");
  EXPECT_EQ(FSave->ReadSaveValue("D"), "4");
  EXPECT_TRUE(FSave->CloseSaveFile());

  EXPECT_FALSE(FSave->OpenSaveFile(path, 3));
  EXPECT_FALSE(FSave->OpenSaveFile(path, -1));
  EXPECT_FALSE(FSave->IsSaveFileOpen());
}

TEST_F(SaveSystemTest, AppendReplacesAFileThatIsNotASaveAndReadRefusesIt) {
  const std::string path = FDir.Write("story/plain.txt", "A=1\r\n");
  EXPECT_FALSE(FSave->OpenSaveFile(path, TSaveSystem::ReadMode));
  EXPECT_FALSE(FSave->IsSaveFileOpen());
  EXPECT_FALSE(FSave->OpenSaveFile(DataPath("missing.dat"), TSaveSystem::ReadMode));
  EXPECT_FALSE(FSave->OpenSaveFile("", TSaveSystem::CreateMode));
  // A save without a value list opens (its pictures can be shown) but says so.
  const std::string bare = DataPath("bare.sav");
  WriteSave(bare, {{"stack.info", {"@StackBorder"}}});
  EXPECT_FALSE(FSave->OpenSaveFile(bare, TSaveSystem::ReadMode));
  EXPECT_EQ(FSave->FOpenMode, TSaveSystem::OpenForReading);
  EXPECT_TRUE(FSave->FSaveValues.empty());
  EXPECT_TRUE(FSave->CloseSaveFile());

  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::AppendMode));
  EXPECT_EQ(FSave->ReadSaveValue("A"), "");
  FSave->WriteSaveValue("B", "2");
  EXPECT_TRUE(FSave->CloseSaveFile());
  EXPECT_TRUE(HasMagic(path, "PV5SAVE"));
  EXPECT_EQ(ListReadString(EntryLines(path, "savefile.info"), "B", "?"), "2");
}

TEST_F(SaveSystemTest, AValueFileThatCannotBeWrittenLeavesTheOldOne) {
  const std::string path = DataPath("values.dat");
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::CreateMode));
  FSave->WriteSaveValue("A", "1");
  ASSERT_TRUE(FSave->CloseSaveFile());
  const std::string before = ReadFileText(path);
  std::filesystem::create_directory(path + ".tmp");
  EXPECT_FALSE(FSave->OpenSaveFile(path, TSaveSystem::CreateMode));
  EXPECT_FALSE(FSave->OpenSaveFile(path, TSaveSystem::AppendMode));
  EXPECT_FALSE(FSave->IsSaveFileOpen());
  EXPECT_EQ(ReadFileText(path), before);
}

TEST_F(SaveSystemTest, AnOpenStateSaveLendsItsThumbnailAndValuesUntilClosed) {
  EnterSaveMenu();
  const std::string path = DataPath("s.sav");
  ASSERT_TRUE(FSave->SaveGame(path));
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::ReadMode));
  EXPECT_EQ(FSave->ReadSaveValue("SaveSystem.Version"), "1");
  EXPECT_FALSE(FSave->ReadSaveValue("Supplement.SaveDate").empty());
  TLasGraphic picture;
  ASSERT_TRUE(FAccess->LoadImage("_smallimage.bmp", picture));
  EXPECT_EQ(picture.Width(), 80);
  EXPECT_EQ(picture.Height(), 60);

  // Loading a game meanwhile leaves the open file's values alone.
  ASSERT_TRUE(FSave->LoadGame(path));
  EXPECT_EQ(FSave->ReadSaveValue("SaveSystem.Version"), "1");

  EXPECT_TRUE(FSave->CloseSaveFile());
  EXPECT_FALSE(FAccess->LoadImage("_smallimage.bmp", picture));
}

TEST_F(SaveSystemTest, AStateSaveIsNotWrittenOverTheValueFileBeingWritten) {
  EnterSaveMenu();
  const std::string path = DataPath("same.sav");
  ASSERT_TRUE(FSave->OpenSaveFile(path, TSaveSystem::CreateMode));
  FSave->WriteSaveValue("A", "1");
  EXPECT_FALSE(FSave->SaveGame(path));
  EXPECT_TRUE(FSave->CloseSaveFile());
  EXPECT_EQ(ListReadString(EntryLines(path, "savefile.info"), "A", "?"), "1");
}

TEST_F(SaveSystemTest, SystemSettingsKeepWindowPositionFontAndScriptValues) {
  const std::string settings = DataPath("p_save00.svi");
  // No file: every default stays.
  FSave->LoadSystemSettings(settings);
  EXPECT_EQ(FAccess->WindowLeft(), 0);
  EXPECT_EQ(FAccess->WindowTop(), 0);
  EXPECT_EQ(FAccess->DefaultFontName(), sjis::FromUtf8("ＭＳ ゴシック"));
  EXPECT_TRUE(FSave->FSystemValues.empty());
  EXPECT_TRUE(FMusic->UseMusic());
  EXPECT_TRUE(FMusic->FUseSound);
  EXPECT_EQ(FMusic->GetMusicVolume(), 100);
  EXPECT_EQ(FMusic->GetSoundVolume(), 100);
  FMusic->SetMusicEnabled(false);
  FMusic->FUseSound = false;
  FMusic->SetMusicVolume(30);
  FMusic->SetSoundVolume(0);

  FAccess->SetWindowPosition(120, -8);
  FAccess->SetDefaultFontName(sjis::FromUtf8("ＭＳ 明朝"));
  FSave->WriteSystemValue("Cleared", "1");
  ASSERT_TRUE(FSave->SaveSystemSettings(settings));
  const std::string text = ReadFileText(settings);
  EXPECT_NE(text.find("Cleared=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.UseMusic=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.UseSound=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.MusicVolume=30\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.SoundVolume=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.Left=120\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.Top=-8\r\n"), std::string::npos);
  EXPECT_NE(text.find("System.Font=" + sjis::FromUtf8("ＭＳ 明朝") + "\r\n"), std::string::npos);

  Start({});
  FSave->LoadSystemSettings(settings);
  EXPECT_EQ(FAccess->WindowLeft(), 120);
  EXPECT_EQ(FAccess->WindowTop(), -8);
  EXPECT_EQ(FAccess->DefaultFontName(), sjis::FromUtf8("ＭＳ 明朝"));
  EXPECT_EQ(FSave->ReadSystemValue("cleared"), "1");
  EXPECT_FALSE(FMusic->UseMusic());
  EXPECT_FALSE(FMusic->FUseSound);
  EXPECT_EQ(FMusic->GetMusicVolume(), 30);
  EXPECT_EQ(FMusic->GetSoundVolume(), 0);

  // A folder that does not exist gets nothing.
  EXPECT_FALSE(FSave->SaveSystemSettings(FDir.Path() + "/none/p_save00.svi"));
  EXPECT_FALSE(std::filesystem::exists(FDir.Path() + "/none"));
}

TEST_F(SaveSystemTest, DamagedSettingsFallBackToDefaults) {
  const std::string settings =
      FDir.Write("story/p_save00.svi",
                 "System.Left=abc\r\nSystem.Top\r\n" + std::string("\0\xFF\x81=\r\n", 6) + "K=v");
  FSave->LoadSystemSettings(settings);
  EXPECT_EQ(FAccess->WindowLeft(), 0);
  EXPECT_EQ(FAccess->WindowTop(), 0);
  EXPECT_EQ(FAccess->DefaultFontName(), sjis::FromUtf8("ＭＳ ゴシック"));
  EXPECT_EQ(FSave->ReadSystemValue("K"), "v");
  // A directory in the file's place is no settings file.
  std::filesystem::create_directory(DataPath("dir.svi"));
  FSave->LoadSystemSettings(DataPath("dir.svi"));
  EXPECT_EQ(FSave->ReadSystemValue("K"), "v");
}

}  // namespace
}  // namespace pelto5
