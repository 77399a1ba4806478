#include "save/SaveSystem.h"

#include <cstdio>

#include "audio/MusicCtrl.h"
#include "base/MessageTexts.h"
#include "content/PackageReader.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "exec/PeltoProcessStack.h"
#include "graphics/ScreenControl.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "save/Thumbnail.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

constexpr const char* kPelto = "Pelto";

// "ＭＳ ゴシック"
constexpr const char* kDefaultFont = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";

constexpr const char* kKeyVersion = "SaveSystem.Version";
constexpr const char* kKeyPeltoId = "SaveSystem.PeltoID";
constexpr const char* kKeyBuildId = "SaveSystem.BuildID";
constexpr const char* kKeySaveDate = "Supplement.SaveDate";

constexpr const char* kKeyUseMusic = "System.UseMusic";
constexpr const char* kKeyUseSound = "System.UseSound";
constexpr const char* kKeyMusicVolume = "System.MusicVolume";
constexpr const char* kKeySoundVolume = "System.SoundVolume";
constexpr const char* kKeyLeft = "System.Left";
constexpr const char* kKeyTop = "System.Top";
constexpr const char* kKeyFont = "System.Font";
constexpr const char* kKeyWindowWidth = "System.WindowWidth";
constexpr const char* kKeyWindowHeight = "System.WindowHeight";

}  // namespace

TSaveSystem::TSaveSystem(TPeltoAccessControl& access, TScreenControl& screen, TMusicCtrl& music)
    : FAccessControl(access), FScreenControl(screen), FMusicCtrl(music) {}

// --- Value files -------------------------------------------------------------

bool TSaveSystem::OpenSaveFile(const std::string& fileName, int mode) {
  if (mode != ReadMode && mode != CreateMode && mode != AppendMode) return false;
  // A file still being written is finished first, so it is never left
  // half-written, and nothing of an earlier file is mistaken for this one's.
  // If it cannot be finished, the one on disk stays as it was.
  (void)CloseSaveFile();
  if (fileName.empty()) {
    FOpenMode = OpenFailed;
    return false;
  }
  if (mode == ReadMode) {
    if (!FAccessControl.OpenSaveContainer(fileName)) {
      FOpenMode = OpenFailed;
      return false;
    }
    FOpenMode = OpenForReading;
    // Only the file's own values: the content package is not asked.
    return FAccessControl.Sources().LoadText(TContainer::Save, SaveInfoEntryName, FSaveValues);
  }
  if (mode == AppendMode && FAccessControl.OpenSaveContainer(fileName)) {
    // The file's earlier values survive.
    // A save without its values entry starts from none.
    (void)FAccessControl.Sources().LoadText(TContainer::Save, SaveInfoEntryName, FSaveValues);
  }
  FAccessControl.CloseSaveContainer();
  ResetWriter(FWriter);
  SetWriterMagic(FWriter, SaveMagic);
  bool opened = false;
  if (mode == AppendMode && HasMagic(fileName, SaveMagic)) opened = OpenPackageForAppend(FWriter, fileName);
  // Written beside the file and renamed over it by CloseSaveFile: an
  // existing file stays as it is until the new one is complete. A file
  // that could not be copied for a full disk is not replaced by a new one
  // without its entries.
  if (!opened && !FWriter.WriteFailed) opened = CreatePackage(FWriter, fileName);
  if (!opened) {
    if (FWriter.WriteFailed) ReportWriteFailure(fileName);
    ResetWriter(FWriter);
    FSaveValues.clear();
    FOpenMode = OpenFailed;
    return false;
  }
  FOpenMode = OpenForWriting;
  return true;
}

bool TSaveSystem::CloseSaveFile() {
  FAccessControl.CloseSaveContainer();
  bool written = true;
  if (FWriter.File != nullptr) {
    AddEntryFromStrings(FWriter, FSaveValues, SaveInfoEntryName);
    written = FinishPackage(FWriter);
    if (!written) ReportWriteFailure(FWriter.Path);
    ResetWriter(FWriter);
  }
  FSaveValues.clear();
  FOpenMode = NotOpen;
  return written;
}

bool TSaveSystem::IsSaveFileOpen() const { return FOpenMode == OpenForReading || FOpenMode == OpenForWriting; }

std::string TSaveSystem::ReadSaveValue(std::string_view key) const { return ListReadString(FSaveValues, key, ""); }

void TSaveSystem::WriteSaveValue(std::string_view key, std::string_view value) {
  ListWriteString(FSaveValues, key, value);
}

std::string TSaveSystem::ReadSystemValue(std::string_view key) const {
  return ListReadString(FSystemValues, key, "");
}

void TSaveSystem::WriteSystemValue(std::string_view key, std::string_view value) {
  ListWriteString(FSystemValues, key, value);
}

// --- State saves -------------------------------------------------------------

