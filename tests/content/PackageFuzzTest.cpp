// Feeds every truncation and single-byte corruptions of sample archives
// through the fuzz target's body. Under the sanitizer build this proves the
// reader stays inside its buffers on damaged input.
#include <gtest/gtest.h>
#include <zlib.h>

#include "../../fuzz/PackageFuzzBody.h"
#include "content/PackageTestSupport.h"
#include "content/PackageWriter.h"

namespace pelto5 {
namespace {

struct TSampleArchive {
  std::string Label;
  std::string Bytes;
  bool Legacy = false;
};

std::string WriteArchive(const test::TTempFolder& folder, bool compressed, bool scrambled,
                         const std::string& executable) {
  const std::string path = folder.File("sample.pp5");
  PackageWriter writer;
  EXPECT_TRUE(SetWriterMagic(writer, "PV5PKG"));
  if (executable.empty()) {
    EXPECT_TRUE(CreatePackage(writer, path));
  } else {
    test::WriteFileBytes(folder.File("player.exe"), executable);
    EXPECT_TRUE(CreateAppendedPackage(writer, path, folder.File("player.exe")));
  }
  writer.Compressed = compressed;
  writer.Scrambled = scrambled;
  EXPECT_TRUE(AddEntryFromStream(writer, "///\r\n[b]\r\n", "pelto.pf5"));
  EXPECT_TRUE(AddEntryFromStream(writer, test::SampleData(1500, 4), "image\\a.png"));
  EXPECT_TRUE(AddEntryFromStream(writer, "", "empty"));
  EXPECT_TRUE(AddEntryFromStream(writer, "v", "PELTO.PF5"));
  EXPECT_TRUE(FinishPackage(writer));
  return test::ReadFileBytes(path);
}

std::vector<TSampleArchive> SampleArchives() {
  test::TTempFolder folder;
  std::string packed(200, '\0');
  uLongf size = packed.size();
  const std::string text(700, 'z');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
           text.size());
  packed.resize(size);
  return {
      {"plain", WriteArchive(folder, false, false, "")},
      {"compressed and scrambled", WriteArchive(folder, true, true, "")},
      {"appended", WriteArchive(folder, true, false, "MZ" + std::string(30, '\x90'))},
      {"legacy",
       test::LegacyArchiveBytes({{"a.txt", 0x01000000u, 0, "abc"}, {"b.bin", 0x80000000u, 0, packed}}),
       true},
  };
}

TEST(PackageFuzz, SampleArchivesReadCompletely) {
  for (const TSampleArchive& sample : SampleArchives()) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(sample.Bytes.data());
    const TPackageFuzzResult result = RunPackageFuzzInput(bytes, sample.Bytes.size());
    EXPECT_TRUE(result.Opened) << sample.Label;
    EXPECT_EQ(result.Complete, result.Entries) << sample.Label;
    EXPECT_GE(result.Entries, 2) << sample.Label;
    EXPECT_TRUE(result.Consistent) << sample.Label;
  }
}

TEST(PackageFuzz, EveryTruncationFailsCleanly) {
  for (const TSampleArchive& sample : SampleArchives()) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(sample.Bytes.data());
    for (size_t size = 0; size < sample.Bytes.size(); ++size) {
      const TPackageFuzzResult result = RunPackageFuzzInput(bytes, size);
      EXPECT_TRUE(result.Consistent) << sample.Label << " cut at " << size;
      // Without its end marker or part of its data, an archive never opens.
      if (!sample.Legacy) {
        ASSERT_FALSE(result.Opened) << sample.Label << " cut at " << size;
      }
      if (result.Opened) {
        EXPECT_LT(result.Complete, result.Entries) << sample.Label << " cut at " << size;
      }
    }
  }
}

TEST(PackageFuzz, SingleByteCorruptionsNeverBreakTheReader) {
  for (const TSampleArchive& sample : SampleArchives()) {
    int opened = 0;
    int damagedData = 0;
    for (size_t at = 0; at < sample.Bytes.size(); ++at) {
      for (uint8_t mask : {uint8_t{0x01}, uint8_t{0x80}, uint8_t{0xFF}}) {
        std::string damaged = sample.Bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ mask);
        const auto* bytes = reinterpret_cast<const uint8_t*>(damaged.data());
        const TPackageFuzzResult result = RunPackageFuzzInput(bytes, damaged.size());
        ASSERT_TRUE(result.Consistent) << sample.Label << " byte " << at << " ^ " << int(mask);
        if (result.Opened) ++opened;
        if (result.Opened && result.Complete < result.Entries) ++damagedData;
      }
    }
    // Damage to stored data still opens; damage to a compressed stream is
    // caught while reading. Both paths must have been exercised.
    EXPECT_GT(opened, 0) << sample.Label;
    if (sample.Label != "plain") {
      EXPECT_GT(damagedData, 0) << sample.Label;
    }
  }
}

// Names that are one file name on disk ("/" or "\\", doubled separators,
// "." parts, a ".." taking back a part) are one entry name: the last entry
// wins for all of them, which the target must not take for a faulty lookup.
TEST(PackageFuzz, EntriesWhoseNamesAreOneFileNameAreConsistent) {
  test::TTempFolder folder;
  const std::string path = folder.File("names.pp5");
  PackageWriter writer;
  ASSERT_TRUE(SetWriterMagic(writer, "PV5PKG"));
  ASSERT_TRUE(CreatePackage(writer, path));
  const char* names[] = {"img\\a.png", "img//a.png", ".\\img\\.\\a.png", "x\\..\\img\\a.png", "img\\\\a.png"};
  for (const char* name : names) ASSERT_TRUE(AddEntryFromStream(writer, name, name));
  ASSERT_TRUE(FinishPackage(writer));
  const std::string bytes = test::ReadFileBytes(path);
  const TPackageFuzzResult result =
      RunPackageFuzzInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_TRUE(result.Opened);
  EXPECT_EQ(result.Entries, 5);
  EXPECT_EQ(result.Complete, 5);
  EXPECT_TRUE(result.Consistent);
}

}  // namespace
}  // namespace pelto5
