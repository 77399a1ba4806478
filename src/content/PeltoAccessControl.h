// The hub between the runtime and the scenario's content: owns the script
// model and the execution state, opens the content the player was started
// with, decides the data directory and finds the scenario's files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "script/KeyValueList.h"

namespace pelto5 {

class TPeltoFile;
class TCommandCtrl;

class TPeltoAccessControl {
 public:
  TPeltoAccessControl();
  ~TPeltoAccessControl();
  TPeltoAccessControl(const TPeltoAccessControl&) = delete;
  TPeltoAccessControl& operator=(const TPeltoAccessControl&) = delete;

  // Opens the content at path (a native path) and prepares a run.
  bool Open(const std::string& path);
  bool OpenContent(const std::string& path);
  bool CheckFileType();
  void CloseContent();

  // Native path of a resource file on disk, or "No Entry".
  std::string FindDataFile(const std::string& name);
  void MovePage(const std::string& book, const std::string& page);

  std::unique_ptr<TPeltoFile> FPeltoFile;
  std::unique_ptr<TCommandCtrl> FCommandCtrl;

  std::string FContentDirectory;  // native, ends in "/"
  std::string FDataDirectory;     // native, ends in "/"
  int32_t FNextCommandIndex = 0;
  int32_t FWindowLeft = 0;
  int32_t FWindowTop = 0;
  std::string FDefaultFontName;
};

// The answer of FindDataFile for a file that is in neither folder.
extern const char* const kNoEntry;

}  // namespace pelto5
