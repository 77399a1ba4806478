// The pelto5-pack tool, run as users run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/NativeFile.h"
#include "content/PackageReader.h"
#include "content/PackageTestSupport.h"
#include "content/PackageWriter.h"
#include "support/ProgramRun.h"

#ifdef PELTO5_PACK

namespace pelto5 {
namespace {

namespace fs = std::filesystem;

class PackToolTest : public testing::Test {
 protected:
  // Runs the tool with the arguments; its standard output and error land
  // in FOut and FErr. With runner, the tool runs under that command (such
  // as "prlimit ...").
  int Pack(const std::vector<std::string>& arguments, const std::vector<std::string>& runner = {}) {
    std::vector<std::string> argv = runner;
    argv.push_back(PELTO5_PACK);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const test::TProgramResult run = test::RunProgram(argv);
    FOut = run.StdOut;
    FErr = run.StdErr;
    return run.ExitStatus;
  }
  std::string At(const std::string& name) { return FFolder.File(name); }
  void MakeFile(const std::string& name, const std::string& bytes) {
#ifdef _WIN32
    // In the extended-length form: the long-name case is past MAX_PATH.
    const fs::path path(L"\\\\?\\" + native::Path(FFolder.File(name)).make_preferred().wstring());
#else
    const fs::path path = native::Path(FFolder.File(name));
#endif
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  // A source folder with nested folders and a Japanese file name.
  void MakeSources() {
    MakeFile("src/pelto.pf5", "///\r\n");
    MakeFile("src/\xE7\x94\xBB\xE5\x83\x8F/\xE8\x83\x8C\xE6\x99\xAF.png", test::SampleData(5000, 1));  // 画像/背景.png
    MakeFile("src/sound/bgm.wav", test::SampleData(20000, 2));
    MakeFile("src/secret/key.txt", "k");
  }

  test::TTempFolder FFolder;
  std::string FOut;
  std::string FErr;
};

TEST_F(PackToolTest, CreateListExtractAndCatRoundTrip) {
  MakeSources();
  ASSERT_EQ(Pack({"create", "--compress", "--scramble", "--extract", "*.png", "--extract", "sound/*", "--no-extract",
                 "SECRET/*", At("out.pp5"), At("src")}),
            0)
      << FErr;
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FFolder.File("out.pp5"), reader));
  ASSERT_EQ(reader.EntryCount, 4);
  // Sorted by entry name; Shift-JIS names with "\" between folders.
  EXPECT_EQ(reader.Entries[0].Name, "pelto.pf5");
  EXPECT_EQ(reader.Entries[1].Name, "secret\\key.txt");
  EXPECT_EQ(reader.Entries[2].Name, "sound\\bgm.wav");
  EXPECT_EQ(reader.Entries[3].Name, "\x89\xE6\x91\x9C\\\x94\x77\x8C\x69.png");  // 画像\背景.png
  EXPECT_TRUE(reader.Entries[3].Extract);
  EXPECT_TRUE(reader.Entries[2].Extract);
  EXPECT_TRUE(reader.Entries[1].NoExtract);
  EXPECT_FALSE(reader.Entries[0].Extract || reader.Entries[0].NoExtract);
  EXPECT_TRUE(HasMagic(FFolder.File("out.pp5"), std::string("PV5PKG\0", 7)));

  ASSERT_EQ(Pack({"list", At("out.pp5")}), 0);
  EXPECT_NE(FOut.find("pelto.pf5\t" + std::to_string(reader.Entries[0].StoredSize) + "\t5\tcs\n"),
            std::string::npos)
      << FOut;
  EXPECT_NE(FOut.find("secret\\key.txt\t"), std::string::npos);
  EXPECT_NE(FOut.find("\t1\tcsn\n"), std::string::npos);
  EXPECT_NE(FOut.find("\xE7\x94\xBB\xE5\x83\x8F\\\xE8\x83\x8C\xE6\x99\xAF.png\t"), std::string::npos);

