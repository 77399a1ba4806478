#include "support/PlayerRun.h"

#ifndef _WIN32
#include <stdlib.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/SjisText.h"
#include "support/ProgramRun.h"

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

namespace {

TPlayerResult PlayerResultOf(const TProgramResult& run) {
  TPlayerResult result;
  result.ExitStatus = run.ExitStatus;
  result.ErrorLines = SplitLines(run.StdErr);
  result.StdOut = run.StdOut;
  result.PeakResidentKb = run.PeakResidentKb;
  return result;
}

}  // namespace

#ifdef _WIN32
std::vector<std::string> UserDataAt(const std::string& folder) { return {"APPDATA=" + folder}; }
std::vector<std::string> UserConfigAt(const std::string& folder) { return {"APPDATA=" + folder}; }
#else
std::vector<std::string> UserDataAt(const std::string& folder) { return {"XDG_DATA_HOME=" + folder}; }
std::vector<std::string> UserConfigAt(const std::string& folder) { return {"XDG_CONFIG_HOME=" + folder}; }
#endif

TProgramOptions PlayerOptions(const std::vector<std::string>& environment) {
  TProgramOptions options;
  options.Environment = {"LC_ALL", "LC_MESSAGES", "LANG=C.UTF-8"};
  options.Environment.insert(options.Environment.end(), environment.begin(), environment.end());
  return options;
}

TPlayerResult RunPlayerBinary(const std::string& player, const std::vector<std::string>& args,
                              const std::vector<std::string>& environment) {
  std::vector<std::string> argv = {player};
  argv.insert(argv.end(), args.begin(), args.end());
  return PlayerResultOf(RunProgram(argv, PlayerOptions(environment)));
}

TPlayerResult RunPlayerMeasured(const std::vector<std::string>& args) { return RunPlayerBinary(PELTO5_PLAYER, args); }

#ifdef PELTO5_PACK
TProgramResult RunPack(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {PELTO5_PACK};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, PlayerOptions({}));
}
#endif

#ifndef _WIN32
std::string PlayerCommand(const std::string& player, const std::vector<std::string>& args,
                          const std::vector<std::string>& environment) {
  std::string command = "env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8";
  for (const std::string& setting : environment) command += " " + ShellQuote(setting);
  command += " " + ShellQuote(player);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  return command;
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
