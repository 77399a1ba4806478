// Runs the pelto5 player as a separate process for end-to-end tests and
// collects its exit status and standard error lines.
#pragma once

#include <string>
#include <vector>

#include "support/ProgramRun.h"

namespace pelto5::test {

struct TPlayerResult {
  int ExitStatus = -1;
  std::vector<std::string> ErrorLines;  // standard error, UTF-8
  std::string StdOut;
  long PeakResidentKb = -1;  // the player's largest resident size

  // Lines of standard error starting with prefix.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
  bool HasLine(const std::string& line) const;
};

// A fresh temporary directory, removed with the object; its path has "/"
// between folders on every system, as the player writes paths.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return FPath; }
  // Writes a file under the directory (bytes as given); returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string FPath;
};

// A script file's text from UTF-8 lines: converted to Shift-JIS and joined
// with CR LF. The two "///" lines are put in front.
std::string MakeScript(const std::vector<std::string>& utf8Lines);
// The script lines of a minimal header with the given extra header lines,
// followed by the given book (UTF-8 names) holding one page.
std::vector<std::string> ScriptWithPage(const std::vector<std::string>& pageLines,
                                        const std::vector<std::string>& headerLines = {},
                                        const std::string& book = "スタートブック",
                                        const std::string& page = "スタートページ");

// Runs the player with the arguments (each passed as one argument). The
// player's own texts are English: the locale is LANG=C.UTF-8, with LC_ALL
// and LC_MESSAGES unset, whatever the tests run in.
TPlayerResult RunPlayer(const std::vector<std::string>& args);
// The same with another copy of the player, and "NAME=value" settings
// added to its environment (LANG=ja_JP.UTF-8 for the Japanese texts).
TPlayerResult RunPlayerBinary(const std::string& player, const std::vector<std::string>& args,
                              const std::vector<std::string>& environment = {});
// The environment settings ("NAME=value") that put the player's per-user
// data folder (where saves of read-only content go) or its settings folder
// at folder: $XDG_DATA_HOME and $XDG_CONFIG_HOME on Linux, %APPDATA% (the
// one folder for both) on Windows.
std::vector<std::string> UserDataAt(const std::string& folder);
std::vector<std::string> UserConfigAt(const std::string& folder);
// The options RunPlayerBinary starts the player with: the English locale
// and the settings added.
TProgramOptions PlayerOptions(const std::vector<std::string>& environment = {});
// Runs pelto5-pack with the arguments, in the player's locale.
TProgramResult RunPack(const std::vector<std::string>& args);
// The shell command that runs player so (without redirections).
std::string PlayerCommand(const std::string& player, const std::vector<std::string>& args,
                          const std::vector<std::string>& environment = {});
// RunPlayer under the name the memory tests use: its peak resident size is
// measured.
TPlayerResult RunPlayerMeasured(const std::vector<std::string>& args);
// Runs a shell command and returns its standard output without the final
// line break.
std::string CaptureOutput(const std::string& command);
// Reads a whole file ("" when missing).
std::string ReadFileText(const std::string& path);

// The lines of text split at "\n" (a last line break ends the last line).
std::vector<std::string> SplitLines(const std::string& text);

// The lines of one "[name]" section of a --dump-state file.
std::vector<std::string> DumpSection(const std::string& dump, const std::string& name);

}  // namespace pelto5::test
