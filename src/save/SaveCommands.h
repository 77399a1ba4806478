// The handlers of "@SaveCtrl" (value files, state saves, saved values) and
// "@System" (message pacing, audio switches and volumes, display mode).
//
// The main form's dispatch table calls them with the fetched command; each
// returns the handler result of the main loop: true = run the next command
// in the same tick, false = yield until the next tick. Keywords compare
// exactly, byte for byte. File names from the script are taken under the
// data directory and never lead out of it.
#pragma once

#include <string>

namespace pelto5 {

class TDisplaySwitch;
class TMusicCtrl;
class TPeltoAccessControl;
class TPeltoCommand;
class TSaveLocation;
class TSaveSystem;
class TScreenControl;

class TSaveCommands {
 public:
  TSaveCommands(TPeltoAccessControl& access, TScreenControl& screen, TSaveSystem& save, TMusicCtrl& music,
                TDisplaySwitch& display);

  [[nodiscard]] bool DoSaveCtrl(TPeltoCommand& command);
  [[nodiscard]] bool DoSystem(TPeltoCommand& command);

  // Native path to write a script's file name to: inside the save folder
  // (the data directory unless that cannot be written); "" for a name that
  // would leave it (or an empty one).
  std::string SavePath(const std::string& fileName) const;
  // Native path to read it from: the save folder's file, else the data
  // directory's.
  std::string LoadPath(const std::string& fileName) const;

 private:
  // The save system's location; one not chosen yet is the data directory.
  const TSaveLocation& Location() const;
  // The actions that name a file with "SaveCtrl.FileName".
  [[nodiscard]] static bool IsFileAction(int action);
  // False for a file name that would lead out of the save folder (a "..",
  // an absolute path, a drive letter) or names nothing.
  [[nodiscard]] static bool AcceptFileName(const std::string& fileName);
  [[nodiscard]] bool LoadValue(const TPeltoCommand& command);
  [[nodiscard]] bool SaveValue(const TPeltoCommand& command);

  TPeltoAccessControl& FAccess;
  TScreenControl& FScreen;
  TSaveSystem& FSave;
  TMusicCtrl& FMusic;
  TDisplaySwitch& FDisplay;
};

}  // namespace pelto5
