#include "content/PackageReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "content/PackageTestSupport.h"

namespace pelto5 {
namespace {

using test::ArchiveHeaderBytes;
using test::PlainEntryBytes;

class PackageReaderTest : public testing::Test {
 protected:
  // Writes bytes to a file and opens it.
  bool Open(const std::string& bytes) {
    test::WriteFileBytes(FPath, bytes);
    return OpenPackage(FPath, FReader);
  }
  std::string Extract(std::string_view name) {
    std::string data;
    EXPECT_TRUE(ExtractEntry(FReader, name, data)) << name;
    return data;
  }

  test::TTempFolder FFolder;
  std::string FPath = FFolder.File("archive.pp5");
  PackageReader FReader;
};

TEST_F(PackageReaderTest, OpensAPlainArchiveAndReadsItsEntries) {
  const std::string archive = ArchiveHeaderBytes("PV5PKG") + PlainEntryBytes("pelto.pf5", "///\r\n") +
                              PlainEntryBytes("empty", "") + "EP";
  ASSERT_TRUE(Open(archive)) << FReader.FailureReason;
  EXPECT_TRUE(IsPackageOpen(FReader));
  EXPECT_EQ(FReader.EntryCount, 2);
  EXPECT_EQ(FReader.DataStart, kPackageHeaderSize);
  EXPECT_EQ(FReader.Entries[0].DataPosition, kPackageHeaderSize + 27 + 9);
  EXPECT_EQ(Extract("PELTO.PF5"), "///\r\n");
  EXPECT_EQ(Extract("empty"), "");
  std::string untouched = "keep";
  EXPECT_FALSE(ExtractEntry(FReader, "missing", untouched));
  EXPECT_EQ(untouched, "keep");
  EXPECT_FALSE(SelectEntry(FReader, 2));
  EXPECT_FALSE(SelectEntry(FReader, -1));
  ClosePackage(FReader);
  EXPECT_FALSE(IsPackageOpen(FReader));
  EXPECT_TRUE(FReader.Entries.empty());
  EXPECT_EQ(FindEntry(FReader, "empty"), -1);
}

TEST_F(PackageReaderTest, LaterEntriesOfTheSameNameWin) {
  const std::string archive = ArchiveHeaderBytes("PV5SAVE") + PlainEntryBytes("stack.info", "old") +
                              PlainEntryBytes("Image.PNG", "first") + PlainEntryBytes("stack.info", "new") +
                              PlainEntryBytes("image.png", "second") + "EP";
  ASSERT_TRUE(Open(archive));
  EXPECT_EQ(FindEntry(FReader, "stack.info"), 2);
  EXPECT_EQ(FindEntry(FReader, "IMAGE.png"), 3);
  EXPECT_EQ(FindEntry(FReader, "stack.inf"), -1);
  EXPECT_EQ(Extract("stack.info"), "new");
  EXPECT_EQ(Extract("Image.PNG"), "second");
}

// Names are looked up in the form the disk takes them, on both sides: the
// lookup name and the entry name, which itself stays as it was written.
TEST_F(PackageReaderTest, EntriesAreFoundUnderEverySpellingOfTheirPath) {
  // "\x95\x5C" is a double-byte character whose trail byte is "\".
  const std::string kanji = "\x95\x5C";
  const std::string archive = ArchiveHeaderBytes("PV5PKG") + PlainEntryBytes("sub\\pic.png", "a") +
                              PlainEntryBytes("other/odd.png", "b") + PlainEntryBytes(kanji + "\\x.png", "c") +
                              PlainEntryBytes("..\\up.png", "d") + "EP";
  ASSERT_TRUE(Open(archive));
  for (const char* name : {"sub\\pic.png", "SUB/pic.png", ".\\sub\\.\\pic.png", "sub\\\\pic.png", "sub\\pic.png\\",
                           "x\\..\\sub\\pic.png"}) {
    EXPECT_EQ(FindEntry(FReader, name), 0) << name;
  }
  EXPECT_EQ(FindEntry(FReader, "other\\odd.png"), 1);
  EXPECT_EQ(FReader.Entries[1].Name, "other/odd.png");
  // Its "\" byte is no separator: the folder is the whole character.
  EXPECT_EQ(FindEntry(FReader, kanji + "/x.png"), 2);
  EXPECT_EQ(FindEntry(FReader, ".\\" + kanji + "\\x.png"), 2);
  // A name that climbs out or is absolute is compared as it is written.
  EXPECT_EQ(FindEntry(FReader, "..\\up.png"), 3);
  EXPECT_EQ(FindEntry(FReader, "up.png"), -1);
  EXPECT_EQ(FindEntry(FReader, "\\sub\\pic.png"), -1);
  EXPECT_EQ(FindEntry(FReader, "pic.png"), -1);
  EXPECT_EQ(Extract("sub/./pic.png"), "a");
}

TEST_F(PackageReaderTest, ArchiveWithoutEntriesDoesNotOpen) {
  EXPECT_FALSE(Open(ArchiveHeaderBytes("PV5PKG") + "EP"));
  EXPECT_FALSE(IsPackageOpen(FReader));
  EXPECT_FALSE(FReader.FailureReason.empty());
}

TEST_F(PackageReaderTest, DamagedStructureFailsTheOpen) {
  const std::string header = ArchiveHeaderBytes("PV5PKG");
  const std::string entry = PlainEntryBytes("a.txt", "abc");
  std::string badHeader = header;
  badHeader[100] ^= 1;
  std::string badTag = entry;
  badTag[1] = 'X';
  // Stored sizes with valid checksums: past the end of the file, and
  // swallowing the end marker.
  auto sizedEntry = [](uint32_t storedSize) {
    PackageEntry e;
    e.Name = "a.txt";
    e.StoredSize = storedSize;
    return PackageEntryHeaderBytes(e) + "abc";
  };
  for (const std::string& bytes :
       {badHeader + entry + "EP", header + badTag + "EP", header + entry,
        header + entry + "E", header + entry.substr(0, 20), header.substr(0, 300),
        header + sizedEntry(0x7FFFFFF0u) + "EP", header + sizedEntry(0xFFFFFFFFu) + "EP",
        header + sizedEntry(5) + "EP", std::string("PV"), std::string()}) {
    EXPECT_FALSE(Open(bytes)) << bytes.size();
    EXPECT_FALSE(IsPackageOpen(FReader));
    EXPECT_TRUE(FReader.Entries.empty());
  }
  EXPECT_TRUE(Open(header + sizedEntry(3) + "EP"));
}

TEST_F(PackageReaderTest, NameBytesAreCheckedDataBytesAreNot) {
  const std::string header = ArchiveHeaderBytes("PV5PKG");
  const std::string entry = PlainEntryBytes("a.txt", "abc");
  for (size_t i = 7; i < 12; ++i) {
    std::string damaged = entry;
    damaged[i] ^= 0x04;
    EXPECT_FALSE(Open(header + damaged + "EP")) << i;
  }
  std::string damaged = entry;
  damaged[33] = 'X';
  ASSERT_TRUE(Open(header + damaged + "EP"));
  EXPECT_EQ(Extract("a.txt"), "aXc");
}

TEST_F(PackageReaderTest, ZeroUncompressedSizeOfAPlainEntryMeansStoredSize) {
  ASSERT_TRUE(Open(ArchiveHeaderBytes("PV5PKG") + PlainEntryBytes("a", "hello", 0) + "EP"));
  EXPECT_EQ(FReader.Entries[0].UncompressedSize, 5u);
  EXPECT_EQ(Extract("a"), "hello");
}

TEST_F(PackageReaderTest, FindsAnArchiveAppendedToAnExecutable) {
  const std::string archive = ArchiveHeaderBytes("PV5PKG") + PlainEntryBytes("pelto.pf5", "x") + "EP";
  const std::string exe = "MZ" + std::string(6, '\x90');
  ASSERT_TRUE(Open(exe + std::string(300, '-') + "+" + archive)) << FReader.FailureReason;
  EXPECT_EQ(FReader.ArchiveStart, exe.size() + 301);
  EXPECT_EQ(Extract("pelto.pf5"), "x");
  // Dashes inside the first 8 bytes do not count; 200 are too few; a "+"
  // after a broken run does not count.
  EXPECT_FALSE(Open("MZ" + std::string(200, '-') + "+" + archive));
  EXPECT_FALSE(Open("MZ" + std::string(6, 'x') + std::string(150, '-') + "x" +
                    std::string(150, '-') + "+" + archive));
  EXPECT_FALSE(Open("MZ" + std::string(6, 'x') + archive));
  EXPECT_TRUE(Open("MZ" + std::string(6, 'x') + std::string(201, '-') + "+" + archive));
  // The marker at the very end of the file leaves no archive to read.
  EXPECT_FALSE(Open("MZ" + std::string(6, 'x') + std::string(255, '-') + "+"));
}

TEST_F(PackageReaderTest, ReadsTheLegacyLayout) {
  const std::string packed = [] {
    std::string text(2000, 'q');
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
             text.size());
    out.resize(size);
    return out;
  }();
  const std::string bytes = test::LegacyArchiveBytes({
      {"first.txt", 0x01000000u, 0x01000000u, "one"},
      {"second.bin", 0x80000000u, 0, packed},
  });
  ASSERT_TRUE(Open(bytes)) << FReader.FailureReason;
  EXPECT_TRUE(FReader.Legacy);
  ASSERT_EQ(FReader.EntryCount, 2);
  EXPECT_EQ(FReader.DataStart, 268u + 544u);
  const PackageEntry& first = FReader.Entries[0];
  EXPECT_EQ(first.DataPosition, 268u + 544u);
  EXPECT_FALSE(first.Compressed);
  EXPECT_TRUE(first.Extract);
  EXPECT_FALSE(first.NoExtract);
  EXPECT_TRUE(first.Flag23);
  EXPECT_EQ(first.UncompressedSize, 3u);
  const PackageEntry& second = FReader.Entries[1];
  EXPECT_TRUE(second.Compressed);
  EXPECT_FALSE(second.Extract);
  EXPECT_TRUE(second.NoExtract);
  EXPECT_EQ(second.UncompressedSize, 0u);
  EXPECT_EQ(Extract("first.txt"), "one");
  EXPECT_EQ(Extract("second.bin"), std::string(2000, 'q'));
}

TEST_F(PackageReaderTest, LegacyDirectoryMustLieInsideTheFile) {
  std::string bytes = test::LegacyArchiveBytes({{"a", 0, 0, "data"}});
  EXPECT_TRUE(Open(bytes));
  EXPECT_FALSE(Open(bytes.substr(0, bytes.size() - 1)));  // data cut short
  std::string hugeCount = bytes;
  hugeCount.replace(264, 4, test::LittleEndian32(0x00FFFFFFu));
  EXPECT_FALSE(Open(hugeCount));
  std::string negative = bytes;
  negative.replace(264, 4, test::LittleEndian32(0xFFFFFFFFu));
  EXPECT_FALSE(Open(negative));
  std::string farOffset = bytes;
  farOffset.replace(268 + 256 + 8, 4, test::LittleEndian32(0xFFFFFFF0u));
  EXPECT_FALSE(Open(farOffset));
  std::string unterminated = bytes;
  unterminated.replace(268, 256, std::string(256, 'n'));
  EXPECT_FALSE(Open(unterminated));
}

TEST_F(PackageReaderTest, CorruptCompressedDataFailsOnlyThatEntry) {
  std::string text = test::SampleData(50000, 3);
  uLongf size = compressBound(text.size());
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
           text.size());
  packed.resize(size);
  std::string corrupt = packed;
  corrupt[corrupt.size() / 2] ^= 0x55;
  std::string truncated = packed.substr(0, packed.size() / 2);
  auto compressedEntry = [](const std::string& name, const std::string& data, uint32_t size) {
    PackageEntry entry;
    entry.Name = name;
    entry.Compressed = true;
    entry.StoredSize = static_cast<uint32_t>(data.size());
    entry.UncompressedSize = size;
    return PackageEntryHeaderBytes(entry) + data;
  };
  ASSERT_TRUE(Open(ArchiveHeaderBytes("PV5PKG") + compressedEntry("bad", corrupt, 50000) +
                   compressedEntry("cut", truncated, 50000) + compressedEntry("good", packed, 50000) +
                   compressedEntry("garbage", "not zlib at all", 9) + "EP"));
  for (const char* name : {"bad", "cut", "garbage"}) {
    std::string untouched = "keep";
    EXPECT_FALSE(ExtractEntry(FReader, name, untouched)) << name;
    EXPECT_EQ(untouched, "keep");
    EXPECT_EQ(ReadEntryData(FReader, untouched.data(), 4), 0u);
    // A failure does not spoil the other compressed entries.
    EXPECT_EQ(Extract("good"), text);
  }
}

