#include "platform/FileChooser.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <commdlg.h>

#include "base/NativeFile.h"
#endif

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#endif

namespace pelto5 {

#ifdef _WIN32

// The system's own Open dialog.
TChooseResult TFileChooser::Choose(const std::string& title, const std::vector<TFilter>& filters, std::string& path) {
  // "Name\0*.a;*.b\0...\0\0", as the dialog takes its filters.
  std::wstring filterText;
  for (const TFilter& filter : filters) {
    std::string patterns;
    for (const std::string& pattern : filter.Patterns) patterns += (patterns.empty() ? "" : ";") + pattern;
    filterText += native::Wide(filter.Name) + L'\0' + native::Wide(patterns) + L'\0';
  }
  filterText += L'\0';
  std::wstring file(32768, L'\0');
  const std::wstring wideTitle = native::Wide(title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = filters.empty() ? nullptr : filterText.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = wideTitle.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (GetOpenFileNameW(&dialog)) {
    file.resize(file.find(L'\0'));
    path = native::Utf8(std::filesystem::path(file));
    return TChooseResult::Chosen;
  }
  // No error at all is the reader's Cancel.
  return CommDlgExtendedError() == 0 ? TChooseResult::Cancelled : TChooseResult::Unavailable;
}

#elif defined(__EMSCRIPTEN__)

TChooseResult TFileChooser::Choose(const std::string&, const std::vector<TFilter>&, std::string&) {
  return TChooseResult::Unavailable;
}

#else

extern "C" char** environ;

namespace {

// A path is never longer than this; more output is not a path.
constexpr size_t kMaxOutput = 64 * 1024;
// zenity's and kdialog's exit status when the user cancelled.
constexpr int kCancelledStatus = 1;

// The program's path on $PATH, "" when it is not there.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return "";
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

// Runs program with args, its standard output into output (cut at
// kMaxOutput), its input and error output on /dev/null. Its exit status,
// or -1 when it could not be run or did not exit normally.
int RunCapturing(const std::string& program, const std::vector<std::string>& args, std::string& output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    return -1;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (output.size() < kMaxOutput) output.append(buffer, std::min(static_cast<size_t>(n), kMaxOutput - output.size()));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> ZenityArguments(const std::string& title, const std::vector<TFileChooser::TFilter>& filters) {
  std::vector<std::string> args = {"--file-selection", "--title=" + title};
  for (const TFileChooser::TFilter& filter : filters) {
    std::string patterns;
    for (const std::string& p : filter.Patterns) patterns += (patterns.empty() ? "" : " ") + p;
    args.push_back("--file-filter=" + filter.Name + " | " + patterns);
  }
  return args;
}

std::vector<std::string> KdialogArguments(const std::string& title, const std::vector<TFileChooser::TFilter>& filters) {
  std::string filter;
  for (const TFileChooser::TFilter& f : filters) {
    if (!filter.empty()) filter += "\n";
    for (size_t i = 0; i < f.Patterns.size(); ++i) filter += (i > 0 ? " " : "") + f.Patterns[i];
    filter += "|" + f.Name;
  }
  return {"--title", title, "--getopenfilename", ".", filter};
}

bool OnKde() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop && std::strstr(desktop, "KDE") != nullptr;
}

}  // namespace

TChooseResult TFileChooser::Choose(const std::string& title, const std::vector<TFilter>& filters, std::string& path) {
  struct TChooser {
    const char* Program;
    std::vector<std::string> (*Arguments)(const std::string&, const std::vector<TFilter>&);
  };
  std::vector<TChooser> choosers = {{"zenity", ZenityArguments}, {"kdialog", KdialogArguments}};
  if (OnKde()) std::swap(choosers[0], choosers[1]);
  for (const TChooser& chooser : choosers) {
    const std::string program = FindProgram(chooser.Program);
    if (program.empty()) continue;
    std::string output;
    const int status = RunCapturing(program, chooser.Arguments(title, filters), output);
    if (status == kCancelledStatus) return TChooseResult::Cancelled;
    // The first line is the path; a chooser that failed (no display it can
    // use, say) leaves the next one to try.
    const size_t end = output.find('\n');
    if (end != std::string::npos) output.resize(end);
    if (status == 0 && !output.empty()) {
      path = output;
      return TChooseResult::Chosen;
    }
  }
  return TChooseResult::Unavailable;
}

#endif

}  // namespace pelto5
