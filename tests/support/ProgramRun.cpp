// RunProgram's Linux half (fork and exec, outputs into files of a temporary
// folder, wait4 for the status and the peak resident size) and the parts
// both systems share. The Windows half is ProgramRunWindows.cpp.
#include "support/ProgramRun.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "support/PlayerRun.h"

namespace pelto5::test {

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = ';';
constexpr const char* kProgramSuffix = ".exe";
#else
constexpr char kPathSeparator = ':';
constexpr const char* kProgramSuffix = "";
#endif

// The name part of "NAME=value" (or all of "NAME"); a leading "=" belongs to
// the name, as in Windows' per-drive entries ("=C:=C:\...").
std::string EntryName(const std::string& entry) {
  const size_t equals = entry.find('=', 1);
  return entry.substr(0, equals);
}

bool SameName(const std::string& a, const std::string& b) {
#ifdef _WIN32
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
#else
  return a == b;
#endif
}

}  // namespace

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& current,
                                         const std::vector<std::string>& settings) {
  std::vector<std::string> entries = current;
  for (const std::string& setting : settings) {
    const std::string name = EntryName(setting);
    if (name.empty()) continue;
    std::erase_if(entries, [&name](const std::string& e) { return SameName(EntryName(e), name); });
    if (setting.size() > name.size()) entries.push_back(setting);
  }
  return entries;
}

std::string FindProgram(const std::string& name) {
  if (name.empty()) return "";
  const std::string suffix = kProgramSuffix;
  const bool hasSuffix =
      name.size() > suffix.size() && SameName(name.substr(name.size() - suffix.size()), suffix);
  const std::string withSuffix = hasSuffix ? name : name + suffix;
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(kPathSeparator, start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(folder) / withSuffix;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(candidate, ec)) continue;
#ifndef _WIN32
    if (access(candidate.c_str(), X_OK) != 0) continue;
#endif
    return candidate.generic_string();
  }
  return "";
}

#ifndef _WIN32
// fork and exec rather than posix_spawn: a child that shares the test's
// memory until its exec (vfork) inherits the test's peak resident size,
// and the memory tests read the player's own.
TProgramResult RunProgram(const std::vector<std::string>& argv, const TProgramOptions& options) {
  TProgramResult result;
  if (argv.empty()) return result;
  const std::string program = argv[0].find('/') == std::string::npos ? FindProgram(argv[0]) : argv[0];
  if (program.empty()) return result;
  TTempDir io;
  const std::string outPath = io.Path() + "/stdout";
  const std::string errPath = io.Path() + "/stderr";
  const std::string inPath = options.InputFile.empty() ? "/dev/null" : options.InputFile;

  // Everything the child needs is made before the fork: between fork and
  // exec only async-signal-safe calls are made.
  std::vector<std::string> current;
  for (char** e = environ; *e; ++e) current.emplace_back(*e);
  std::vector<std::string> environment = EnvironmentWith(current, options.Environment);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> words = argv;
  std::vector<char*> argp;
  for (std::string& w : words) argp.push_back(w.data());
  argp.push_back(nullptr);
  // The child writes its errno here when it cannot start the program; the
  // exec closes it otherwise.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return result;

  const pid_t child = fork();
  if (child == 0) {
    const int in = open(inPath.c_str(), O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = options.ErrorIntoOutput ? out : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in >= 0 && out >= 0 && err >= 0 && dup2(in, 0) >= 0 && dup2(out, 1) >= 0 && dup2(err, 2) >= 0 &&
        (options.WorkingDirectory.empty() || chdir(options.WorkingDirectory.c_str()) == 0)) {
      execve(program.c_str(), argp.data(), envp.data());
    }
    const int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
  }
  close(report[1]);
  if (child < 0) {
    close(report[0]);
    return result;
  }
  int error = 0;
  ssize_t got;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  result.Started = got == 0;

  int status = 0;
  rusage usage{};
  pid_t waited = -1;
  if (options.TimeoutSeconds > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.TimeoutSeconds);
    while ((waited = wait4(child, &status, WNOHANG, &usage)) == 0 || (waited < 0 && errno == EINTR)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(child, SIGKILL);
        result.TimedOut = true;
        while ((waited = wait4(child, &status, 0, &usage)) < 0 && errno == EINTR) {
        }
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  } else {
    while ((waited = wait4(child, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
  }
  if (waited == child && result.Started) {
    result.ExitStatus = !result.TimedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.PeakResidentKb = usage.ru_maxrss;
  }
  result.StdOut = ReadFileText(outPath);
  if (!options.ErrorIntoOutput) result.StdErr = ReadFileText(errPath);
  return result;
}
#endif

}  // namespace pelto5::test
