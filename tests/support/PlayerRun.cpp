#include "support/PlayerRun.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/SjisText.h"

namespace pelto5::test {

#ifndef _WIN32
namespace {

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

}  // namespace
#endif

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::vector<std::string> DumpSection(const std::string& dump, const std::string& name) {
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : SplitLines(dump)) {
    if (!line.empty() && line[0] == '[') {
      inside = line == "[" + name + "]";
      continue;
    }
    if (inside) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> TPlayerResult::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& l : ErrorLines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

bool TPlayerResult::HasLine(const std::string& line) const {
  for (const std::string& l : ErrorLines) {
    if (l == line) return true;
  }
  return false;
}

#ifndef _WIN32
// The Windows versions of the process and folder functions are in
// PlayerRunWindows.cpp.
TTempDir::TTempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "pelto5-test-XXXXXX").string();
  if (mkdtemp(templ.data()) != nullptr) FPath = templ;
}
#endif

TTempDir::~TTempDir() {
  std::error_code ec;
  if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
}

std::string TTempDir::Write(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path p = std::filesystem::path(FPath) / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  return p.generic_string();
}

std::string MakeScript(const std::vector<std::string>& utf8Lines) {
  std::string text = "/// Game Creative Tool - Peltoforge Fifth -\r\n/// pelto5 test script\r\n";
  for (const std::string& l : utf8Lines) text += sjis::FromUtf8(l) + "\r\n";
  return text;
}

std::vector<std::string> ScriptWithPage(const std::vector<std::string>& pageLines,
                                        const std::vector<std::string>& headerLines,
                                        const std::string& book, const std::string& page) {
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19"};
  lines.insert(lines.end(), headerLines.begin(), headerLines.end());
  lines.push_back("<Head End>");
  lines.push_back("<Book=\"" + book + "\">");
  lines.push_back("<Page=\"" + page + "\">");
  lines.insert(lines.end(), pageLines.begin(), pageLines.end());
  lines.push_back("<Page End>");
  lines.push_back("<Book End>");
  return lines;
}

TPlayerResult RunPlayer(const std::vector<std::string>& args) { return RunPlayerBinary(PELTO5_PLAYER, args); }

#ifndef _WIN32
std::string PlayerCommand(const std::string& player, const std::vector<std::string>& args,
                          const std::vector<std::string>& environment) {
  std::string command = "env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8";
  for (const std::string& setting : environment) command += " " + ShellQuote(setting);
  command += " " + ShellQuote(player);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  return command;
}

TPlayerResult RunPlayerBinary(const std::string& player, const std::vector<std::string>& args,
                              const std::vector<std::string>& environment) {
  TTempDir io;
  const std::string errPath = io.Path() + "/stderr";
  const std::string outPath = io.Path() + "/stdout";
  const std::string command = PlayerCommand(player, args, environment) + " </dev/null >" + ShellQuote(outPath) +
                              " 2>" + ShellQuote(errPath);
  TPlayerResult result;
  const int status = std::system(command.c_str());
  result.ExitStatus = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  result.ErrorLines = SplitLines(ReadFileText(errPath));
  result.StdOut = ReadFileText(outPath);
  return result;
}

TPlayerResult RunPlayerMeasured(const std::vector<std::string>& args) {
  TTempDir io;
  const std::string errPath = io.Path() + "/stderr";
  const std::string outPath = io.Path() + "/stdout";
  std::vector<std::string> words = {PELTO5_PLAYER};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  TPlayerResult result;
  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    // The same locale as RunPlayer's, so the player's own texts are English.
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "C.UTF-8", 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (child < 0) return result;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return result;
  result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.PeakResidentKb = usage.ru_maxrss;
  result.ErrorLines = SplitLines(ReadFileText(errPath));
  result.StdOut = ReadFileText(outPath);
  return result;
}

std::string CaptureOutput(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, p)) out += buffer;
  pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}
#endif

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace pelto5::test
