#include "base/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pelto5 {

namespace {

// Makes a rename in the folder of path durable. Some file systems cannot
// flush a folder; the rename is then as durable as they make it.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

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
  FFile = std::fopen(FTempPath.c_str(), "w+b");
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
  if (ok && (std::fflush(FFile) != 0 || fsync(fileno(FFile)) != 0)) {
    ok = false;
    FError = errno != 0 ? errno : EIO;
  }
  errno = 0;
  if (std::fclose(FFile) != 0 && ok) {
    ok = false;
    FError = errno != 0 ? errno : EIO;
  }
  FFile = nullptr;
  if (ok && std::rename(FTempPath.c_str(), FPath.c_str()) != 0) {
    ok = false;
    FError = errno;
  }
  if (!ok) {
    std::remove(FTempPath.c_str());
    FTempPath.clear();
    return false;
  }
  FTempPath.clear();
  // The new contents are in place; a folder that cannot be flushed does
  // not undo that.
  SyncFolderOf(FPath);
  if (gAfterCommit) gAfterCommit();
  return true;
}

std::string TAtomicFile::FailureText() const { return FError == 0 ? std::string() : std::strerror(FError); }

void TAtomicFile::Discard() {
  if (FFile == nullptr) return;
  std::fclose(FFile);
  FFile = nullptr;
  std::remove(FTempPath.c_str());
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