bool TSaveSystem::AskForSaveFolder(const std::string& directory) {
  const std::string question =
      std::string(msg::kCreateSaveFolder1) + sjis::FromUtf8(directory) + msg::kCreateFolder2;
  if (Platform().MessageBox(question, TMessageIcon::Warning, TMessageButtons::YesNo) != TMessageResult::Yes) {
    return false;
  }
  if (!TFileSystem::CreateDirectory(directory)) {
    Platform().MessageBox(msg::kCreateFolderFailed, TMessageIcon::Error, TMessageButtons::Ok);
    return false;
  }
  return true;
}

void TSaveSystem::ReportWriteFailure(const std::string& path) {
  Platform().MessageBox(Localized(TOwnText::SaveFailed1) + sjis::FromUtf8(path) + Localized(TOwnText::SaveFailed2), TMessageIcon::Error,
                        TMessageButtons::Ok);
}

bool TSaveSystem::IsBeingWritten(const std::string& fileName) const {
  return FWriter.File != nullptr && FWriter.Path == fileName;
}

bool TSaveSystem::SaveGame(const std::string& fileName) {
  if (fileName.empty() || IsBeingWritten(fileName)) return false;
  const std::string directory = TFileSystem::DirectoryOf(fileName);
  if (!directory.empty() && !TFileSystem::DirectoryExists(directory) && !AskForSaveFolder(directory)) {
    return false;
  }
  TPeltoFile& script = FAccessControl.PeltoFile();
  const bool legacy = script.ReadBool(kPelto, "LegacyMode", false);

  PackageWriter writer;
  SetWriterMagic(writer, SaveMagic);
  if (!CreatePackage(writer, fileName)) {
    ReportWriteFailure(fileName);
    return false;
  }
  if (const TWindowRecord* main = FScreenControl.GetWindow(0); main && main->Screen) {
    AddEntryFromStream(writer, MakeThumbnailBmp(*main->Screen), ThumbnailEntryName);
  }
  // On a page no call led to the stack is empty and holds no position:
  // the current one goes in as its only frame, so that the load resumes
  // here. The stack itself is left as it was.
  TPeltoProcessStack& stack = FAccessControl.ProcessStack();
  const bool topLevel = stack.Empty();
  if (topLevel) FAccessControl.PushReturnFrame(false);
  FAccessControl.Process().SaveStack(writer);
  if (topLevel) {
    (void)stack.PopFrame();
    stack.ClearFrame();
  }
  // A disk that fails the entries is told of once, below.
  if (!FScreenControl.SaveInfo(writer, legacy) && !writer.WriteFailed) {
    Platform().MessageBox(msg::kScreenSaveFailed, TMessageIcon::None, TMessageButtons::Ok);
  }
  FMusicCtrl.SaveInfo(FSaveValues);
  FAccessControl.VariableCtrl().SaveVariables(writer);

  ListWriteInteger(FSaveValues, kKeyVersion, SaveVersion);
  ListWriteString(FSaveValues, kKeyPeltoId, script.ReadString(kPelto, "PeltoID", ""));
  ListWriteString(FSaveValues, kKeyBuildId, script.ReadString(kPelto, "BuildID", ""));
  const TLocalTime now = Platform().GetLocalTime();
  ListWriteString(FSaveValues, kKeySaveDate,
                  SaveDateText(now.Year, now.Month, now.Day, now.Hour, now.Minute, now.Second));
  AddEntryFromStrings(writer, FSaveValues, SaveInfoEntryName);
  // Nothing replaces the file unless every entry was written.
  if (!FinishPackage(writer)) {
    ReportWriteFailure(fileName);
    return false;
  }
  return true;
}

std::string TSaveSystem::FindSavedMusic(const std::string& name) const {
  std::string path = FAccessControl.FindDataFile(name);
  if (path != kNoEntry) return path;
  // The longest tail after a separator that is found wins. Separators are
  // single-byte "\" or "/", never the trail byte of a double-byte character.
  for (size_t i = 0; i < name.size();) {
    const size_t n = sjis::CharLength(name, i);
    if (n == 1 && (name[i] == '\\' || name[i] == '/') && i + 1 < name.size()) {
      path = FAccessControl.FindDataFile(name.substr(i + 1));
      if (path != kNoEntry) return path;
    }
    i += n;
  }
  return "";
}