TEST_F(PackageReaderTest, ReadsInAnyPieceSize) {
  const std::string text = test::SampleData(20000, 9);
  uLongf size = compressBound(text.size());
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
           text.size());
  packed.resize(size);
  TPackageKeyTable keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<uint8_t>(i * 13 + 5);
  PackageEntry entry;
  entry.Name = "packed";
  entry.Compressed = true;
  entry.Scrambled = true;
  entry.StoredSize = static_cast<uint32_t>(packed.size());
  entry.UncompressedSize = static_cast<uint32_t>(text.size());
  std::string scrambled = packed;
  ScramblePackageData(reinterpret_cast<uint8_t*>(scrambled.data()), scrambled.size(), keys, 0);
  ASSERT_TRUE(Open(ArchiveHeaderBytes("PV5PKG", &keys) + PackageEntryHeaderBytes(entry) + scrambled +
                   PlainEntryBytes("plain", text) + "EP"));
  for (const char* name : {"packed", "plain"}) {
    for (size_t piece : {size_t{1}, size_t{7}, size_t{1024}, size_t{1500}, size_t{65536}}) {
      ASSERT_TRUE(SelectEntryByName(FReader, name));
      std::string data;
      std::string buffer(piece, '\0');
      while (size_t got = ReadEntryData(FReader, buffer.data(), buffer.size())) {
        ASSERT_LE(got, piece);
        data.append(buffer, 0, got);
      }
      EXPECT_EQ(data, text) << name << " in pieces of " << piece;
      EXPECT_EQ(ReadEntryData(FReader, buffer.data(), buffer.size()), 0u);
    }
  }
  // The stored bytes come back unscrambled, still compressed.
  ASSERT_TRUE(SelectEntryByName(FReader, "packed"));
  std::string stored(packed.size() + 10, '\0');
  stored.resize(ReadEntryStoredData(FReader, stored.data(), stored.size()));
  EXPECT_EQ(stored, packed);
}

