// The three kinds of persistent data of a run:
//
// - State saves: the whole runtime (position with its call stack, process
//   state, screen, variables, music) in one "PV5SAVE" container, written by
//   SaveGame and read back by LoadGame, with an 80 x 60 thumbnail.
// - Value files: containers of the same kind that a script opens, fills
//   with key=value pairs and closes itself. While one is open for reading,
//   the content access finds images and text entries in it first, so a
//   script can show a state save's thumbnail and read its save date.
// - System settings: the plain key=value file "p_save00.svi" in the data
//   directory with the audio switches and volumes, the window position, the
//   default font and whatever a script stores while no value file is open.
//
// Every file is written to a temporary name and renamed into place only
// when it is complete, so a failed write (a full disk, the file-size limit)
// never costs an existing save; the user is told, and play goes on.
// Paths handed in are native paths that the caller has already resolved
// with Location(): under the data directory, or under the user's save
// folder when the data directory cannot be written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "content/PackageWriter.h"
#include "save/SaveLocation.h"
#include "base/KeyValueList.h"

namespace pelto5 {

struct PackageReader;
class TMusicCtrl;
class TPeltoAccessControl;
class TScreenControl;

class TSaveSystem {
 public:
  static constexpr std::string_view SaveMagic = "PV5SAVE";
  static constexpr std::string_view SaveInfoEntryName = "savefile.info";
  static constexpr std::string_view ThumbnailEntryName = "_smallimage.bmp";
  static constexpr std::string_view SystemSettingsFileName = "p_save00.svi";
  // The newest state save this player reads.
  static constexpr int32_t SaveVersion = 1;

  // Modes of OpenSaveFile.
  static constexpr int ReadMode = 0;
  static constexpr int CreateMode = 1;
  static constexpr int AppendMode = 2;

  // Values of FOpenMode.
  static constexpr int NotOpen = 0;
  static constexpr int OpenForReading = 1;
  static constexpr int OpenForWriting = 2;
  // The last open failed: values go nowhere until a file is open again or
  // the script closes.
  static constexpr int OpenFailed = 3;

  // Neither is owned; both outlive the save system.
  TSaveSystem(TPeltoAccessControl& access, TScreenControl& screen, TMusicCtrl& music);
  TSaveSystem(const TSaveSystem&) = delete;
  TSaveSystem& operator=(const TSaveSystem&) = delete;

  // --- Value files ---------------------------------------------------------
  // mode: ReadMode, CreateMode or AppendMode; any other mode fails and
  // changes nothing. A file still open is closed first (and written, if it
  // was opened for writing).
  [[nodiscard]] bool OpenSaveFile(const std::string& fileName, int mode);
  // Writes a file opened for writing (its values as "savefile.info");
  // a file opened for reading is closed without writing. False only when a
  // file opened for writing could not be written.
  [[nodiscard]] bool CloseSaveFile();
  [[nodiscard]] bool IsSaveFileOpen() const;
  [[nodiscard]] bool SaveFileOpenFailed() const { return FOpenMode == OpenFailed; }

  std::string ReadSaveValue(std::string_view key) const;
  void WriteSaveValue(std::string_view key, std::string_view value);
  std::string ReadSystemValue(std::string_view key) const;
  void WriteSystemValue(std::string_view key, std::string_view value);

  // --- State saves ---------------------------------------------------------
  [[nodiscard]] bool SaveGame(const std::string& fileName);
  // Restores a state save and continues in page "_reload" of book
  // "_system", which returns to the saved position. A file that is not a
  // readable state save (no "savefile.info", a newer version) is refused
  // with the running state untouched.
  [[nodiscard]] bool LoadGame(const std::string& fileName);

  // --- System settings -----------------------------------------------------
  // A missing file leaves every default in force. Otherwise the audio
  // switches and volumes go to the music controller, the window position
  // and the default font to the access controller.
  void LoadSystemSettings(const std::string& fileName);
  // Nothing is written when the file's folder does not exist.
  [[nodiscard]] bool SaveSystemSettings(const std::string& fileName);

  // Tells the user that the file at path (native) could not be written and
  // that the one on disk, if any, is kept as it was.
  static void ReportWriteFailure(const std::string& path);

  // "Supplement.SaveDate" text of a local time: short date and long time.
  static std::string SaveDateText(int year, int month, int day, int hour, int minute, int second);

  // Where saves and the settings file are written and read.
  TSaveLocation& Location() { return FLocation; }
  const TSaveLocation& Location() const { return FLocation; }

  // The main window's size on the desktop, kept with the settings
  // ("System.WindowWidth", "System.WindowHeight"); 0 = none, and nothing is
  // stored then.
  int32_t FWindowWidth = 0;
  int32_t FWindowHeight = 0;

  TStringList FSystemValues;
  TStringList FSaveValues;
  int FOpenMode = NotOpen;

 private:
  [[nodiscard]] bool AskForSaveFolder(const std::string& directory);
  [[nodiscard]] bool IsBeingWritten(const std::string& fileName) const;
  // The native path of a music name stored in a save ("" if none): the
  // name as a script gives it, or an absolute path (a Windows one written
  // by another player, or one of ours from older saves) whose tail names a
  // file inside the content's folders.
  std::string FindSavedMusic(const std::string& name) const;

  TPeltoAccessControl& FAccessControl;
  TScreenControl& FScreenControl;
  TMusicCtrl& FMusicCtrl;
  PackageWriter FWriter;
  TSaveLocation FLocation;
};

}  // namespace pelto5
