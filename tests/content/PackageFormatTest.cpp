#include "content/PackageFormat.h"

#include <gtest/gtest.h>

#include "content/PackageWriter.h"
#include "content/PackageTestSupport.h"

namespace pelto5 {
namespace {

TEST(PackageFormat, ChecksumRotatesAndSignExtends) {
  EXPECT_EQ(PackageChecksum("abc", 3), 0x00000123u);
  const uint8_t ff = 0xFF;
  EXPECT_EQ(PackageChecksum(&ff, 1), 0xFFFFFFFFu);
  EXPECT_EQ(PackageChecksum(nullptr, 0), 0u);
  // Piecewise equals whole; the top bit rotates round into bit 0.
  EXPECT_EQ(PackageChecksum("c", 1, PackageChecksum("ab", 2)), 0x00000123u);
  const uint8_t zero = 0;
  EXPECT_EQ(PackageChecksum(&zero, 1, 0x80000000u), 1u);
}

TEST(PackageFormat, EntryHeaderOfTheThreeByteExample) {
  PackageEntry entry;
  entry.Name = "a.txt";
  entry.StoredSize = 3;
  entry.UncompressedSize = 3;
  entry.DataChecksum = PackageChecksum("abc", 3);
  EXPECT_EQ(PackageEntryHeaderChecksum(entry), 0x6940189Cu);
  const std::string expected(
      "\x4C\x49\x69\x40\x18\x9C\x05\x61\x2E\x74\x78\x74\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x03\x00\x00\x00\x03\x00\x00\x01\x23\x61\x62\x63",
      35);
  EXPECT_EQ(PackageEntryHeaderBytes(entry) + "abc", expected);
}

TEST(PackageFormat, WriterProducesTheThreeByteExampleByteForByte) {
  test::TTempFolder folder;
  PackageWriter writer;
  ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
  ASSERT_TRUE(CreatePackage(writer, folder.File("a.pv5")));
  ASSERT_TRUE(AddEntryFromStream(writer, "abc", "a.txt"));
  ASSERT_TRUE(FinishPackage(writer));
  const std::string bytes = test::ReadFileBytes(folder.File("a.pv5"));
  ASSERT_EQ(bytes.size(), kPackageHeaderSize + 35 + 2);
  EXPECT_EQ(bytes.substr(0, 8), std::string("PV5SAVE\0", 8));
  EXPECT_EQ(bytes.substr(kPackageHeaderSize, 35),
            test::PlainEntryBytes("a.txt", "abc"));
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "EP");
  // The header checksum covers magic, description, count, flags, attribute.
  uint32_t h = PackageChecksum(bytes.data(), 272);
  h = PackageChecksumLE32(0, h);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  EXPECT_EQ(ReadBE32(p + 276), h);
}

TEST(PackageFormat, ChecksumCoversFlagBitsButNotScrambling) {
  PackageEntry entry;
  entry.Name = "x";
  const uint32_t plain = PackageEntryHeaderChecksum(entry);
  for (uint32_t bit : {kPackageFlagCompressed, kPackageFlagBit23, kPackageFlagExtract,
                       kPackageFlagNoExtract}) {
    SetPackageEntryFlags(entry, bit);
    EXPECT_NE(PackageEntryHeaderChecksum(entry), plain) << bit;
    EXPECT_EQ(PackageEntryFlags(entry), bit);
  }
  SetPackageEntryFlags(entry, kPackageFlagScrambled | 0x00010001u);
  EXPECT_EQ(PackageEntryHeaderChecksum(entry), plain);
  EXPECT_EQ(PackageEntryFlags(entry), kPackageFlagScrambled);
}

TEST(PackageFormat, ScramblingUsesTheKeyTableCyclically) {
  TPackageKeyTable keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<uint8_t>(i * 7 + 1);
  std::vector<uint8_t> data(600, 0x5A);
  // In two pieces, continuing the counter, as a reader does.
  const uint32_t counter = ScramblePackageData(data.data(), 300, keys, 0);
  EXPECT_EQ(ScramblePackageData(data.data() + 300, 300, keys, counter), 600u);
  for (size_t i = 0; i < data.size(); ++i) {
    ASSERT_EQ(data[i], 0x5A ^ keys[i % 256]) << i;
  }
}

TEST(PackageFormat, EntryNamesFoldAsciiLettersOnly) {
  EXPECT_TRUE(SamePackageEntryName("Image.PNG", "image.png"));
  EXPECT_FALSE(SamePackageEntryName("image.png", "image.pn"));
  EXPECT_FALSE(SamePackageEntryName("a[", "a{"));
  // Byte by byte: a trail byte that is a letter folds too.
  EXPECT_TRUE(SamePackageEntryName("\x83\x61", "\x83\x41"));
  EXPECT_FALSE(SamePackageEntryName("\x82\xA0", "\x82\xC0"));
}

}  // namespace
}  // namespace pelto5