TEST_F(PackageReaderTest, HasMagicComparesTheFirstBytes) {
  const std::string content("PV5SAVE\0rest", 12);
  test::WriteFileBytes(FPath, content);
  EXPECT_TRUE(HasMagic(FPath, "PV5SAVE"));
  EXPECT_TRUE(HasMagic(FPath, "PV"));
  EXPECT_TRUE(HasMagic(FPath, content));
  EXPECT_FALSE(HasMagic(FPath, "PV5PKG"));
  EXPECT_FALSE(HasMagic(FPath, content + "x"));
  EXPECT_FALSE(HasMagic(FFolder.File("missing"), "PV"));
}

struct TLoadable {
  std::string Loaded;
  bool Accept = true;
  bool LoadFromStream(const std::string& stream) {
    Loaded = stream;
    return Accept;
  }
};

TEST_F(PackageReaderTest, LoadsStringsAndObjectsFromEntries) {
  ASSERT_TRUE(Open(ArchiveHeaderBytes("PV5SAVE") + PlainEntryBytes("list.info", "a=1\r\nb=2\r\n") +
                   "EP"));
  TStringList list = {"old"};
  ASSERT_TRUE(LoadEntryStrings(FReader, "LIST.INFO", list));
  EXPECT_EQ(list, (TStringList{"a=1", "b=2"}));
  EXPECT_FALSE(LoadEntryStrings(FReader, "other.info", list));
  EXPECT_EQ(list, (TStringList{"a=1", "b=2"}));
  TLoadable object;
  EXPECT_TRUE(LoadEntryObject(FReader, "list.info", object));
  EXPECT_EQ(object.Loaded, "a=1\r\nb=2\r\n");
  object.Accept = false;
  EXPECT_FALSE(LoadEntryObject(FReader, "list.info", object));
  TLoadable untouched;
  EXPECT_FALSE(LoadEntryObject(FReader, "nothing", untouched));
  EXPECT_EQ(untouched.Loaded, "");
}

}  // namespace
}  // namespace pelto5
