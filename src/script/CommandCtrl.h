// The command cache of the current page. A page is a sequence of commands;
// each is a group of property lines closed by a command line (a line whose
// trimmed text begins with "@", such as "@MessageDraw"). The cache records,
// for the current book and page, where each command line stands, its type
// and its if-nesting level, and turns a command into a TPeltoCommand on
// request. It is rebuilt lazily after the book or page changes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/PeltoCommand.h"

namespace pelto5 {

class TPeltoFile;

class TCommandCtrl {
 public:
  // Command types (command version 19).
  enum : int32_t {
    ctUnknown = 0,
    ctRem = 1,
    ctIf = 2,
    ctElse = 3,
    ctEndIf = 4,
    ctMessageDraw = 5,
    ctGraphicDraw = 6,
    ctEffect = 7,
    ctMusic = 8,
    ctSound = 9,
    ctMusicStop = 10,
    ctValueCtrl = 11,
    ctStringCtrl = 12,
    ctLayerCtrl = 13,
    ctGraphicCtrl = 14,
    ctWait = 15,
    ctSelect = 16,
    ctMove = 17,
    ctCall = 18,
    ctReturn = 19,
    ctDynamicLayer = 20,
    ctDynamicLayerClear = 21,
    ctWindowShow = 22,
    ctStringInput = 23,
    ctSaveCtrl = 24,
    ctSystem = 25,
  };
  static constexpr int32_t kCommandTypeCount = 26;
  // The most commands one page may hold.
  static constexpr int kMaxCommands = 500;
  // The most lines one page may hold. Far more than 500 commands with all
  // their properties take; a command of more property lines would cost many
  // times their size to build.
  static constexpr int kMaxPageLines = 1000000;

  // The script the pages are read from (not owned; null until set).
  void SetFile(TPeltoFile* file);
  TPeltoFile* File() const { return FFile; }

  const std::string& BookName() const { return FBookName; }
  const std::string& PageName() const { return FPageName; }
  // Changing a name makes the cache stale; setting the same name keeps it.
  void SetBookName(std::string_view name);
  void SetPageName(std::string_view name);
  [[nodiscard]] bool CacheStale() const { return FCacheStale; }

  int GetCommandCount();
  // Fills command with the command at index; false (command untouched) when
  // index is out of range.
  [[nodiscard]] bool GetCommand(int index, TPeltoCommand& command);
  // The level of the command at index, -1 when out of range.
  int GetCommandLevel(int index);
  // The page line (0 = first line after <Page=...>) of the command line of
  // the command at index, -1 when out of range.
  int GetCommandLineIndex(int index);
  // Rebuilds the cache from the current page.
  void Make_CommandCache();

  // Type of a (trimmed) command line: exact, case-sensitive names; 0 if none.
  static int32_t CommandTypeOf(std::string_view text);

 private:
  struct TCacheEntry {
    int32_t LineIndex = 0;  // within the page, 0 = first line after <Page=...>
    int32_t CommandType = 0;
    int32_t Level = 0;
  };

  void EnsureCache();

  TPeltoFile* FFile = nullptr;
  std::string FBookName;
  std::string FPageName;
  bool FCacheStale = true;
  std::vector<TCacheEntry> FEntries;
  int FCount = 0;
};

}  // namespace pelto5
