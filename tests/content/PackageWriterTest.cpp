#include "content/PackageWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "content/PackageReader.h"
#include "content/PackageTestSupport.h"

namespace pelto5 {
namespace {

struct TSample {
  std::string Name;
  std::string Data;
};

std::vector<TSample> Samples() {
  return {{"empty", ""},
          {"one", "x"},
          {"pelto.pf5", "///\r\n[book]\r\n"},
          {"image\\a.png", test::SampleData(1023, 1)},
          {"image\\b.png", test::SampleData(1024, 2)},
          {"big.bin", test::SampleData(300000, 3)},
          {"zeros", std::string(70000, '\0')}};
}

class PackageWriterTest : public testing::Test {
 protected:
  // Writes all samples with the given flags into a new archive at FPath.
  void WriteSamples(bool compressed, bool scrambled) {
    ResetWriter(FWriter);
    ASSERT_TRUE(SetWriterMagic(FWriter, "PV5PKG"));
    ASSERT_TRUE(CreatePackage(FWriter, FPath));
    FWriter.Compressed = compressed;
    FWriter.Scrambled = scrambled;
    for (const TSample& sample : Samples()) {
      ASSERT_TRUE(AddEntryFromStream(FWriter, sample.Data, sample.Name)) << FWriter.FailureReason;
    }
    ASSERT_TRUE(FinishPackage(FWriter)) << FWriter.FailureReason;
  }

  void ExpectSamples(PackageReader& reader, size_t first = 0) {
    const std::vector<TSample> samples = Samples();
    ASSERT_GE(reader.Entries.size(), first + samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
      const PackageEntry& entry = reader.Entries[first + i];
      EXPECT_EQ(entry.Name, samples[i].Name);
      EXPECT_EQ(entry.UncompressedSize, samples[i].Data.size());
      std::string data;
      ASSERT_TRUE(ExtractEntryByIndex(reader, static_cast<int>(first + i), data)) << entry.Name;
      EXPECT_EQ(data, samples[i].Data) << entry.Name;
      // The data checksum covers the stored bytes before scrambling.
      ASSERT_TRUE(SelectEntry(reader, static_cast<int>(first + i)));
      std::string stored(entry.StoredSize, '\0');
      ASSERT_EQ(ReadEntryStoredData(reader, stored.data(), stored.size()), stored.size());
      EXPECT_EQ(entry.DataChecksum, PackageChecksum(stored.data(), stored.size())) << entry.Name;
    }
  }

  test::TTempFolder FFolder;
  std::string FPath = FFolder.File("out.pp5");
  PackageWriter FWriter;
};

TEST_F(PackageWriterTest, PlainCompressedAndScrambledArchivesReadBack) {
  for (bool compressed : {false, true}) {
    for (bool scrambled : {false, true}) {
      SCOPED_TRACE(testing::Message() << "compressed " << compressed << " scrambled " << scrambled);
      WriteSamples(compressed, scrambled);
      EXPECT_FALSE(test::FileExists(FPath + ".tmp"));
      PackageReader reader;
      ASSERT_TRUE(OpenPackage(FPath, reader)) << reader.FailureReason;
      EXPECT_TRUE(HasMagic(FPath, std::string("PV5PKG\0\0", 8)));
      for (const PackageEntry& entry : reader.Entries) {
        EXPECT_EQ(entry.Compressed, compressed);
        EXPECT_EQ(entry.Scrambled, scrambled);
      }
      ExpectSamples(reader);
      const PackageEntry& big = reader.Entries[5];
      if (compressed) {
        EXPECT_LT(big.StoredSize, big.UncompressedSize);
      } else {
        EXPECT_EQ(big.StoredSize, big.UncompressedSize);
      }
    }
  }
}

TEST_F(PackageWriterTest, StoredBytesAreAZlibStreamAndScrambledWithTheKeyTable) {
  WriteSamples(true, true);
  const std::string bytes = test::ReadFileBytes(FPath);
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  const PackageEntry& entry = reader.Entries[5];
  std::string stored = bytes.substr(entry.DataPosition, entry.StoredSize);
  // Unscramble by hand with the table from the header, then inflate with
  // zlib directly.
  for (size_t i = 0; i < stored.size(); ++i) stored[i] ^= bytes[280 + i % 256];
  std::string data(entry.UncompressedSize, '\0');
  uLongf size = data.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(data.data()), &size,
                       reinterpret_cast<const Bytef*>(stored.data()), stored.size()),
            Z_OK);
  EXPECT_EQ(data, Samples()[5].Data);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + entry.DataPosition - 20;
  EXPECT_EQ(ReadBE32(p), kPackageFlagCompressed | kPackageFlagScrambled);
}