bool TSaveSystem::LoadGame(const std::string& fileName) {
  const bool legacy = FAccessControl.PeltoFile().ReadBool(kPelto, "LegacyMode", false);
  PackageReader reader;
  if (fileName.empty() || !HasMagic(fileName, SaveMagic) || !OpenPackage(fileName, reader)) return false;
  // Read into a list of its own: the values of a value file that is open
  // at the same time stay as they are.
  TStringList values;
  if (!LoadEntryStrings(reader, SaveInfoEntryName, values) ||
      ListReadInteger(values, kKeyVersion, SaveVersion) > SaveVersion) {
    ClosePackage(reader);
    return false;
  }
  TPeltoProcess& process = FAccessControl.Process();
  if (!process.LoadStack(reader)) {
    ClosePackage(reader);
    return false;
  }
  const TPeltoProcessStack& stack = FAccessControl.ProcessStack();
  // A save with an empty stack (made on a page no call led to, by a player
  // that did not record the position) gives no position: play goes on
  // where the load was made, with the saved state.
  if (!stack.Frame().empty()) {
    FAccessControl.CommandCtrl().SetBookName(stack.ReadString("Stack.BookName", ""));
    FAccessControl.CommandCtrl().SetPageName(stack.ReadString("Stack.PageName", ""));
    FAccessControl.SetNextCommandIndex(stack.ReadInteger("Stack.CommandIndex", 0));
  }
  // "_reload" runs first; its return resumes exactly where the save was made.
  FAccessControl.CallPageKeepState("_system", "_reload");
  if (!FScreenControl.LoadInfo(reader, legacy)) {
    Platform().MessageBox(msg::kScreenLoadFailed, TMessageIcon::None, TMessageButtons::Ok);
  }
  // The volumes in force when the save was made replace those of the
  // settings; the on/off switches are not part of a save.
  FMusicCtrl.LoadInfo(values, [this](const std::string& name) { return FindSavedMusic(name); });
  FAccessControl.VariableCtrl().LoadVariables(reader);
  ClosePackage(reader);
  // With the variables back, a translated message shows translated again.
  FScreenControl.TranslateRestoredText();

  if (!process.FMessageLayer.empty()) {
    FScreenControl.SetLayerVisible(0, process.FMessageLayer, false);
    FScreenControl.Compose(0);
    FScreenControl.SetLayerVisible(0, process.FMessageLayer, true);
  } else {
    FScreenControl.Compose(0);
  }
  FScreenControl.Paint(0);
  return true;
}

std::string TSaveSystem::SaveDateText(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %d:%02d:%02d", year, month, day, hour, minute, second);
  return text;
}

// --- System settings ---------------------------------------------------------

void TSaveSystem::LoadSystemSettings(const std::string& fileName) {
  std::string text;
  if (!TFileSystem::FileExists(fileName) || !TFileSystem::ReadFile(fileName, text)) return;
  FSystemValues = TextToStrings(text);
  FMusicCtrl.SetMusicEnabled(ListReadBool(FSystemValues, kKeyUseMusic, true));
  FMusicCtrl.FUseSound = ListReadBool(FSystemValues, kKeyUseSound, true);
  FMusicCtrl.SetMusicVolume(ListReadInteger(FSystemValues, kKeyMusicVolume, 100));
  FMusicCtrl.SetSoundVolume(ListReadInteger(FSystemValues, kKeySoundVolume, 100));
  FAccessControl.SetWindowPosition(ListReadInteger(FSystemValues, kKeyLeft, 0),
                                   ListReadInteger(FSystemValues, kKeyTop, 0));
  FAccessControl.SetDefaultFontName(ListReadString(FSystemValues, kKeyFont, kDefaultFont));
  FWindowWidth = ListReadInteger(FSystemValues, kKeyWindowWidth, 0);
  FWindowHeight = ListReadInteger(FSystemValues, kKeyWindowHeight, 0);
}

bool TSaveSystem::SaveSystemSettings(const std::string& fileName) {
  const std::string directory = TFileSystem::DirectoryOf(fileName);
  // Without a data directory (content that did not open) nothing is written.
  if (directory.empty() || !TFileSystem::DirectoryExists(directory)) return false;
  ListWriteBool(FSystemValues, kKeyUseMusic, FMusicCtrl.UseMusic());
  ListWriteBool(FSystemValues, kKeyUseSound, FMusicCtrl.FUseSound);
  ListWriteInteger(FSystemValues, kKeyMusicVolume, FMusicCtrl.GetMusicVolume());
  ListWriteInteger(FSystemValues, kKeySoundVolume, FMusicCtrl.GetSoundVolume());
  ListWriteInteger(FSystemValues, kKeyLeft, FAccessControl.WindowLeft());
  ListWriteInteger(FSystemValues, kKeyTop, FAccessControl.WindowTop());
  ListWriteString(FSystemValues, kKeyFont, FAccessControl.DefaultFontName());
  if (FWindowWidth > 0 && FWindowHeight > 0) {
    ListWriteInteger(FSystemValues, kKeyWindowWidth, FWindowWidth);
    ListWriteInteger(FSystemValues, kKeyWindowHeight, FWindowHeight);
  }
  if (!TFileSystem::WriteFileAtomic(fileName, StringsToText(FSystemValues))) {
    ReportWriteFailure(fileName);
    return false;
  }
  return true;
}

}  // namespace pelto5
