// The one way the player and its tools replace a file on disk. The new
// contents go to "<path>.tmp" in the same folder; Commit flushes them to
// the disk, renames the temporary file over path and flushes the folder, so
// the rename itself is on the disk too. Whatever happens on the way (a
// failed write, a crash, a power cut), path holds either its old contents
// or the complete new ones, never a mixture and never nothing.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace pelto5 {

class TAtomicFile {
 public:
  TAtomicFile() = default;
  // A file not committed is discarded.
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // Creates (or truncates) the temporary file for path; false when it
  // cannot be created. A file still open is discarded first.
  [[nodiscard]] bool Open(const std::string& path);
  // The temporary file, open for writing and seeking; null when not open.
  std::FILE* File() const { return FFile; }
  const std::string& Path() const { return FPath; }
  const std::string& TempPath() const { return FTempPath; }
  // Flushes and closes the temporary file and moves it into place. False,
  // the old file untouched and the temporary file removed, when any step
  // fails, a write through File() that failed earlier included.
  [[nodiscard]] bool Commit();
  // Closes and removes the temporary file; path is untouched.
  void Discard();
  // Why the last Open or Commit failed, as the system words it
  // ("No space left on device", "File too large"); "" when it did not.
  std::string FailureText() const;

  // A function called after every file that was put into place; a
  // platform whose files live in memory stores them away there. Set once,
  // by the platform, before anything is written.
  static void SetAfterCommitHook(void (*hook)());

  // Replaces the file at path by data in one go. On failure, failure (when
  // given) receives FailureText().
  [[nodiscard]] static bool WriteWhole(const std::string& path, std::string_view data,
                                       std::string* failure = nullptr);

 private:
  std::FILE* FFile = nullptr;
  std::string FPath;
  std::string FTempPath;
  int FError = 0;
};

}  // namespace pelto5
