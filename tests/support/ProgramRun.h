// Starts a program from an argument vector, without a shell, and collects
// its exit status and outputs: the one way the tests run the player, the
// pack tool and the build machine's tools, on Linux (fork and exec) and on
// Windows (CreateProcessW, each argument quoted for the C runtime).
#pragma once

#include <string>
#include <vector>

namespace pelto5::test {

struct TProgramOptions {
  // "NAME=value" puts NAME into the program's environment (over any value
  // of the test's own); "NAME" alone takes it out.
  std::vector<std::string> Environment;
  // The folder the program starts in ("" for the test's own).
  std::string WorkingDirectory;
  // The file read as standard input ("" for the null device).
  std::string InputFile;
  // Standard error goes into StdOut, in the order written.
  bool ErrorIntoOutput = false;
  // The program is ended after this many seconds (0: waited for however
  // long it takes); TimedOut says so.
  int TimeoutSeconds = 0;
};

struct TProgramResult {
  // The exit status; -1 when the program could not start, was ended by a
  // signal or by the timeout.
  int ExitStatus = -1;
  bool Started = false;
  bool TimedOut = false;
  std::string StdOut;
  std::string StdErr;
  // The program's largest resident size (Linux) or working set (Windows).
  long PeakResidentKb = -1;
};

// Runs argv[0] with the arguments argv[1...], each passed as one argument
// whatever it holds. A name without a folder is looked up in PATH.
TProgramResult RunProgram(const std::vector<std::string>& argv, const TProgramOptions& options = {});

// The path of the program name found in PATH (on Windows with its ".exe"
// added), or "" when there is none.
std::string FindProgram(const std::string& name);

// The environment of the test's process with the settings of
// TProgramOptions::Environment applied, "NAME=value" a line; names compare
// without regard to case on Windows, as the system does.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& current,
                                         const std::vector<std::string>& settings);

}  // namespace pelto5::test
