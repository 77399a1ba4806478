// The player's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "platform/Platform.h"

namespace pelto5 {

struct TCommandLine {
  bool Help = false;
  bool Version = false;
  int Scale = 1;
  bool ScaleGiven = false;        // --scale was given (it beats the saved size)
  bool LinearFilter = false;      // --filter linear
  std::string LibraryPath;        // --library
  std::string SaveDirectory;      // --save-dir
  bool Headless = false;
  std::string EventsPath;
  uint32_t MaxTime = 3600000;
  std::string ScreenshotPath;
  std::string DumpStatePath;
  std::optional<TMessageResult> Answer;
  bool Trace = false;
  bool TraceAudio = false;
  bool CheckFrames = false;
  std::string ContentPath;
  // --check: the scenario check instead of a run.
  bool Check = false;
  bool CheckJson = false;
  std::vector<std::string> CheckDisabled;
  // The author's tools.
  std::vector<std::string> Breakpoints;  // --break, UTF-8
  std::string TestDirectory;             // --test: the scenario tests' folder
  std::string JUnitPath;                 // --junit
  bool Watch = false;                    // --watch
  std::string RecordPath;                // --record
  // --text-out: "-", "clipboard" or a file path ("" = none).
  std::string TextOut;
  // --extract-text: the PO template of CONTENT instead of a run.
  bool ExtractText = false;
  std::string TranslationPath;  // --translation

  // Fails with a message when the arguments are not understood.
  TResult Parse(const std::vector<std::string>& args);
  // Fails when --screenshot or --dump-state names a file in a folder that
  // does not exist: the run would end without writing it.
  TResult CheckOutputFolders() const;
  static std::string Usage();
};

}  // namespace pelto5
