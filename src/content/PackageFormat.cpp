#include "content/PackageFormat.h"

namespace pelto5 {

uint32_t PackageChecksum(const void* data, size_t size, uint32_t h) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) {
    const auto extended = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(p[i])));
    h = ((h << 1) | (h >> 31)) ^ extended;
  }
  return h;
}

uint32_t PackageChecksumLE32(uint32_t value, uint32_t h) {
  uint8_t bytes[4];
  WriteLE32(bytes, value);
  return PackageChecksum(bytes, sizeof bytes, h);
}

uint32_t PackageHeaderChecksum(const PackageHeader& header) {
  uint32_t h = PackageChecksum(header.Magic.data(), header.Magic.size());
  h = PackageChecksum(header.Description.data(), header.Description.size(), h);
  h = PackageChecksumLE32(header.LegacyCount, h);
  h = PackageChecksumLE32(header.Flags, h);
  return PackageChecksumLE32(header.Attribute, h);
}

uint32_t PackageEntryFlags(const PackageEntry& entry) {
  uint32_t flags = 0;
  if (entry.Compressed) flags |= kPackageFlagCompressed;
  if (entry.Flag23) flags |= kPackageFlagBit23;
  if (entry.Extract) flags |= kPackageFlagExtract;
  if (entry.NoExtract) flags |= kPackageFlagNoExtract;
  if (entry.Scrambled) flags |= kPackageFlagScrambled;
  return flags;
}

void SetPackageEntryFlags(PackageEntry& entry, uint32_t flags) {
  entry.Compressed = (flags & kPackageFlagCompressed) != 0;
  entry.Flag23 = (flags & kPackageFlagBit23) != 0;
  entry.Extract = (flags & kPackageFlagExtract) != 0;
  entry.NoExtract = (flags & kPackageFlagNoExtract) != 0;
  entry.Scrambled = (flags & kPackageFlagScrambled) != 0;
}

uint32_t PackageEntryHeaderChecksum(const PackageEntry& entry) {
  const auto length = static_cast<uint8_t>(entry.Name.size());
  uint32_t h = PackageChecksum(&length, 1);
  h = PackageChecksum(entry.Name.data(), entry.Name.size(), h);
  const uint8_t flagBytes[4] = {entry.Compressed, entry.Flag23, entry.Extract, entry.NoExtract};
  h = PackageChecksum(flagBytes, sizeof flagBytes, h);
  h = PackageChecksumLE32(entry.Attribute, h);
  h = PackageChecksumLE32(entry.StoredSize, h);
  h = PackageChecksumLE32(entry.UncompressedSize, h);
  return PackageChecksumLE32(entry.DataChecksum, h);
}

std::string PackageEntryHeaderBytes(const PackageEntry& entry) {
  const size_t n = entry.Name.size();
  std::string bytes(kPackageEntryFixedSize + n, '\0');
  auto* p = reinterpret_cast<uint8_t*>(bytes.data());
  p[0] = 'L';
  p[1] = 'I';
  WriteBE32(p + 2, PackageEntryHeaderChecksum(entry));
  p[6] = static_cast<uint8_t>(n);
  bytes.replace(7, n, entry.Name);
  WriteBE32(p + 7 + n, PackageEntryFlags(entry));
  WriteBE32(p + 11 + n, entry.Attribute);
  WriteBE32(p + 15 + n, entry.StoredSize);
  WriteBE32(p + 19 + n, entry.UncompressedSize);
  WriteBE32(p + 23 + n, entry.DataChecksum);
  return bytes;
}

uint32_t ScramblePackageData(uint8_t* data, size_t size, const TPackageKeyTable& keys,
                             uint32_t counter) {
  for (size_t i = 0; i < size; ++i) {
    data[i] ^= keys[(counter + i) % kPackageKeyTableSize];
  }
  return static_cast<uint32_t>(counter + size);
}

uint32_t ReadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint32_t ReadLE32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

void WriteBE32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

void WriteLE32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
}

char UpperPackageNameByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SamePackageEntryName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperPackageNameByte(a[i]) != UpperPackageNameByte(b[i])) return false;
  }
  return true;
}

}  // namespace pelto5