TEST_F(PackageWriterTest, EachNewArchiveGetsItsOwnKeyTable) {
  WriteSamples(false, true);
  const std::string first = test::ReadFileBytes(FPath);
  WriteSamples(false, true);
  const std::string second = test::ReadFileBytes(FPath);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_NE(first.substr(280, 256), second.substr(280, 256));
  // Apart from the key table (and the data it scrambles), archives are
  // reproducible.
  WriteSamples(true, false);
  const std::string third = test::ReadFileBytes(FPath);
  WriteSamples(true, false);
  const std::string fourth = test::ReadFileBytes(FPath);
  EXPECT_EQ(third.substr(0, 280), fourth.substr(0, 280));
  EXPECT_EQ(third.substr(536), fourth.substr(536));
}

TEST_F(PackageWriterTest, FlagsAndAttributeReachTheEntry) {
  ASSERT_TRUE(SetWriterMagic(FWriter, "PV5LIB"));
  ASSERT_TRUE(CreatePackage(FWriter, FPath));
  FWriter.Extract = true;
  FWriter.Flag23 = true;
  ASSERT_TRUE(AddEntryFromStream(FWriter, "1", "extract"));
  FWriter.Extract = false;
  FWriter.NoExtract = true;
  FWriter.Attribute = 7;
  ASSERT_TRUE(AddEntryFromStream(FWriter, "2", "keep"));
  ASSERT_TRUE(FinishPackage(FWriter));
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  EXPECT_TRUE(reader.Entries[0].Extract);
  EXPECT_TRUE(reader.Entries[0].Flag23);
  EXPECT_FALSE(reader.Entries[0].NoExtract);
  EXPECT_TRUE(reader.Entries[1].NoExtract);
  EXPECT_EQ(reader.Entries[1].Attribute, 7u);
}

TEST_F(PackageWriterTest, EntriesWrittenInPiecesMatchOneWrite) {
  const std::string data = test::SampleData(10000, 5);
  for (bool compressed : {false, true}) {
    ResetWriter(FWriter);
    ASSERT_TRUE(SetWriterMagic(FWriter, "PV5PKG"));
    ASSERT_TRUE(CreatePackage(FWriter, FPath));
    FWriter.Compressed = compressed;
    FWriter.Scrambled = true;
    ASSERT_TRUE(BeginEntry(FWriter, "pieces"));
    for (size_t at = 0; at < data.size(); at += 333) {
      const size_t n = std::min<size_t>(333, data.size() - at);
      ASSERT_EQ(WriteEntryData(FWriter, data.data() + at, n), n);
    }
    ASSERT_TRUE(EndEntry(FWriter));
    ASSERT_TRUE(FinishPackage(FWriter));
    PackageReader reader;
    ASSERT_TRUE(OpenPackage(FPath, reader));
    std::string read;
    ASSERT_TRUE(ExtractEntry(reader, "pieces", read));
    EXPECT_EQ(read, data);
  }
}

