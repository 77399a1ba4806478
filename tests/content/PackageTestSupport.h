// Helpers shared by the package container tests: a private temporary
// folder, whole-file reads and writes, and hand-built archives for layouts
// and damage the writer never produces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/NativeFile.h"
#include "content/PackageFormat.h"

namespace pelto5::test {

class TTempFolder {
 public:
  TTempFolder() {
    std::random_device random;
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "pelto5-";
    name += info != nullptr ? info->name() : "test";
    name += "-" + std::to_string(random()) + std::to_string(random());
    FPath = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(FPath);
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The UTF-8 path of name (UTF-8) in the folder.
  std::string File(const std::string& name) const { return native::Utf8(FPath / native::Path(name)); }
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

// Paths are UTF-8, as the player's are (on Windows a narrow path would be
// read in the system's code page).
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(native::Path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(native::Path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(native::Path(path)); }

// A 536-byte current-layout header with a valid checksum and the given key
// table (zeros unless given).
inline std::string ArchiveHeaderBytes(const std::string& magic, const TPackageKeyTable* keys = nullptr) {
  PackageHeader header;
  for (size_t i = 0; i < magic.size() && i < header.Magic.size(); ++i) {
    header.Magic[i] = static_cast<uint8_t>(magic[i]);
  }
  if (keys != nullptr) header.KeyTable = *keys;
  header.Checksum = PackageHeaderChecksum(header);
  std::string bytes(kPackageHeaderSize, '\0');
  auto* p = reinterpret_cast<uint8_t*>(bytes.data());
  std::copy(header.Magic.begin(), header.Magic.end(), p);
  WriteBE32(p + 276, header.Checksum);
  std::copy(header.KeyTable.begin(), header.KeyTable.end(), p + 280);
  return bytes;
}

// One plain entry (header and data) with a correct header checksum.
inline std::string PlainEntryBytes(const std::string& name, const std::string& data,
                                   uint32_t uncompressedSize) {
  PackageEntry entry;
  entry.Name = name;
  entry.StoredSize = static_cast<uint32_t>(data.size());
  entry.UncompressedSize = uncompressedSize;
  entry.DataChecksum = PackageChecksum(data.data(), data.size());
  return PackageEntryHeaderBytes(entry) + data;
}

inline std::string PlainEntryBytes(const std::string& name, const std::string& data) {
  return PlainEntryBytes(name, data, static_cast<uint32_t>(data.size()));
}

inline std::string LittleEndian32(uint32_t value) {
  std::string bytes(4, '\0');
  WriteLE32(reinterpret_cast<uint8_t*>(bytes.data()), value);
  return bytes;
}

struct TLegacyRecord {
  std::string Name;
  uint32_t Flags1 = 0;
  uint32_t Flags2 = 0;
  std::string Data;
};

// A legacy archive: 268-byte header with the count, the directory, then the
// data of all records back to back in the given order.
inline std::string LegacyArchiveBytes(const std::vector<TLegacyRecord>& records) {
  std::string bytes = "PV5PKG";
  bytes.resize(264, '\0');
  bytes += LittleEndian32(static_cast<uint32_t>(records.size()));
  std::string data;
  for (const TLegacyRecord& record : records) {
    std::string name = record.Name;
    name.resize(kPackageLegacyNameSize, '\0');
    bytes += name;
    bytes += LittleEndian32(record.Flags1);
    bytes += LittleEndian32(record.Flags2);
    bytes += LittleEndian32(static_cast<uint32_t>(data.size()));
    bytes += LittleEndian32(static_cast<uint32_t>(record.Data.size()));
    data += record.Data;
  }
  return bytes + data;
}

// Deterministic test data: compressible text mixed with pseudo-random bytes.
inline std::string SampleData(size_t size, uint32_t seed) {
  std::string data;
  data.reserve(size);
  std::mt19937 random(seed);
  while (data.size() < size) {
    if (random() % 3 == 0) {
      data += "line " + std::to_string(data.size()) + " of the sample text\r\n";
    } else {
      data += static_cast<char>(random());
    }
  }
  data.resize(size);
  return data;
}

}  // namespace pelto5::test
