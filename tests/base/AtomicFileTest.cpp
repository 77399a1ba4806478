#include "base/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "support/FileSizeLimit.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::ReadFileText;
using test::RunUnderFileSizeLimit;
using test::TTempDir;

TEST(AtomicFile, ReplacesAFileAsAWholeAndLeavesNoTemporaryFile) {
  TTempDir dir;
  const std::string path = dir.Path() + "/save.dat";
  ASSERT_TRUE(TAtomicFile::WriteWhole(path, "first"));
  EXPECT_EQ(ReadFileText(path), "first");
  ASSERT_TRUE(TFileSystem::WriteFileAtomic(path, std::string("sec\0ond", 7)));
  EXPECT_EQ(ReadFileText(path), std::string("sec\0ond", 7));
  ASSERT_TRUE(TAtomicFile::WriteWhole(path, ""));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  // Written in pieces with seeks, as the container writer does.
  TAtomicFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(file.TempPath(), path + ".tmp");
  std::fputs("xxxxtail", file.File());
  std::fseek(file.File(), 0, SEEK_SET);
  std::fputs("head", file.File());
  EXPECT_EQ(ReadFileText(path), "");  // not in place before the commit
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(file.File(), nullptr);
  EXPECT_EQ(ReadFileText(path), "headtail");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(AtomicFile, AWriteThatDoesNotCompleteKeepsTheOldFile) {
  TTempDir dir;
  const std::string path = dir.Path() + "/keep.dat";
  ASSERT_TRUE(TAtomicFile::WriteWhole(path, "old"));
  {
    // Abandoned: discarded by its destructor.
    TAtomicFile file;
    ASSERT_TRUE(file.Open(path));
    std::fputs("new", file.File());
  }
  EXPECT_EQ(ReadFileText(path), "old");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  {
    TAtomicFile file;
    ASSERT_TRUE(file.Open(path));
    std::fputs("new", file.File());
    file.Discard();
    EXPECT_FALSE(file.Commit());
  }
  EXPECT_EQ(ReadFileText(path), "old");
  // The temporary file cannot be made.
  std::filesystem::create_directory(path + ".tmp");
  EXPECT_FALSE(TAtomicFile::WriteWhole(path, "new"));
  EXPECT_EQ(ReadFileText(path), "old");
  std::filesystem::remove(path + ".tmp");
  // The rename fails (a folder with contents stands at the path): the
  // temporary file goes, nothing else changes.
  const std::string folder = dir.Path() + "/folder";
  std::filesystem::create_directories(folder + "/inside");
  EXPECT_FALSE(TAtomicFile::WriteWhole(folder, "new"));
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/inside"));
  EXPECT_FALSE(std::filesystem::exists(folder + ".tmp"));
  // A folder that does not exist.
  EXPECT_FALSE(TAtomicFile::WriteWhole(dir.Path() + "/missing/x.dat", "new"));
  EXPECT_FALSE(TAtomicFile::WriteWhole("", "new"));
}

// Past the file-size limit every write fails as on a full disk: in one go,
// in pieces whose failure the writer did not look at (the data is lost
// from the stream's buffer, and a later flush succeeds), and in pieces
// small enough to wait in the buffer until the commit. Each time the old
// file stays and the temporary file goes.
TEST(AtomicFile, WritesPastTheFileSizeLimitFailAndKeepTheOldFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit (RLIMIT_FSIZE) to stand in for a full disk";
#endif
  TTempDir dir;
  const std::string path = dir.Path() + "/save.dat";
  const std::string old(3000, 'o');
  ASSERT_TRUE(TAtomicFile::WriteWhole(path, old));
  const std::string big(70000, 'n');
  const int status = RunUnderFileSizeLimit(4096, [&] {
    int failures = 0;
    std::string reason;
    if (!TAtomicFile::WriteWhole(path, big, &reason) && reason == "File too large") failures |= 1;
    {
      TAtomicFile file;
      if (!file.Open(path)) return 100;
      // The failing write empties the buffer: nothing is left to fail
      // when the commit flushes.
      std::setvbuf(file.File(), nullptr, _IOFBF, 8192);
      for (int i = 0; i < 9; ++i) (void)std::fwrite(big.data(), 1, 1000, file.File());
      if (!file.Commit() && !file.FailureText().empty()) failures |= 2;
    }
    {
      TAtomicFile file;
      if (!file.Open(path)) return 100;
      std::setvbuf(file.File(), nullptr, _IOFBF, 65536);
      for (int i = 0; i < 5; ++i) (void)std::fwrite(big.data(), 1, 1000, file.File());
      if (!file.Commit() && file.FailureText() == "File too large") failures |= 4;
    }
    // Within the limit a file is still written.
    if (TAtomicFile::WriteWhole(path + ".small", "fits")) failures |= 8;
    return failures;
  });
  EXPECT_EQ(status, 15);
  const std::string kept = ReadFileText(path);
  EXPECT_TRUE(kept == old) << "replaced by " << kept.size() << " bytes";
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  EXPECT_EQ(ReadFileText(path + ".small"), "fits");
}

}  // namespace
}  // namespace pelto5