TEST_F(PackageWriterTest, AppendingAddsEntriesThatWin) {
  WriteSamples(true, true);
  ResetWriter(FWriter);
  ASSERT_TRUE(SetWriterMagic(FWriter, "PV5PKG"));
  ASSERT_TRUE(OpenPackageForAppend(FWriter, FPath)) << FWriter.FailureReason;
  FWriter.Compressed = true;
  FWriter.Scrambled = true;  // not possible without the old key table
  ASSERT_TRUE(AddEntryFromStrings(FWriter, {"a=1", "b="}, "ONE"));
  ASSERT_TRUE(AddEntryFromStream(FWriter, "new", "extra"));
  ASSERT_TRUE(FinishPackage(FWriter));
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader)) << reader.FailureReason;
  ASSERT_EQ(reader.EntryCount, 9);
  ExpectSamples(reader);
  EXPECT_FALSE(reader.Entries[7].Scrambled);
  EXPECT_TRUE(reader.Entries[7].Compressed);
  EXPECT_EQ(reader.EndMarkerPosition + 2, reader.FileSize);
  std::string one;
  ASSERT_TRUE(ExtractEntry(reader, "one", one));
  EXPECT_EQ(one, "a=1\r\nb=\r\n");
  TStringList list;
  ASSERT_TRUE(LoadEntryStrings(reader, "extra", list));
  EXPECT_EQ(list, TStringList{"new"});
}

TEST_F(PackageWriterTest, AppendingRefusesWhatIsNotAnIntactArchive) {
  WriteSamples(false, false);
  const std::string good = test::ReadFileBytes(FPath);
  const std::string other = FFolder.File("other.pp5");
  for (const std::string& bytes : {good + "xx", good.substr(0, good.size() - 1), std::string("EP"),
                                   good.substr(0, 600) + "EP", test::LegacyArchiveBytes({{"a", 0, 0, "EP"}})}) {
    test::WriteFileBytes(other, bytes);
    ResetWriter(FWriter);
    ASSERT_TRUE(SetWriterMagic(FWriter, "PV5SAVE"));
    EXPECT_FALSE(OpenPackageForAppend(FWriter, other)) << bytes.size();
    EXPECT_FALSE(FinishPackage(FWriter));
    EXPECT_EQ(test::ReadFileBytes(other), bytes);
    EXPECT_FALSE(test::FileExists(other + ".tmp"));
  }
  EXPECT_FALSE(OpenPackageForAppend(FWriter, FFolder.File("missing")));
  EXPECT_FALSE(test::FileExists(FFolder.File("missing")));
}

TEST_F(PackageWriterTest, ArchiveAppendedToAnExecutableReadsBack) {
  const std::string exePath = FFolder.File("player.exe");
  const std::string exe = "MZ" + test::SampleData(5000, 8) + std::string(40, '-');
  test::WriteFileBytes(exePath, exe);
  ASSERT_TRUE(SetWriterMagic(FWriter, "PV5PKG"));
  ASSERT_TRUE(CreateAppendedPackage(FWriter, FPath, exePath)) << FWriter.FailureReason;
  FWriter.Compressed = true;
  for (const TSample& sample : Samples()) ASSERT_TRUE(AddEntryFromStream(FWriter, sample.Data, sample.Name));
  ASSERT_TRUE(FinishPackage(FWriter));
  const std::string bytes = test::ReadFileBytes(FPath);
  EXPECT_EQ(bytes.substr(0, exe.size()), exe);
  EXPECT_EQ(bytes.substr(exe.size(), 256), std::string(255, '-') + "+");
  EXPECT_EQ(bytes.substr(exe.size() + 256, 6), "PV5PKG");
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader)) << reader.FailureReason;
  EXPECT_EQ(reader.ArchiveStart, exe.size() + 256);
  ExpectSamples(reader);
  ClosePackage(reader);
  // Appending to it keeps the executable in front.
  ResetWriter(FWriter);
  ASSERT_TRUE(SetWriterMagic(FWriter, "PV5PKG"));
  ASSERT_TRUE(OpenPackageForAppend(FWriter, FPath));
  ASSERT_TRUE(AddEntryFromStream(FWriter, "later", "one"));
  ASSERT_TRUE(FinishPackage(FWriter));
  ASSERT_TRUE(OpenPackage(FPath, reader));
  std::string one;
  ASSERT_TRUE(ExtractEntry(reader, "one", one));
  EXPECT_EQ(one, "later");
}

