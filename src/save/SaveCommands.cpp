#include "save/SaveCommands.h"

#include <string>

#include "audio/MusicCtrl.h"
#include "exec/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/ScreenControl.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "save/SaveSystem.h"
#include "save/DisplaySwitch.h"
#include "base/IntegerConversion.h"
#include "script/CommandKeys.h"
#include "script/PeltoCommand.h"
#include "script/VariableCtrl.h"

namespace pelto5 {

namespace {

// "セーブコントロール：\n代入先の変数名が不正です"
constexpr const char* kBadVariable =
    "\x83\x5A\x81\x5B\x83\x75\x83\x52\x83\x93\x83\x67\x83\x8D\x81\x5B\x83\x8B\x81\x46\n\x91\xE3\x93\xFC"
    "\x90\xE6\x82\xCC\x95\xCF\x90\x94\x96\xBC\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7";
// "debug: error report:\n不明なシステムコマンド「"
constexpr const char* kUnknownSystem1 =
    "debug: error report:\n\x95\x73\x96\xBE\x82\xC8\x83\x56\x83\x58\x83\x65\x83\x80\x83\x52\x83\x7D"
    "\x83\x93\x83\x68\x81\x75";
// "」が発行されました"
constexpr const char* kUnknownSystem2 = "\x81\x76\x82\xAA\x94\xAD\x8D\x73\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD";

}  // namespace

TSaveCommands::TSaveCommands(TPeltoAccessControl& access, TScreenControl& screen, TSaveSystem& save,
                             TMusicCtrl& music, TDisplaySwitch& display)
    : FAccess(access), FScreen(screen), FSave(save), FMusic(music), FDisplay(display) {}

const TSaveLocation& TSaveCommands::Location() const {
  TSaveLocation& location = FSave.Location();
  if (location.SaveDirectory().empty() && !FAccess.DataDirectory().empty()) {
    location.UseDataDirectory(FAccess.DataDirectory());
  }
  return location;
}

std::string TSaveCommands::SavePath(const std::string& fileName) const { return Location().WritePath(fileName); }

std::string TSaveCommands::LoadPath(const std::string& fileName) const { return Location().ReadPath(fileName); }

bool TSaveCommands::DoSaveCtrl(TPeltoCommand& command) {
  const int action = command.ReadKeyword(cmdkey::SaveCtrlCommand);
  if (action == cmdkey::scLoadValue) return LoadValue(command);
  if (action == cmdkey::scSaveValue) return SaveValue(command);
  if (action == cmdkey::scClose) {
    FSave.CloseSaveFile();
    return true;
  }
  // The results of the file operations are not examined: a failed open,
  // save or load still goes on with the next command. A refused file name
  // gives an empty path, which every operation fails on.
  // Reads find a file in the save folder first, then in the data
  // directory; writes go to the save folder.
  const std::string fileName = command.ReadString(cmdkey::SaveCtrlFileName);
  if (action == cmdkey::scOpen) {
    FSave.OpenSaveFile(LoadPath(fileName), TSaveSystem::ReadMode);
  } else if (action == cmdkey::scCreate) {
    FSave.OpenSaveFile(SavePath(fileName), TSaveSystem::CreateMode);
  } else if (action == cmdkey::scAppend) {
    // A value file that only the data directory has keeps its values.
    Location().PrepareAppend(fileName);
    FSave.OpenSaveFile(SavePath(fileName), TSaveSystem::AppendMode);
  } else if (action == cmdkey::scAutoSave) {
    FSave.SaveGame(SavePath(fileName));
  } else if (action == cmdkey::scAutoLoad) {
    FSave.LoadGame(LoadPath(fileName));
  } else {
    return false;
  }
  return true;
}

bool TSaveCommands::LoadValue(const TPeltoCommand& command) {
  const std::string key = command.ReadString(cmdkey::SaveCtrlKey);
  const std::string variable = command.ReadString(cmdkey::SaveCtrlVariable);
  // After a failed open nothing is read either (not the settings' values).
  const std::string text = FSave.IsSaveFileOpen()       ? FSave.ReadSaveValue(key)
                           : FSave.SaveFileOpenFailed() ? std::string()
                                                        : FSave.ReadSystemValue(key);
  TVariableCtrl& variables = FAccess.VariableCtrl();
  if (!variable.empty() && variable[0] == '%') {
    variables.Set_Value(variable, StrToIntDef(text, 0));
  } else if (!variable.empty() && variable[0] == '$') {
    variables.Set_Text(variable, text);
  } else {
    Platform().MessageBox(kBadVariable, TMessageIcon::Warning, TMessageButtons::Ok);
    return false;
  }
  return true;
}

bool TSaveCommands::SaveValue(const TPeltoCommand& command) {
  const std::string key = command.ReadString(cmdkey::SaveCtrlKey);
  const std::string text = FAccess.VariableCtrl().ExpandText(command.ReadString(cmdkey::SaveCtrlValue));
  if (FSave.IsSaveFileOpen()) {
    FSave.WriteSaveValue(key, text);
  } else if (!FSave.SaveFileOpenFailed()) {
    FSave.WriteSystemValue(key, text);
  }
  return true;
}

bool TSaveCommands::DoSystem(TPeltoCommand& command) {
  const int action = command.ReadKeyword(cmdkey::SystemCommand);
  if (action == cmdkey::syMessageSkip) {
    FAccess.Process().SetMessageSkip();
  } else if (action == cmdkey::syMessageEffect) {
    FScreen.MessageMode = TScreenControl::MessageEffect;
  } else if (action == cmdkey::syMessageDirect) {
    FScreen.MessageMode = TScreenControl::MessageDirect;
  } else if (action == cmdkey::syMusicEnable) {
    FMusic.SetMusicEnabled(true);
  } else if (action == cmdkey::syMusicDisable) {
    FMusic.SetMusicEnabled(false);
  } else if (action == cmdkey::sySoundEnable) {
    FMusic.FUseSound = true;
  } else if (action == cmdkey::sySoundDisable) {
    // A sound that is playing finishes; later ones are silent.
    FMusic.FUseSound = false;
  } else if (action == cmdkey::syMusicVolume) {
    FMusic.SetMusicVolume(command.ReadInteger(cmdkey::SystemVolume));
  } else if (action == cmdkey::sySoundVolume) {
    FMusic.SetSoundVolume(command.ReadInteger(cmdkey::SystemVolume));
  } else if (action == cmdkey::syFullScreen) {
    FDisplay.SetFullScreen();
  } else if (action == cmdkey::syWindowMode) {
    FDisplay.SetWindowMode();
  } else {
    Platform().MessageBox(std::string(kUnknownSystem1) + command.ReadString(cmdkey::SystemCommand) + kUnknownSystem2, TMessageIcon::None,
                          TMessageButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace pelto5
