// The Windows half of PlayerRun.h: the player started with CreateProcessW
// and a UTF-16 command line, its standard output and error written to files
// of a temporary folder, its environment built from the test's own.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/PlayerRun.h"

namespace pelto5::test {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

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

// The test's environment with LC_ALL and LC_MESSAGES taken out and LANG and
// the settings ("NAME=value") put in, as a CreateProcessW block.
std::wstring EnvironmentBlock(const std::vector<std::string>& settings) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* at = block; *at; at += wcslen(at) + 1) entries.emplace_back(at);
    FreeEnvironmentStringsW(block);
  }
  auto put = [&entries](const std::wstring& setting) {
    const std::wstring name = setting.substr(0, setting.find(L'=') + 1);
    std::erase_if(entries, [&name](const std::wstring& e) {
      return e.size() >= name.size() && _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0;
    });
    if (setting.size() > name.size() || setting.find(L'=') == std::wstring::npos) entries.push_back(setting);
  };
  put(L"LC_ALL=");
  put(L"LC_MESSAGES=");
  put(L"LANG=C.UTF-8");
  for (const std::string& s : settings) put(Wide(s));
  std::wstring out;
  for (const std::wstring& e : entries) out += e + L'\0';
  return out + L'\0';
}

HANDLE InheritableFile(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(Wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs commandLine with stdin from NUL and the two outputs into files; the
// exit code, or -1 when it could not start. peakKb gets the largest working
// set when asked for.
int RunToFiles(const std::string& commandLine, const std::wstring* environment, const std::string& outPath,
               const std::string& errPath, long* peakKb) {
  HANDLE in = InheritableFile("NUL", false);
  HANDLE out = InheritableFile(outPath, true);
  HANDLE err = errPath == outPath ? out : InheritableFile(errPath, true);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  std::wstring line = Wide(commandLine);
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, environment ? CREATE_UNICODE_ENVIRONMENT : 0,
                     environment ? const_cast<wchar_t*>(environment->c_str()) : nullptr, nullptr, &startup,
                     &process);
  CloseHandle(in);
  CloseHandle(out);
  if (err != out) CloseHandle(err);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const int status = GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
  if (peakKb) {
    PROCESS_MEMORY_COUNTERS counters{};
    if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
      *peakKb = static_cast<long>(counters.PeakWorkingSetSize / 1024);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status;
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

TPlayerResult RunPlayerBinary(const std::string& player, const std::vector<std::string>& args,
                              const std::vector<std::string>& environment) {
  TTempDir io;
  const std::string errPath = io.Path() + "/stderr";
  const std::string outPath = io.Path() + "/stdout";
  const std::wstring block = EnvironmentBlock(environment);
  TPlayerResult result;
  result.ExitStatus = RunToFiles(PlayerCommand(player, args), &block, outPath, errPath, nullptr);
  result.ErrorLines = SplitLines(ReadFileText(errPath));
  result.StdOut = ReadFileText(outPath);
  return result;
}

TPlayerResult RunPlayerMeasured(const std::vector<std::string>& args) {
  TTempDir io;
  const std::string errPath = io.Path() + "/stderr";
  const std::string outPath = io.Path() + "/stdout";
  const std::wstring block = EnvironmentBlock({});
  TPlayerResult result;
  result.ExitStatus = RunToFiles(PlayerCommand(PELTO5_PLAYER, args), &block, outPath, errPath,
                                 &result.PeakResidentKb);
  result.ErrorLines = SplitLines(ReadFileText(errPath));
  result.StdOut = ReadFileText(outPath);
  return result;
}

// The command line runs through cmd.exe, the Windows shell.
std::string CaptureOutput(const std::string& command) {
  TTempDir io;
  const std::string outPath = io.Path() + "/stdout";
  wchar_t shell[MAX_PATH] = L"cmd.exe";
  GetEnvironmentVariableW(L"ComSpec", shell, MAX_PATH);
  RunToFiles(QuoteArgument(Narrow(shell)) + " /d /s /c \"" + command + "\"", nullptr, outPath, io.Path() + "/stderr",
             nullptr);
  std::string out = ReadFileText(outPath);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace pelto5::test
#endif
