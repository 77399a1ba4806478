// --watch: the author edits, the player follows. It notices when the plain
// script or a file of the content's folder changes (the SDL player polls
// their stamps; headless runs are told by "MS reload"), and at the next
// main-timer tick reads the script again and restarts the current page from
// its first command. Variables, layers, the call stack and the music stay;
// the layers' pictures are read again from the disk. A script that no
// longer parses leaves the running one in place, and its first fault shows
// in a band over the picture until the file is fixed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "base/Rect.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;

class TScriptWatch {
 public:
  // The band's height in pixels, at most.
  static constexpr int kBandHeight = 22;
  // Main-timer ticks between two looks at the files (one second).
  static constexpr int kPollTicks = 5;

  // saveFolder is where the player writes saves, settings and pictures:
  // when that is the script's own folder, only the script is watched, so
  // that the player's own writes do not count as edits.
  TScriptWatch(TPeltoAccessControl& access, TScreenControl& screen, std::string scriptPath,
               const std::string& saveFolder);

  // Every main-timer tick: looks at the files now and then (polling
  // true), and reloads when a change is pending. True when it reloaded.
  bool TimerTick(bool polling);
  // As a change of every watched file.
  void RequestReload() { FPending = true; }
  [[nodiscard]] bool ReloadPending() const { return FPending; }

  // The parse fault shown (Shift-JIS), "" when the script parses.
  const std::string& Error() const { return FError; }
  // Draws the band of the fault over the picture; the area drawn on.
  TRect DrawBand(TCanvas& canvas) const;

 private:
  using TStamps = std::map<std::string, uint64_t>;
  TStamps Stamps() const;
  // Reads the script again; true when it replaced the running one.
  bool Reload();
  // The first fault that stops the script being read, "" for none.
  std::string ParseFault() const;
  void RestartPage();

  TPeltoAccessControl& FAccess;
  TScreenControl& FScreen;
  std::string FScriptPath;
  std::string FFolder;  // "" when only the script is watched
  TStamps FStamps;
  int FTicks = 0;
  bool FPending = false;
  std::string FError;
};

}  // namespace pelto5