  ASSERT_EQ(Pack({"extract", At("out.pp5"), "-o", At("x")}), 0) << FErr;
  for (const char* name : {"pelto.pf5", "\xE7\x94\xBB\xE5\x83\x8F/\xE8\x83\x8C\xE6\x99\xAF.png",
                           "sound/bgm.wav", "secret/key.txt"}) {
    EXPECT_EQ(test::ReadFileBytes(FFolder.File(std::string("x/") + name)),
              test::ReadFileBytes(FFolder.File(std::string("src/") + name)))
        << name;
  }
  ASSERT_EQ(Pack({"extract", At("out.pp5"), "-o", At("y"), "SOUND/BGM.WAV"}), 0) << FErr;
  EXPECT_TRUE(fs::exists(FFolder.File("y/sound/bgm.wav")));
  EXPECT_FALSE(fs::exists(FFolder.File("y/pelto.pf5")));

  ASSERT_EQ(Pack({"cat", At("out.pp5"), "sound\\bgm.wav"}), 0);
  EXPECT_EQ(FOut, test::SampleData(20000, 2));
  EXPECT_EQ(Pack({"cat", At("out.pp5"), "missing.txt"}), 1);
  EXPECT_NE(FErr.find("missing.txt"), std::string::npos);
  EXPECT_EQ(Pack({"verify", At("out.pp5")}), 0) << FErr;
}

TEST_F(PackToolTest, CreateIsReproducibleApartFromTheKeyTable) {
  MakeSources();
  ASSERT_EQ(Pack({"create", "--magic", "PV5LIB", "--compress", At("a.pml"), At("src")}), 0);
  ASSERT_EQ(Pack({"create", "--magic", "PV5LIB", "--compress", At("b.pml"), At("src")}), 0);
  const std::string a = test::ReadFileBytes(FFolder.File("a.pml"));
  const std::string b = test::ReadFileBytes(FFolder.File("b.pml"));
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(a.substr(0, 280), b.substr(0, 280));
  EXPECT_EQ(a.substr(536), b.substr(536));
  // The archive being written is never packed into itself.
  ASSERT_EQ(Pack({"create", At("src/self.pp5"), At("src")}), 0);
  ASSERT_EQ(Pack({"create", At("src/self.pp5"), At("src")}), 0);
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FFolder.File("src/self.pp5"), reader));
  EXPECT_EQ(FindEntry(reader, "self.pp5"), -1);
}

TEST_F(PackToolTest, CreateWithAnExecutableAndRefusals) {
  MakeSources();
  MakeFile("player.exe", "MZ" + std::string(100, '\x01'));
  ASSERT_EQ(Pack({"create", "--exe", At("player.exe"), At("game.exe"), At("src/pelto.pf5")}),
            0)
      << FErr;
  ASSERT_EQ(Pack({"list", At("game.exe")}), 0);
  EXPECT_EQ(FOut, "pelto.pf5\t5\t5\t-\n");
  // Bad usage.
  EXPECT_EQ(Pack({}), 2);
  EXPECT_EQ(Pack({"frobnicate"}), 2);
  EXPECT_EQ(Pack({"create", At("only-out.pp5")}), 2);
  EXPECT_EQ(Pack({"create", "--magic", "PV5XYZ", At("o.pp5"), At("src")}), 2);
  EXPECT_EQ(Pack({"create", "--bogus", At("o.pp5"), At("src")}), 2);
  EXPECT_EQ(Pack({"list"}), 2);
  EXPECT_EQ(Pack({"create", "--help"}), 0);
  EXPECT_NE(FOut.find("usage: pelto5-pack create"), std::string::npos);
  // Failures name the file in one line.
  EXPECT_EQ(Pack({"create", At("o.pp5"), At("nothing-here")}), 1);
  EXPECT_NE(FErr.find("nothing-here"), std::string::npos);
  EXPECT_EQ(std::count(FErr.begin(), FErr.end(), '\n'), 1);
  MakeFile("dupes/A.TXT", "1");
  MakeFile("dupes/sub/x", "2");
  MakeFile("other/a.txt", "3");
  EXPECT_EQ(Pack({"create", At("o.pp5"), At("dupes"), At("other")}), 1);
  EXPECT_NE(FErr.find("already used"), std::string::npos);
  MakeFile("long/" + std::string(200, 'n') + "/" + std::string(60, 'n'), "x");
  EXPECT_EQ(Pack({"create", At("o.pp5"), At("long")}), 1);
  EXPECT_NE(FErr.find("255"), std::string::npos) << FErr;
  MakeFile("empty/.keep", "");
  fs::remove(FFolder.File("empty/.keep"));
  EXPECT_EQ(Pack({"create", At("o.pp5"), At("empty")}), 1);
  EXPECT_FALSE(fs::exists(FFolder.File("o.pp5")));
  EXPECT_FALSE(fs::exists(FFolder.File("o.pp5.tmp")));
  EXPECT_EQ(Pack({"create", "--exe", At("src/pelto.pf5"), At("o.pp5"), At("src")}),
            1);
  EXPECT_NE(FErr.find("MZ"), std::string::npos) << FErr;
  EXPECT_EQ(Pack({"list", At("src/pelto.pf5")}), 1);
  EXPECT_NE(FErr.find("pelto.pf5: "), std::string::npos);
}

