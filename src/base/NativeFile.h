// The C runtime's file calls with the player's native paths: UTF-8 with
// "/" (or, on Windows, "\") between folders. On Windows the narrow calls
// would read a name in the system's code page, which garbles Japanese names
// on an English or Chinese system, so the names go to the wide (UTF-16)
// calls there. Elsewhere these are the plain calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace pelto5::native {

// A path object for the UTF-8 path (for std::filesystem and the streams).
std::filesystem::path Path(const std::string& utf8);
// The UTF-8 text of path, "/" between folders.
std::string Utf8(const std::filesystem::path& path);

std::FILE* OpenFile(const std::string& utf8, const char* mode);
// Moves from onto to, replacing a file already there in one step.
[[nodiscard]] bool MoveReplacing(const std::string& from, const std::string& to);
[[nodiscard]] bool RemoveFile(const std::string& utf8);
// Moves an open file to position from its start; 64-bit wherever long is
// not (Windows), so files over 2 GB work too.
[[nodiscard]] bool SeekFile(std::FILE* file, uint64_t position);
// The length of an open file (its position is left at the start); false
// when it cannot be told.
[[nodiscard]] bool FileLength(std::FILE* file, uint64_t& length);
// Flushes an open file's data to the disk.
[[nodiscard]] bool SyncFile(std::FILE* file);
// Makes a rename in the folder of utf8 durable, where the system can.
void SyncFolderOf(const std::string& utf8);
// One entry of a folder. A link to a folder is neither (it is not walked
// into, so a link cannot make a walk go round); a link to a file is a file.
struct TFolderEntry {
  std::string Name;  // UTF-8
  bool IsFolder = false;
  bool IsFile = false;
};
// The entries of a folder, without "." and ".."; false when it cannot be
// read. On Windows the folder is read through its extended-length form, so
// folders deeper than the old 260-character limit are read too.
[[nodiscard]] bool ListFolder(const std::string& utf8, std::vector<TFolderEntry>& entries);
// The value of an environment variable, UTF-8; "" when it is not set.
std::string Environment(const char* name);
[[nodiscard]] bool HasEnvironment(const char* name);

#ifdef _WIN32
// Whether a new file can be made in folder (an existing folder): the only
// sure test on Windows, where the read-only attribute says nothing of the
// folder's access rights (Program Files, a disc).
[[nodiscard]] bool CanCreateFileIn(const std::string& folder);
// The running program's file ("" if unknown).
std::string ExecutablePath();
std::wstring Wide(const std::string& utf8);
std::string FromWide(const std::wstring& wide);
// The wide path for the file calls: in the extended-length form ("\\?\")
// when it is too long for the old limit, which Windows otherwise applies
// unless long paths are switched on for the whole system.
std::wstring FileCallPath(const std::string& utf8);
#endif

}  // namespace pelto5::native
