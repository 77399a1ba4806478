#include "base/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

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
  if (path.empty()) return false;
  FPath = path;
  FTempPath = path + ".tmp";
  FFile = std::fopen(FTempPath.c_str(), "w+b");
  if (FFile == nullptr) {
    FTempPath.clear();
    return false;
  }
  return true;
}

bool TAtomicFile::Commit() {
  if (FFile == nullptr) return false;
  const bool flushed = std::fflush(FFile) == 0 && fsync(fileno(FFile)) == 0;
  const bool closed = std::fclose(FFile) == 0;
  FFile = nullptr;
  if (!flushed || !closed || std::rename(FTempPath.c_str(), FPath.c_str()) != 0) {
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

void TAtomicFile::Discard() {
  if (FFile == nullptr) return;
  std::fclose(FFile);
  FFile = nullptr;
  std::remove(FTempPath.c_str());
  FTempPath.clear();
}

bool TAtomicFile::WriteWhole(const std::string& path, std::string_view data) {
  TAtomicFile file;
  if (!file.Open(path)) return false;
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file.File()) != data.size()) {
    file.Discard();
    return false;
  }
  return file.Commit();
}

}  // namespace pelto5
