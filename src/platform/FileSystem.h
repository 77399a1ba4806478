// File services of the platform layer. Paths given to and returned by these
// functions are native paths (UTF-8, "/" separators). Names that come from
// scripts and containers are Shift-JIS with "\" between folders; ResolveName
// turns them into native paths under a directory, never outside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelto5 {

class TFileSystem {
 public:
  [[nodiscard]] static bool FileExists(const std::string& path);
  [[nodiscard]] static bool DirectoryExists(const std::string& path);
  // Creates one directory level; true if it exists afterwards.
  [[nodiscard]] static bool CreateDirectory(const std::string& path);
  // Reads a whole file; false if it cannot be read.
  [[nodiscard]] static bool ReadFile(const std::string& path, std::string& data);
  // Reads at most count bytes from the start of a file.
  [[nodiscard]] static bool ReadFilePrefix(const std::string& path, size_t count, std::string& data);
  // Replaces the file at path as a whole through TAtomicFile: an existing
  // file is either kept or completely replaced, even across a crash.
  [[nodiscard]] static bool WriteFileAtomic(const std::string& path, const std::string& data);
  // path made absolute, symbolic links and "." / ".." resolved when it
  // exists; else the current folder put in front of a relative path.
  static std::string AbsolutePath(const std::string& path);
  // A path the reader or the system gave in the player's own form: on
  // Windows its "\\" separators become "/"; elsewhere it is unchanged.
  static std::string NativePath(std::string path);
  // Absolute path of the running executable ("" if unknown).
  static std::string ExecutablePath();
  // Directory part with a trailing "/" ("" for a bare file name).
  static std::string DirectoryOf(const std::string& path);
  // File name part (after the last "/").
  static std::string FileNameOf(const std::string& path);
  // path with its extension (from the last "." of the file name) replaced.
  static std::string ChangeExtension(const std::string& path, const std::string& extension);
  // Native path of the file named by sjisName (Shift-JIS, "\" or "/"
  // separated) under directory (native, with or without trailing "/"):
  // each component is taken as is when it exists, else matched without
  // regard to letter case. "." and empty components are ignored and ".."
  // steps back; names that climb above directory, absolute paths, drive
  // letters and names of nothing are refused (empty result). The result
  // need not exist: missing components keep their converted spelling.
  // maxClimb lets leading ".." climb that many levels above directory (a
  // caller that knows directory lies so deep inside an allowed folder).
  static std::string ResolveName(const std::string& directory, const std::string& sjisName,
                                 int maxClimb = 0);
  // The folder named by sjisName under directory, as ResolveName finds it,
  // except that a name that reduces to nothing ("." or "sub\..") is
  // directory itself (without its trailing "/"). "" for a refused name.
  static std::string ResolveFolderName(const std::string& directory, const std::string& sjisName);
  // Splits a Shift-JIS name at single-byte "\" and "/" into components,
  // with "." and empty components dropped and ".." applied; false if the
  // name is absolute, has a drive letter, climbs above its directory or
  // names nothing.
  // Up to maxClimb leading ".." components are kept as "..".
  [[nodiscard]] static bool SplitSafeName(const std::string& sjisName, std::vector<std::string>& components,
                                          int maxClimb = 0);
  // Files in directory whose names match mask ("*" and "?" wildcards, case
  // folded), sorted by name.
  static std::vector<std::string> ListFiles(const std::string& directory, const std::string& mask);
  // A stamp that changes when the file is written: its modification time
  // and size. False when there is no such file.
  [[nodiscard]] static bool FileStamp(const std::string& path, uint64_t& stamp);
  // A new, empty folder of the system's temporary files whose name starts
  // with prefix (ending in "/"); "" when none could be made.
  static std::string CreateTemporaryDirectory(const std::string& prefix);
  // Removes path with everything in it; false when something stayed.
  [[nodiscard]] static bool RemoveDirectoryTree(const std::string& path);

 private:
  // SplitSafeName, with a name that reduces to no component at all (".",
  // "sub\..") accepted.
  [[nodiscard]] static bool SplitName(const std::string& sjisName, std::vector<std::string>& components, int maxClimb);
  // directory followed by components from SplitName, each matched as
  // ResolveName matches them.
  static std::string ResolveParts(const std::string& directory, const std::vector<std::string>& parts);
};

}  // namespace pelto5
