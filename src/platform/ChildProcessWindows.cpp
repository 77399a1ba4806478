#ifdef _WIN32

#include <windows.h>

#include "base/NativeFile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"

namespace pelto5 {

namespace {

// The exit code a child gets when Stop() has to end it.
constexpr UINT kKilledExitCode = 0xC000013Au;  // as for Ctrl+C: "terminated"
// How long Stop() waits for a child it has ended to be gone.
constexpr DWORD kKillWaitMs = 5000;
// Buffer sizes of the pipe, each way.
constexpr DWORD kPipeBufferSize = 64 * 1024;

HANDLE AsHandle(TNativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }
TNativeHandle AsNative(HANDLE handle) { return reinterpret_cast<TNativeHandle>(handle); }

// argument as the C runtime's and CommandLineToArgvW's parsers read it
// back: in quotes, with the backslashes before a quote (and before the
// closing quote) doubled and the quote escaped.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      line.append(2 * backslashes + 1, L'\\');
    } else {
      line.append(backslashes, L'\\');
    }
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

// The name part of a "NAME=VALUE" entry.
std::wstring EntryName(const std::wstring& entry) {
  // A leading "=" belongs to the name (the drive entries "=C:=C:\...").
  const size_t equals = entry.find(L'=', 1);
  return entry.substr(0, equals == std::wstring::npos ? entry.size() : equals);
}

// This process's environment with name set to value, as a block for
// CreateProcessW: sorted by name without regard to case, each entry ended
// by a zero, the block by one more.
std::wstring EnvironmentWith(const std::wstring& name, const std::wstring& value) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
      std::wstring text(entry);
      if (CompareStringOrdinal(EntryName(text).c_str(), -1, name.c_str(), -1, TRUE) != CSTR_EQUAL)
        entries.push_back(std::move(text));
    }
    FreeEnvironmentStringsW(block);
  }
  entries.push_back(name + L"=" + value);
  std::stable_sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(EntryName(a).c_str(), -1, EntryName(b).c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  std::wstring result;
  for (const std::wstring& entry : entries) {
    result += entry;
    result += L'\0';
  }
  result += L'\0';
  return result;
}

// An inheritable copy of handle, or null.
HANDLE InheritableCopy(HANDLE handle) {
  HANDLE copy = nullptr;
  if (!handle || handle == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

// A connected pair of a duplex byte pipe, both ends for overlapped I/O:
// ours (not inherited) and the child's (inheritable). False when the
// system refuses one of them.
bool CreatePipePair(HANDLE& ours, HANDLE& theirs) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 8; ++attempt) {
    wchar_t name[128];
    std::swprintf(name, sizeof name / sizeof name[0], L"\\\\.\\pipe\\pelto5-%lu-%u-%llu",
                  static_cast<unsigned long>(GetCurrentProcessId()), serial.fetch_add(1),
                  static_cast<unsigned long long>(GetTickCount64()));
    ours = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                            kPipeBufferSize, kPipeBufferSize, 0, nullptr);
    if (ours == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_PIPE_BUSY) continue;  // taken
      return false;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    theirs = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                         nullptr);
    if (theirs != INVALID_HANDLE_VALUE) {
      // The one instance is ours to have connected; anyone else who got in
      // first would have made the open above fail.
      OVERLAPPED overlapped{};
      overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
      const bool connected = overlapped.hEvent &&
                             !ConnectNamedPipe(ours, &overlapped) && GetLastError() == ERROR_PIPE_CONNECTED;
      if (overlapped.hEvent) {
        if (!connected) {
          CancelIoEx(ours, &overlapped);
          DWORD ignored = 0;
          GetOverlappedResult(ours, &overlapped, &ignored, TRUE);
        }
        CloseHandle(overlapped.hEvent);
      }
      if (connected) return true;
      CloseHandle(theirs);
    }
    CloseHandle(ours);
    return false;
  }
  return false;
}

// The job object a child joins: it is killed when the last handle to the
// job goes, which at the latest is when this process ends.
HANDLE CreateKillingJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

// A crash in the child ends it at once, with the exception's code as its
// exit code: no dialog, no debugger, nothing to wait for.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
  const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode
                                                               : static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION);
  TerminateProcess(GetCurrentProcess(), code);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

TChildProcess::~TChildProcess() { Stop(); }

