// RunProgram's Windows half: CreateProcessW with a UTF-16 command line whose
// arguments the C runtime and CommandLineToArgvW read back unchanged, a
// UTF-16 environment block, and the outputs written to files of a
// temporary folder.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/NativeFile.h"
#include "support/PlayerRun.h"
#include "support/ProgramRun.h"

namespace pelto5::test {

namespace {

// One argument quoted so that the program's parser gives it back as it is:
// backslashes double only in front of a quote.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// The test's environment with the settings applied, as a CreateProcessW
// block: sorted by name without regard to case, each entry ended by a zero
// and the block by one more.
std::wstring EnvironmentBlock(const std::vector<std::string>& settings) {
  std::vector<std::string> current;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* at = block; *at; at += wcslen(at) + 1) current.push_back(native::FromWide(at));
    FreeEnvironmentStringsW(block);
  }
  std::vector<std::wstring> entries;
  for (const std::string& e : EnvironmentWith(current, settings)) entries.push_back(native::Wide(e));
  auto name = [](const std::wstring& e) { return e.substr(0, e.find(L'=', 1)); };
  std::stable_sort(entries.begin(), entries.end(), [&name](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(name(a).c_str(), -1, name(b).c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  std::wstring out;
  for (const std::wstring& e : entries) out += e + L'\0';
  return out + L'\0';
}

HANDLE InheritableFile(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(native::Wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TProgramResult RunProgram(const std::vector<std::string>& argv, const TProgramOptions& options) {
  TProgramResult result;
  if (argv.empty()) return result;
  TTempDir io;
  const std::string outPath = io.Path() + "/stdout";
  const std::string errPath = io.Path() + "/stderr";
  HANDLE in = InheritableFile(options.InputFile.empty() ? "NUL" : options.InputFile, false);
  HANDLE out = InheritableFile(outPath, true);
  HANDLE err = options.ErrorIntoOutput ? out : InheritableFile(errPath, true);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;

  std::wstring line;
  for (const std::string& a : argv) {
    if (!line.empty()) line += L' ';
    line += QuoteArgument(native::Wide(a));
  }
  std::wstring environment = EnvironmentBlock(options.Environment);
  const std::wstring folder = native::Wide(options.WorkingDirectory);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                      environment.data(), folder.empty() ? nullptr : folder.c_str(), &startup,
                                      &process);
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != out && err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) return result;
  result.Started = true;

  const DWORD wait = options.TimeoutSeconds > 0 ? static_cast<DWORD>(options.TimeoutSeconds) * 1000 : INFINITE;
  if (WaitForSingleObject(process.hProcess, wait) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    result.TimedOut = true;
  }
  DWORD code = 0;
  if (!result.TimedOut && GetExitCodeProcess(process.hProcess, &code)) result.ExitStatus = static_cast<int>(code);
  PROCESS_MEMORY_COUNTERS counters{};
  if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
    result.PeakResidentKb = static_cast<long>(counters.PeakWorkingSetSize / 1024);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  result.StdOut = ReadFileText(outPath);
  if (!options.ErrorIntoOutput) result.StdErr = ReadFileText(errPath);
  return result;
}

}  // namespace pelto5::test
#endif
