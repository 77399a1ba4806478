#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>

#include "base/NativeFile.h"

namespace pelto5 {

namespace {

void (*gAfterCommit)() = nullptr;

}  // namespace

TAtomicFile::~TAtomicFile() { Discard(); }

void TAtomicFile::SetAfterCommitHook(void (*hook)()) { gAfterCommit = hook; }

bool TAtomicFile::Open(const std::string& path) {
  Discard();
  FError = 0;
  if (path.empty()) return false;
  FPath = path;
  FTempPath = path + ".tmp";
  FFile = native::OpenFile(FTempPath, "w+b");
  if (FFile == nullptr) {
    FError = errno;
    FTempPath.clear();
    return false;
  }
  return true;
}

bool TAtomicFile::Commit() {
  if (FFile == nullptr) return false;
  // A write that failed on the way (a full disk, the file-size limit) sets
  // the stream's error flag, and the data it held is gone: a later flush
  // of the emptied buffer would succeed all the same.
  // Which error that was is no longer known.
  bool ok = std::ferror(FFile) == 0;
  if (!ok) FError = EIO;
  errno = 0;
  if (ok && (std::fflush(FFile) != 0 || !native::SyncFile(FFile))) {
    ok = false;
    FError = errno != 0 ? errno : EIO;
  }
  errno = 0;
  if (std::fclose(FFile) != 0 && ok) {
    ok = false;
    FError = errno != 0 ? errno : EIO;
  }
  FFile = nullptr;
  if (ok && !native::MoveReplacing(FTempPath, FPath)) {
    ok = false;
    FError = errno;
  }
  if (!ok) {
    (void)native::RemoveFile(FTempPath);
    FTempPath.clear();
    return false;
  }
  FTempPath.clear();
  // The new contents are in place; a folder that cannot be flushed does
  // not undo that.
  native::SyncFolderOf(FPath);
  if (gAfterCommit) gAfterCommit();
  return true;
}

std::string TAtomicFile::FailureText() const { return FError == 0 ? std::string() : std::strerror(FError); }

void TAtomicFile::Discard() {
  if (FFile == nullptr) return;
  std::fclose(FFile);
  FFile = nullptr;
  (void)native::RemoveFile(FTempPath);
  FTempPath.clear();
}

bool TAtomicFile::WriteWhole(const std::string& path, std::string_view data, std::string* failure) {
  TAtomicFile file;
  bool ok = file.Open(path);
  if (ok && !data.empty() && std::fwrite(data.data(), 1, data.size(), file.File()) != data.size()) {
    file.FError = errno != 0 ? errno : EIO;
    file.Discard();
    ok = false;
  }
  ok = ok && file.Commit();
  if (!ok && failure != nullptr) *failure = file.FailureText();
  return ok;
}

}  // namespace pelto5
