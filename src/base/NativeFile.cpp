#include "base/NativeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pelto5::native {

bool SeekFile(std::FILE* file, uint64_t position) {
  if (position > static_cast<uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
  return _fseeki64(file, static_cast<int64_t>(position), SEEK_SET) == 0;
#else
  if (position > static_cast<uint64_t>(LONG_MAX)) return false;
  return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool FileLength(std::FILE* file, uint64_t& length) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return false;
  const int64_t size = _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t size = ftello(file);
#endif
  if (size < 0 || !SeekFile(file, 0)) return false;
  length = static_cast<uint64_t>(size);
  return true;
}

std::filesystem::path Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

#ifdef _WIN32

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  // Text that is not UTF-8 names nothing (it is not made into another name).
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string FromWide(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    nullptr);
  if (n <= 0) return std::string();
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

bool CanCreateFileIn(const std::string& folder) {
  const std::wstring name = Wide(folder + "/pelto5-write-test.tmp");
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::string ExecutablePath() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return "";
  buffer.resize(n);
  return Utf8(std::filesystem::path(buffer));
}

namespace {

// The absolute extended-length form of a wide path ("\\?\C:\..." or
// "\\?\UNC\server\..."): separators made "\" and "." and ".." resolved, as
// that form is taken literally. "" when wide is.
std::wstring ExtendedPath(const std::wstring& wide) {
  if (wide.empty() || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return wide;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return wide;
  full.resize(n);
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

std::wstring FileCallPath(const std::string& utf8) {
  const std::wstring wide = Wide(utf8);
  // Below the limit, the name goes as it is (a device name such as "CON"
  // or a relative path keeps its usual meaning).
  if (wide.size() < MAX_PATH - 12) return wide;
  return ExtendedPath(wide);
}

bool ListFolder(const std::string& utf8, std::vector<TFolderEntry>& entries) {
  std::wstring pattern = ExtendedPath(Wide(utf8.empty() ? "." : utf8));
  if (pattern.empty()) return false;
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back({FromWide(name), folder && !link, !folder});
  } while (FindNextFileW(find, &data));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  return complete;
}

std::FILE* OpenFile(const std::string& utf8, const char* mode) {
  if (utf8.empty()) return nullptr;
  const std::string m = mode;
  if (m != "r" && m != "rb") return _wfopen(FileCallPath(utf8).c_str(), std::wstring(m.begin(), m.end()).c_str());
  // A reader lets others delete and replace the file while it reads, as on
  // POSIX: a save written over a file that is open for reading (its
  // thumbnail shown, its values read) replaces it instead of failing.
  const HANDLE handle = CreateFileW(FileCallPath(utf8).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ? ENOENT
            : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION                        ? EACCES
                                                                                                       : EIO;
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | (m == "rb" ? _O_BINARY : _O_TEXT));
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, mode);
  if (file == nullptr) _close(fd);
  return file;
}

bool MoveReplacing(const std::string& from, const std::string& to) {
  if (MoveFileExW(FileCallPath(from).c_str(), FileCallPath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  const DWORD error = GetLastError();
  errno = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
          : error == ERROR_ACCESS_DENIED                              ? EACCES
                                                                      : EIO;
  return false;
}

bool RemoveFile(const std::string& utf8) { return _wremove(FileCallPath(utf8).c_str()) == 0; }

bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

// Windows flushes the folder entry with the file (MOVEFILE_WRITE_THROUGH).
void SyncFolderOf(const std::string&) {}

std::string Environment(const char* name) {
  const std::wstring wideName = Wide(name);
  const wchar_t* value = _wgetenv(wideName.c_str());
  return value == nullptr ? std::string() : FromWide(value);
}

bool HasEnvironment(const char* name) { return _wgetenv(Wide(name).c_str()) != nullptr; }

#else

bool ListFolder(const std::string& utf8, std::vector<TFolderEntry>& entries) {
  std::error_code error;
  std::filesystem::directory_iterator it(Path(utf8.empty() ? "." : utf8), error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code kind;
    const bool link = it->is_symlink(kind);
    entries.push_back({Utf8(it->path().filename()), !link && it->is_directory(kind), it->is_regular_file(kind)});
  }
  return !error;
}

std::FILE* OpenFile(const std::string& utf8, const char* mode) {
  if (utf8.empty()) return nullptr;
  return std::fopen(utf8.c_str(), mode);
}

bool MoveReplacing(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool RemoveFile(const std::string& utf8) { return std::remove(utf8.c_str()) == 0; }

bool SyncFile(std::FILE* file) { return fsync(fileno(file)) == 0; }

// Some file systems cannot flush a folder; the rename is then as durable as
// they make it.
void SyncFolderOf(const std::string& utf8) {
  const size_t slash = utf8.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : utf8.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool HasEnvironment(const char* name) { return std::getenv(name) != nullptr; }

#endif

}  // namespace pelto5::native
