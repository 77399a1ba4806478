// The Windows half of PlayerRun.h: the temporary folder, and the command
// lines read by cmd.exe. Programs start through RunProgram
// (ProgramRunWindows.cpp).
#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/NativeFile.h"
#include "support/PlayerRun.h"

namespace pelto5::test {

namespace {

// One argument quoted so that CommandLineToArgvW and the C runtime give it
// back unchanged: backslashes double only in front of a quote.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') out.append(backslashes * 2 + 1, '\\');
    else out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

}  // namespace

TTempDir::TTempDir() {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "pelto5-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string(GetTickCount64() % 100000);
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      FPath = (base / name).generic_string();
      return;
    }
  }
}

std::string PlayerCommand(const std::string& player, const std::vector<std::string>& args,
                          const std::vector<std::string>&) {
  std::string command = QuoteArgument(player);
  for (const std::string& a : args) command += " " + QuoteArgument(a);
  return command;
}

// The command line runs through cmd.exe, the Windows shell, which takes
// what follows "/s /c" in one pair of quotes (so the command itself is best
// without double quotes; the tests start programs with RunProgram instead).
std::string CaptureOutput(const std::string& command) {
  const std::string shell = native::HasEnvironment("ComSpec") ? native::Environment("ComSpec") : "cmd.exe";
  std::string out = RunProgram({shell, "/d", "/s", "/c", command}).StdOut;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace pelto5::test
#endif