TEST_F(PackageWriterTest, ExecutablesThatCouldNotCarryAnArchiveAreRefused) {
  const std::string exePath = FFolder.File("player.exe");
  for (const std::string& exe : {std::string("ELF and not MZ"), std::string("M"),
                                 "MZ" + std::string(10, 'x') + std::string(250, '-') + "+tail"}) {
    test::WriteFileBytes(exePath, exe);
    ResetWriter(FWriter);
    ASSERT_TRUE(SetWriterMagic(FWriter, "PV5PKG"));
    EXPECT_FALSE(CreateAppendedPackage(FWriter, FPath, exePath));
    EXPECT_FALSE(FWriter.FailureReason.empty());
    EXPECT_FALSE(test::FileExists(FPath));
    EXPECT_FALSE(test::FileExists(FPath + ".tmp"));
  }
  EXPECT_FALSE(CreateAppendedPackage(FWriter, FPath, FFolder.File("missing.exe")));
}

TEST_F(PackageWriterTest, RefusedNamesAndMagicsLeaveNoArchive) {
  EXPECT_FALSE(SetWriterMagic(FWriter, "PV5SAVE01"));
  EXPECT_FALSE(SetWriterMagic(FWriter, ""));
  EXPECT_FALSE(CreatePackage(FWriter, FPath));
  EXPECT_FALSE(test::FileExists(FPath));
  EXPECT_TRUE(SetWriterMagic(FWriter, "PV5SAVE1"));

  // An existing archive survives a failed rewrite untouched.
  test::WriteFileBytes(FPath, "previous contents");
  ASSERT_TRUE(CreatePackage(FWriter, FPath));
  ASSERT_TRUE(AddEntryFromStream(FWriter, "ok", "first"));
  EXPECT_TRUE(BeginEntry(FWriter, std::string(255, 'n')));
  EXPECT_TRUE(EndEntry(FWriter));
  EXPECT_FALSE(BeginEntry(FWriter, std::string(256, 'n')));
  EXPECT_NE(FWriter.FailureReason.find("255"), std::string::npos);
  EXPECT_FALSE(AddEntryFromStream(FWriter, "more", "later"));
  EXPECT_FALSE(FinishPackage(FWriter));
  EXPECT_EQ(test::ReadFileBytes(FPath), "previous contents");
  EXPECT_FALSE(test::FileExists(FPath + ".tmp"));
}

TEST_F(PackageWriterTest, UnfinishedArchivesAreDiscarded) {
  {
    PackageWriter writer;
    ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
    ASSERT_TRUE(CreatePackage(writer, FPath));
    ASSERT_TRUE(AddEntryFromStream(writer, "abc", "a.txt"));
    EXPECT_FALSE(CreatePackage(writer, FPath));  // already writing one
  }
  EXPECT_FALSE(test::FileExists(FPath));
  EXPECT_FALSE(test::FileExists(FPath + ".tmp"));
  // Writing without an archive fails plainly.
  PackageWriter writer;
  EXPECT_FALSE(BeginEntry(writer, "a"));
  EXPECT_EQ(WriteEntryData(writer, "a", 1), 0u);
  EXPECT_FALSE(EndEntry(writer));
  EXPECT_FALSE(FinishPackage(writer));
  // An entry still open at the finish is completed.
  ASSERT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
  ASSERT_TRUE(CreatePackage(writer, FPath));
  ASSERT_TRUE(BeginEntry(writer, "open"));
  ASSERT_EQ(WriteEntryData(writer, "data", 4), 4u);
  ASSERT_TRUE(FinishPackage(writer));
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(FPath, reader));
  std::string data;
  ASSERT_TRUE(ExtractEntry(reader, "open", data));
  EXPECT_EQ(data, "data");
}

TEST_F(PackageWriterTest, AnArchiveWithoutEntriesIsWrittenButDoesNotOpen) {
  ASSERT_TRUE(SetWriterMagic(FWriter, "PV5SAVE"));
  ASSERT_TRUE(CreatePackage(FWriter, FPath));
  ASSERT_TRUE(FinishPackage(FWriter));
  EXPECT_EQ(test::ReadFileBytes(FPath).size(), kPackageHeaderSize + 2);
  PackageReader reader;
  EXPECT_FALSE(OpenPackage(FPath, reader));
}

}  // namespace
}  // namespace pelto5