TEST_F(PackToolTest, ExtractNeverLeavesItsFolder) {
  // The writer takes any name; these are what a hostile package could hold.
  std::vector<std::string> refused = {
      "..\\escape.txt", "\\absolute.txt", "/absolute2.txt", "C:\\drive.txt", "a\\..\\..\\up.txt",
      "ok\\..\\sneak.txt", "../fwd.txt", "link\\through.txt", "CON", "nul.txt", "sub\\Com1.log",
      "LPT9 .x", "aux\\inside.txt", "folder\\", "."};
  // An entry under a link out of the target folder is refused too, where
  // the system lets the test make the link (wine, and Windows without the
  // privilege, do not).
  fs::create_directories(FFolder.File("target"));
  fs::create_directories(FFolder.File("elsewhere"));
  std::error_code linkError;
  fs::create_directory_symlink(FFolder.File("elsewhere"), FFolder.File("target/link"), linkError);
  if (linkError) std::erase(refused, "link\\through.txt");
  PackageWriter writer;
  ASSERT_TRUE(SetWriterMagic(writer, "PV5PKG"));
  ASSERT_TRUE(CreatePackage(writer, FFolder.File("evil.pp5")));
  for (const std::string& name : refused) ASSERT_TRUE(AddEntryFromStream(writer, "bad", name)) << name;
  // Either slash separates folders; doubled separators and "." are dropped.
  for (const char* name : {"ok\\good.txt", "ok/slash.txt", "a\\\\double.txt", ".\\dot\\.\\x.txt",
                           "console.txt", "COM10", "lpt.txt"}) {
    ASSERT_TRUE(AddEntryFromStream(writer, name, name));
  }
  ASSERT_TRUE(FinishPackage(writer));
  EXPECT_EQ(Pack({"extract", At("evil.pp5"), "-o", At("target")}), 3) << FErr;
  EXPECT_EQ(test::ReadFileBytes(FFolder.File("target/ok/good.txt")), "ok\\good.txt");
  EXPECT_EQ(test::ReadFileBytes(FFolder.File("target/ok/slash.txt")), "ok/slash.txt");
  EXPECT_EQ(test::ReadFileBytes(FFolder.File("target/a/double.txt")), "a\\\\double.txt");
  EXPECT_EQ(test::ReadFileBytes(FFolder.File("target/dot/x.txt")), ".\\dot\\.\\x.txt");
  for (const char* kept : {"console.txt", "COM10", "lpt.txt"}) {
    EXPECT_EQ(test::ReadFileBytes(FFolder.File(std::string("target/") + kept)), kept);
  }
  // One line for each refused entry, naming it; nothing of them written.
  EXPECT_EQ(static_cast<size_t>(std::count(FErr.begin(), FErr.end(), '\n')), refused.size()) << FErr;
  for (const std::string& name : refused) {
    EXPECT_NE(FErr.find("refused entry \"" + name + "\""), std::string::npos) << name;
  }
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(FFolder.Path())) {
    if (!entry.is_regular_file()) continue;
    ++files;
    EXPECT_NE(test::ReadFileBytes(entry.path().string()), "bad") << entry.path();
  }
  // The package and the seven good entries (the tool's outputs are kept
  // elsewhere).
  EXPECT_EQ(files, 8u);
  EXPECT_FALSE(fs::exists("/absolute.txt"));
  EXPECT_FALSE(fs::exists("/absolute2.txt"));

  // Naming a refused entry refuses it in the same way.
  EXPECT_EQ(Pack({"extract", At("evil.pp5"), "-o", At("target"), "nul.txt", "ok/good.txt"}), 3);
  EXPECT_EQ(static_cast<size_t>(std::count(FErr.begin(), FErr.end(), '\n')), 1u) << FErr;
}

