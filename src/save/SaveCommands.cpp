#include "save/SaveCommands.h"

#include <string>
#include <vector>

#include "audio/MusicCtrl.h"
#include "base/MessageTexts.h"
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

bool TSaveCommands::IsFileAction(int action) {
  return action == cmdkey::scOpen || action == cmdkey::scCreate || action == cmdkey::scAppend ||
         action == cmdkey::scAutoSave || action == cmdkey::scAutoLoad;
}

bool TSaveCommands::AcceptFileName(const std::string& fileName) {
  // An empty name is no file at all; the operation fails without a word.
  std::vector<std::string> parts;
  return fileName.empty() || TFileSystem::SplitSafeName(fileName, parts);
}

bool TSaveCommands::DoSaveCtrl(TPeltoCommand& command) {
  const int action = command.ReadKeyword(cmdkey::SaveCtrlCommand);
  if (action == cmdkey::scLoadValue) return LoadValue(command);
  if (action == cmdkey::scSaveValue) return SaveValue(command);
  if (action == cmdkey::scClose) {
    (void)FSave.CloseSaveFile();
    return true;
  }
  // The results of the file operations are not examined: a failed open,
  // save or load still goes on with the next command. A refused file name
  // gives an empty path, which every operation fails on.
  // Reads find a file in the save folder first, then in the data
  // directory; writes go to the save folder.
  const std::string fileName = command.ReadString(cmdkey::SaveCtrlFileName);
  if (IsFileAction(action) && !AcceptFileName(fileName)) {
    // Told as a picture refused for its name is; the operation then fails
    // on the empty path.
    if (Platform().MessageBox(Localized(TOwnText::FileRefused1) + fileName + Localized(TOwnText::FileRefused2), TMessageIcon::Error,
                              TMessageButtons::AbortIgnore) == TMessageResult::Abort) {
      Platform().Terminate();
    }
  }
  if (action == cmdkey::scOpen) {
    (void)FSave.OpenSaveFile(LoadPath(fileName), TSaveSystem::ReadMode);
  } else if (action == cmdkey::scCreate) {
    (void)FSave.OpenSaveFile(SavePath(fileName), TSaveSystem::CreateMode);
  } else if (action == cmdkey::scAppend) {
    // A value file that only the data directory has keeps its values. When
    // it cannot be copied into the save folder, nothing is opened: a new
    // file there would hide it.
    if (Location().PrepareAppend(fileName)) {
      (void)FSave.OpenSaveFile(SavePath(fileName), TSaveSystem::AppendMode);
    } else {
      TSaveSystem::ReportWriteFailure(SavePath(fileName));
      (void)FSave.OpenSaveFile("", TSaveSystem::AppendMode);
    }
  } else if (action == cmdkey::scAutoSave) {
    (void)FSave.SaveGame(SavePath(fileName));
  } else if (action == cmdkey::scAutoLoad) {
    (void)FSave.LoadGame(LoadPath(fileName));
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
    Platform().MessageBox(msg::kBadSaveVariable, TMessageIcon::Warning, TMessageButtons::Ok);
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
    Platform().MessageBox(
        std::string(msg::kUnknownSystem1) + command.ReadString(cmdkey::SystemCommand) + msg::kUnknownSystem2,
        TMessageIcon::None, TMessageButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace pelto5
