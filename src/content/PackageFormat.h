// Byte layout of the package container shared by its reader, its writer and
// the pelto5-pack tool: the archive header, the entry header, the flag bits,
// the header checksum function and the scrambling rule.
//
// Layout of a current archive (all 32-bit integers big-endian unless noted):
//   536-byte header: magic (8, zero padded), description (256), legacy count
//   (4, little-endian, 0 here), flags (4), attribute (4), header checksum
//   (4), key table (256);
//   entries back to back: "LI", entry header checksum (4), name length (1),
//   name, flags (4), attribute (4), stored size (4), uncompressed size (4),
//   data checksum (4), then the stored data;
//   the end marker "EP".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelto5 {

constexpr size_t kPackageMagicSize = 8;
constexpr size_t kPackageDescriptionSize = 256;
constexpr size_t kPackageKeyTableSize = 256;
// Magic, description and legacy count: the part both layouts share.
constexpr size_t kPackageLegacyHeaderSize = 268;
constexpr size_t kPackageHeaderSize = 536;
// Entry header without the name: tag, checksum, length byte and five words.
constexpr size_t kPackageEntryFixedSize = 27;
constexpr size_t kPackageMaxNameLength = 255;
// One record of the legacy directory: 256-byte name and four integers.
constexpr size_t kPackageLegacyRecordSize = 272;
constexpr size_t kPackageLegacyNameSize = 256;

// Appended package: executable, 255 "-", one "+", then the archive. A
// reader accepts any run of at least 201 "-" directly followed by "+".
constexpr size_t kPackageMarkerDashes = 255;
constexpr size_t kPackageMarkerMinDashes = 201;
// The scan for the marker starts after the first bytes of the executable.
constexpr size_t kPackageMarkerScanStart = 8;

// Bits of an entry's flags word.
constexpr uint32_t kPackageFlagCompressed = 1u << 31;
constexpr uint32_t kPackageFlagBit23 = 1u << 23;
constexpr uint32_t kPackageFlagExtract = 1u << 22;
constexpr uint32_t kPackageFlagNoExtract = 1u << 20;
constexpr uint32_t kPackageFlagScrambled = 1u << 19;

using TPackageKeyTable = std::array<uint8_t, kPackageKeyTableSize>;

// What a reader knows about one entry once the archive is indexed.
struct PackageEntry {
  std::string Name;
  bool Compressed = false;
  bool Flag23 = false;
  bool Extract = false;
  bool NoExtract = false;
  bool Scrambled = false;
  uint32_t Attribute = 0;
  uint64_t DataPosition = 0;  // absolute file offset of the stored data
  uint32_t StoredSize = 0;
  uint32_t UncompressedSize = 0;
  uint32_t DataChecksum = 0;
};

// The archive header as read or written.
struct PackageHeader {
  std::array<uint8_t, kPackageMagicSize> Magic{};
  std::array<uint8_t, kPackageDescriptionSize> Description{};
  uint32_t LegacyCount = 0;
  uint32_t Flags = 0;
  uint32_t Attribute = 0;
  uint32_t Checksum = 0;
  TPackageKeyTable KeyTable{};
};

// The checksum function: for each byte, rotate left by one, then XOR with
// the byte sign-extended to 32 bits. Continue from h to checksum in pieces.
uint32_t PackageChecksum(const void* data, size_t size, uint32_t h = 0);
// The same over the 4 little-endian bytes of value.
uint32_t PackageChecksumLE32(uint32_t value, uint32_t h);

// Checksum of the archive header (magic, description, legacy count, then
// the flags and attribute words as little-endian bytes).
uint32_t PackageHeaderChecksum(const PackageHeader& header);

// Flags word of an entry record and back.
uint32_t PackageEntryFlags(const PackageEntry& entry);
void SetPackageEntryFlags(PackageEntry& entry, uint32_t flags);

// Checksum of an entry header: length byte, name, one byte (1 or 0) for each
// of the bits 31, 23, 22 and 20, then attribute, stored size, uncompressed
// size and data checksum as little-endian bytes. Bit 19 is not covered.
uint32_t PackageEntryHeaderChecksum(const PackageEntry& entry);

// Serialized entry header ("LI" .. data checksum), checksum included. The
// name must be at most kPackageMaxNameLength bytes.
std::string PackageEntryHeaderBytes(const PackageEntry& entry);

// XORs data, which is the stored data of an entry from byte position
// counter on, with the key table; returns the counter after it.
uint32_t ScramblePackageData(uint8_t* data, size_t size, const TPackageKeyTable& keys,
                             uint32_t counter);

uint32_t ReadBE32(const uint8_t* p);
uint32_t ReadLE32(const uint8_t* p);
void WriteBE32(uint8_t* p, uint32_t value);
void WriteLE32(uint8_t* p, uint32_t value);

// Entry names compare byte by byte with ASCII letters folded to upper case.
[[nodiscard]] char UpperPackageNameByte(char c);
[[nodiscard]] bool SamePackageEntryName(std::string_view a, std::string_view b);

}  // namespace pelto5