// Past the file-size limit (as on a full disk) "create" over an existing
// package fails with a line that says why, and the old package is kept
// byte for byte, with no temporary file beside it.
TEST_F(PackToolTest, CreateOverAPackageOnAFullDiskKeepsTheOldOne) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit (prlimit --fsize) to stand in for a full disk";
#endif
  MakeSources();
  ASSERT_EQ(Pack({"create", At("out.pp5"), At("src")}), 0) << FErr;
  const std::string old = test::ReadFileBytes(FFolder.File("out.pp5"));
  MakeFile("src/big.bin", test::SampleData(200000, 7));
  EXPECT_EQ(Pack({"create", At("out.pp5"), At("src")}, {"prlimit", "--fsize=65536"}), 1);
  EXPECT_NE(FErr.find("pelto5-pack: " + FFolder.File("out.pp5") + ": cannot write"), std::string::npos) << FErr;
  EXPECT_NE(FErr.find("File too large"), std::string::npos) << FErr;
  EXPECT_EQ(std::count(FErr.begin(), FErr.end(), '\n'), 1) << FErr;
  EXPECT_EQ(test::ReadFileBytes(FFolder.File("out.pp5")), old);
  EXPECT_FALSE(fs::exists(FFolder.File("out.pp5.tmp")));
}

TEST_F(PackToolTest, VerifyNamesWhatIsWrong) {
  MakeSources();
  ASSERT_EQ(Pack({"create", "--compress", At("c.pp5"), At("src")}), 0);
  ASSERT_EQ(Pack({"create", At("p.pp5"), At("src")}), 0);
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FFolder.File("c.pp5"), reader));
  const PackageEntry compressed = reader.Entries[2];
  ClosePackage(reader);
  std::string bytes = test::ReadFileBytes(FFolder.File("c.pp5"));
  bytes[compressed.DataPosition + compressed.StoredSize / 2] ^= 0x40;
  test::WriteFileBytes(FFolder.File("c.pp5"), bytes);
  EXPECT_EQ(Pack({"verify", At("c.pp5")}), 1);
  EXPECT_NE(FErr.find("sound\\bgm.wav\": data checksum mismatch"), std::string::npos) << FErr;
  EXPECT_NE(FErr.find("corrupt"), std::string::npos) << FErr;

  ASSERT_TRUE(OpenPackage(FFolder.File("p.pp5"), reader));
  const PackageEntry plain = reader.Entries[0];
  ClosePackage(reader);
  bytes = test::ReadFileBytes(FFolder.File("p.pp5"));
  test::WriteFileBytes(FFolder.File("trailing.pp5"), bytes + "junk");
  EXPECT_EQ(Pack({"verify", At("trailing.pp5")}), 1);
  EXPECT_NE(FErr.find("4 bytes follow the end marker"), std::string::npos) << FErr;
  bytes[plain.DataPosition] ^= 1;
  test::WriteFileBytes(FFolder.File("p.pp5"), bytes);
  EXPECT_EQ(Pack({"verify", At("p.pp5")}), 1);
  EXPECT_NE(FErr.find("pelto.pf5\": data checksum mismatch"), std::string::npos) << FErr;
  bytes[plain.DataPosition - 21] ^= 1;  // the name's last byte
  test::WriteFileBytes(FFolder.File("p.pp5"), bytes);
  EXPECT_EQ(Pack({"verify", At("p.pp5")}), 1);
  EXPECT_NE(FErr.find("entry header checksum"), std::string::npos) << FErr;
  EXPECT_EQ(std::count(FErr.begin(), FErr.end(), '\n'), 1);
}

}  // namespace
}  // namespace pelto5

#endif  // PELTO5_PACK