bool TChildProcess::Start(const std::string& program, const std::string& argument, TNativeHandle shared) {
  Stop(0);
  FEndReason.clear();
  std::wstring programName = native::Wide(program);
  for (wchar_t& c : programName) {
    if (c == L'/') c = L'\\';
  }
  if (programName.empty()) return false;
  HANDLE ours = INVALID_HANDLE_VALUE;
  HANDLE childSocket = INVALID_HANDLE_VALUE;
  if (!CreatePipePair(ours, childSocket)) return false;

  // What the child inherits, and nothing else.
  HANDLE childShared = InheritableCopy(AsHandle(shared));
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childInput = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                  OPEN_EXISTING, 0, nullptr);
  if (childInput == INVALID_HANDLE_VALUE) childInput = nullptr;
  HANDLE childOutput = InheritableCopy(GetStdHandle(STD_ERROR_HANDLE));
  std::vector<HANDLE> handles{childSocket};
  for (HANDLE handle : {childShared, childInput, childOutput}) {
    if (handle) handles.push_back(handle);
  }

  bool started = false;
  PROCESS_INFORMATION process{};
  HANDLE job = nullptr;
  if (childShared) {
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    std::vector<unsigned char> listMemory(listSize);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
    const bool listReady = listSize > 0 && InitializeProcThreadAttributeList(list, 1, 0, &listSize);
    const bool listed = listReady && UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                              handles.data(), handles.size() * sizeof(HANDLE),
                                                              nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = listed ? sizeof startup : sizeof startup.StartupInfo;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childInput;
    startup.StartupInfo.hStdOutput = childOutput;
    startup.StartupInfo.hStdError = childOutput;
    startup.lpAttributeList = listed ? list : nullptr;

    std::wstring commandLine;
    AppendQuoted(commandLine, programName);
    commandLine += L' ';
    AppendQuoted(commandLine, native::Wide(argument));
    std::wstring environment =
        EnvironmentWith(native::Wide(kHandlesVariable), std::to_wstring(reinterpret_cast<uintptr_t>(childSocket)) +
                                                    L" " + std::to_wstring(reinterpret_cast<uintptr_t>(childShared)));
    // Suspended until it is in the job, so that nothing it starts escapes.
    const DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT |
                        (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
    started = CreateProcessW(programName.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                             environment.data(), nullptr, &startup.StartupInfo, &process);
    if (listReady) DeleteProcThreadAttributeList(list);
    if (started) {
      job = CreateKillingJob();
      if (job && !AssignProcessToJobObject(job, process.hProcess)) {
        // Already in a job that allows no other: it still ends with the
        // connection, as a child on any system does.
        CloseHandle(job);
        job = nullptr;
      }
      ResumeThread(process.hThread);
      CloseHandle(process.hThread);
    }
  }
  for (HANDLE handle : handles) CloseHandle(handle);
  if (!started) {
    CloseHandle(ours);
    return false;
  }
  FProcess = AsNative(process.hProcess);
  FJob = job ? AsNative(job) : kNoNativeHandle;
  FSocket.Reset(AsNative(ours));
  return true;
}

bool TChildProcess::Running() {
  if (FProcess == kNoNativeHandle) return false;
  if (WaitForSingleObject(AsHandle(FProcess), 0) == WAIT_TIMEOUT) return true;
  DWORD code = 0;
  if (GetExitCodeProcess(AsHandle(FProcess), &code)) Collect(static_cast<int>(code));
  CloseHandle(AsHandle(FProcess));
  FProcess = kNoNativeHandle;
  if (FJob != kNoNativeHandle) CloseHandle(AsHandle(FJob));
  FJob = kNoNativeHandle;
  return false;
}

void TChildProcess::Stop(int graceMs) {
  FSocket.Close();
  if (FProcess != kNoNativeHandle) {
    const HANDLE process = AsHandle(FProcess);
    bool killed = false;
    if (WaitForSingleObject(process, static_cast<DWORD>(graceMs < 0 ? 0 : graceMs)) != WAIT_OBJECT_0) {
      TerminateProcess(process, kKilledExitCode);
      WaitForSingleObject(process, kKillWaitMs);
      killed = true;
    }
    DWORD code = 0;
    if (killed) {
      FEndReason = "killed";
    } else if (GetExitCodeProcess(process, &code)) {
      Collect(static_cast<int>(code));
    }
    CloseHandle(process);
    FProcess = kNoNativeHandle;
  }
  // Whatever is left in the job goes with it.
  if (FJob != kNoNativeHandle) CloseHandle(AsHandle(FJob));
  FJob = kNoNativeHandle;
}

void TChildProcess::Collect(int status) {
  const auto code = static_cast<uint32_t>(status);
  if (code >= 0xC0000000u) {
    char text[32];
    std::snprintf(text, sizeof text, "exception 0x%08X", static_cast<unsigned>(code));
    FEndReason = text;
  } else {
    FEndReason = "exit status " + std::to_string(code);
  }
}

void TChildProcess::SetUpAsChild() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
}

bool TChildProcess::InheritedHandles(TNativeHandle& socket, TNativeHandle& shared) {
  wchar_t text[64];
  const std::wstring name = native::Wide(kHandlesVariable);
  const DWORD length = GetEnvironmentVariableW(name.c_str(), text, sizeof text / sizeof text[0]);
  if (length == 0 || length >= sizeof text / sizeof text[0]) return false;
  // Not handed on to anything the child starts.
  SetEnvironmentVariableW(name.c_str(), nullptr);
  unsigned long long socketValue = 0;
  unsigned long long sharedValue = 0;
  wchar_t rest = L'\0';
  if (std::swscanf(text, L"%llu %llu%lc", &socketValue, &sharedValue, &rest) != 2) return false;
  const auto socketHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(socketValue));
  const auto sharedHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(sharedValue));
  DWORD flags = 0;
  if (!GetHandleInformation(socketHandle, &flags) || !GetHandleInformation(sharedHandle, &flags)) return false;
  // Not inherited again by what the plug-ins might start.
  SetHandleInformation(socketHandle, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(sharedHandle, HANDLE_FLAG_INHERIT, 0);
  socket = AsNative(socketHandle);
  shared = AsNative(sharedHandle);
  return true;
}

}  // namespace pelto5

#endif  // _WIN32
