// RunProgram's Linux half (posix_spawnp, outputs into files of a temporary
// folder, wait4 for the status and the peak resident size) and the parts
// both systems share. The Windows half is ProgramRunWindows.cpp.
#include "support/ProgramRun.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
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
TProgramResult RunProgram(const std::vector<std::string>& argv, const TProgramOptions& options) {
  TProgramResult result;
  if (argv.empty()) return result;
  TTempDir io;
  const std::string outPath = io.Path() + "/stdout";
  const std::string errPath = io.Path() + "/stderr";
  const std::string inPath =
      options.InputFile.empty() ? "/dev/null" : std::filesystem::absolute(options.InputFile).string();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (options.ErrorIntoOutput) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  if (!options.WorkingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.WorkingDirectory.c_str());
  }

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

  pid_t child = -1;
  const int spawned = posix_spawnp(&child, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  result.Started = true;

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
  if (waited == child) {
    result.ExitStatus = !result.TimedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.PeakResidentKb = usage.ru_maxrss;
  }
  result.StdOut = ReadFileText(outPath);
  if (!options.ErrorIntoOutput) result.StdErr = ReadFileText(errPath);
  return result;
}
#endif

}  // namespace pelto5::test
