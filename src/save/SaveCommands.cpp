#include "save/SaveCommands.h"

#include <string>

#include "audio/MusicCtrl.h"
#include "content/PeltoAccessControl.h"
#include "exec/PeltoProcess.h"
#include "graphics/ScreenControl.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "save/SaveSystem.h"
#include "shell/DisplayMode.h"
#include "script/IntegerConversion.h"
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
                             TMusicCtrl& music, TDisplayMode& display)
    : FAccess(access), FScreen(screen), FSave(save), FMusic(music), FDisplay(display) {}

std::string TSaveCommands::SavePath(const std::string& fileName) const {
  if (FAccess.FDataDirectory.empty()) return "";
  return TFileSystem::ResolveName(FAccess.FDataDirectory, fileName);
}

bool TSaveCommands::DoSaveCtrl(TPeltoCommand& command) {
  const std::string action = command.ReadString("SaveCtrl.Command", "");
  if (action == "LoadValue") return LoadValue(command);
  if (action == "SaveValue") return SaveValue(command);
  if (action == "Close") {
    FSave.CloseSaveFile();
    return true;
  }
  // The results of the file operations are not examined: a failed open,
  // save or load still goes on with the next command. A refused file name
  // gives an empty path, which every operation fails on.
  const std::string path = SavePath(command.ReadString("SaveCtrl.FileName", ""));
  if (action == "Open") {
    FSave.OpenSaveFile(path, TSaveSystem::ReadMode);
  } else if (action == "Create") {
    FSave.OpenSaveFile(path, TSaveSystem::CreateMode);
  } else if (action == "Append") {
    FSave.OpenSaveFile(path, TSaveSystem::AppendMode);
  } else if (action == "AutoSave") {
    FSave.SaveGame(path);
  } else if (action == "AutoLoad") {
    FSave.LoadGame(path);
  } else {
    return false;
  }
  return true;
}

bool TSaveCommands::LoadValue(const TPeltoCommand& command) {
  const std::string key = command.ReadString("SaveCtrl.Key", "");
  const std::string variable = command.ReadString("SaveCtrl.Variable", "");
  // After a failed open nothing is read either (not the settings' values).
  const std::string text = FSave.IsSaveFileOpen()       ? FSave.ReadSaveValue(key)
                           : FSave.SaveFileOpenFailed() ? std::string()
                                                        : FSave.ReadSystemValue(key);
  TVariableCtrl& variables = *FAccess.FVariableCtrl;
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
  const std::string key = command.ReadString("SaveCtrl.Key", "");
  const std::string text = FAccess.FVariableCtrl->ExpandText(command.ReadString("SaveCtrl.Value", ""));
  if (FSave.IsSaveFileOpen()) {
    FSave.WriteSaveValue(key, text);
  } else if (!FSave.SaveFileOpenFailed()) {
    FSave.WriteSystemValue(key, text);
  }
  return true;
}

bool TSaveCommands::DoSystem(TPeltoCommand& command) {
  const std::string action = command.ReadString("System.Command", "");
  if (action == "MessageSkip") {
    FAccess.FProcess->SetMessageSkip();
  } else if (action == "MessageEffect") {
    FScreen.MessageMode = TScreenControl::MessageEffect;
  } else if (action == "MessageDirect") {
    FScreen.MessageMode = TScreenControl::MessageDirect;
  } else if (action == "MusicEnable") {
    FMusic.SetMusicEnabled(true);
  } else if (action == "MusicDisable") {
    FMusic.SetMusicEnabled(false);
  } else if (action == "SoundEnable") {
    FMusic.FUseSound = true;
  } else if (action == "SoundDisable") {
    // A sound that is playing finishes; later ones are silent.
    FMusic.FUseSound = false;
  } else if (action == "MusicVolume") {
    FMusic.SetMusicVolume(command.ReadInteger("System.Volume", 100));
  } else if (action == "SoundVolume") {
    FMusic.SetSoundVolume(command.ReadInteger("System.Volume", 100));
  } else if (action == "FullScreen") {
    FDisplay.SetFullScreen();
  } else if (action == "WindowMode") {
    FDisplay.SetWindowMode();
  } else {
    Platform().MessageBox(std::string(kUnknownSystem1) + action + kUnknownSystem2, TMessageIcon::None,
                          TMessageButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace pelto5
