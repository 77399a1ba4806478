#include "content/PackageReader.h"
#include "base/NativeFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/InflateLimit.h"
#include "base/SjisText.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

// Bytes read from the file per step of the "MZ" marker scan.
constexpr size_t kScanBlockSize = 64 * 1024;
// Most memory reserved ahead of the data for one extracted entry; larger
// entries grow as their data actually arrives.
constexpr uint64_t kMaxReserve = 256ull * 1024 * 1024;
// Bytes read per step when extracting an entry.
constexpr size_t kExtractStep = 256 * 1024;

bool Fail(PackageReader& reader, std::string reason) {
  reader.FailureReason = std::move(reason);
  return false;
}

bool SeekTo(std::FILE* file, uint64_t position) { return native::SeekFile(file, position); }

bool ReadExact(std::FILE* file, void* buffer, size_t count) {
  return std::fread(buffer, 1, count, file) == count;
}

// Moves from the file's position, which is from, to to. A short way forward
// is read over: a seek would throw away what the file's buffer holds, and
// indexing thousands of small entries would read the buffer anew for each.
bool SkipTo(std::FILE* file, uint64_t from, uint64_t to) {
  constexpr uint64_t kReadOver = 4096;
  if (to >= from && to - from <= kReadOver) {
    char scratch[kReadOver];
    return ReadExact(file, scratch, static_cast<size_t>(to - from));
  }
  return SeekTo(file, to);
}

std::string At(uint64_t position) { return " at offset " + std::to_string(position); }

bool MeasureFile(PackageReader& reader) {
  if (!native::FileLength(reader.File, reader.FileSize)) return Fail(reader, "cannot determine the file size");
  return true;
}

// Looks for a run of at least 201 "-" directly followed by "+" from byte 8
// on; sets ArchiveStart to the byte after the "+".
bool FindAppendedArchive(PackageReader& reader) {
  if (!SeekTo(reader.File, kPackageMarkerScanStart)) return Fail(reader, "cannot seek in the file");
  std::vector<uint8_t> block(kScanBlockSize);
  uint64_t position = kPackageMarkerScanStart;
  size_t dashes = 0;
  for (;;) {
    const size_t got = std::fread(block.data(), 1, block.size(), reader.File);
    if (got == 0) break;
    for (size_t i = 0; i < got; ++i) {
      const uint8_t b = block[i];
      if (b == '+' && dashes >= kPackageMarkerMinDashes) {
        reader.ArchiveStart = position + i + 1;
        return SeekTo(reader.File, reader.ArchiveStart) ||
               Fail(reader, "cannot seek in the file");
      }
      dashes = (b == '-') ? dashes + 1 : 0;
    }
    position += got;
  }
  return Fail(reader, "file starts with \"MZ\" but holds no appended package marker");
}

bool IndexLegacyLayout(PackageReader& reader, int32_t count) {
  reader.Legacy = true;
  if (count < 0) return Fail(reader, "negative legacy entry count " + std::to_string(count));
  const uint64_t directory = reader.ArchiveStart + kPackageLegacyHeaderSize;
  const uint64_t dataStart = directory + uint64_t{kPackageLegacyRecordSize} * uint64_t(count);
  if (dataStart > reader.FileSize) {
    return Fail(reader, "legacy directory of " + std::to_string(count) +
                            " entries runs past the end of the file");
  }
  reader.DataStart = dataStart;
  reader.Entries.reserve(static_cast<size_t>(count));
  std::array<uint8_t, kPackageLegacyRecordSize> record{};
  for (int32_t i = 0; i < count; ++i) {
    if (!ReadExact(reader.File, record.data(), record.size())) {
      return Fail(reader, "cannot read legacy directory record " + std::to_string(i));
    }
    const auto* nameEnd = static_cast<const uint8_t*>(
        std::memchr(record.data(), 0, kPackageLegacyNameSize));
    if (nameEnd == nullptr) {
      return Fail(reader, "legacy directory record " + std::to_string(i) + " has no name terminator");
    }
    PackageEntry entry;
    entry.Name.assign(reinterpret_cast<const char*>(record.data()), nameEnd - record.data());
    const uint8_t* numbers = record.data() + kPackageLegacyNameSize;
    const uint32_t flags1 = ReadLE32(numbers);
    const uint32_t flags2 = ReadLE32(numbers + 4);
    const uint32_t offset = ReadLE32(numbers + 8);
    entry.StoredSize = ReadLE32(numbers + 12);
    entry.DataPosition = dataStart + offset;
    if (entry.DataPosition + entry.StoredSize > reader.FileSize) {
      return Fail(reader, "data of legacy entry \"" + entry.Name + "\" lies outside the file");
    }
    entry.Compressed = (flags1 & 0x80000000u) != 0;
    const uint32_t nibble = (flags1 >> 24) & 0x0Fu;
    entry.NoExtract = nibble == 0;
    entry.Flag23 = nibble != 0;
    entry.Extract = (flags2 & (1u << 24)) != 0;
    entry.UncompressedSize = entry.Compressed ? 0 : entry.StoredSize;
    reader.Entries.push_back(std::move(entry));
  }
  if (reader.Entries.empty()) return Fail(reader, "archive has no entries");
  return true;
}

// Which entry a message is about: its name where it could be read, else
// where it lies among the others.
std::string EntryAfter(const PackageReader& reader) {
  if (reader.Entries.empty()) return "the first entry";
  return "the entry after \"" + reader.Entries.back().Name + "\"";
}

// Reads one entry header at position (just after its "LI" tag was checked)
// and verifies its checksum.
bool ReadEntryHeader(PackageReader& reader, uint64_t position, PackageEntry& entry) {
  uint8_t start[5];
  if (position + 2 + sizeof start > reader.FileSize || !ReadExact(reader.File, start, sizeof start)) {
    return Fail(reader, "header of " + EntryAfter(reader) + " is cut off" + At(position));
  }
  const uint32_t storedChecksum = ReadBE32(start);
  const size_t n = start[4];
  uint8_t rest[kPackageMaxNameLength + 20];
  if (position + 7 + n > reader.FileSize || !ReadExact(reader.File, rest, n)) {
    return Fail(reader, "header of " + EntryAfter(reader) + " is cut off" + At(position));
  }
  entry.Name.assign(reinterpret_cast<const char*>(rest), n);
  const std::string subject = "entry \"" + entry.Name + "\"";
  if (position + kPackageEntryFixedSize + n > reader.FileSize || !ReadExact(reader.File, rest + n, 20)) {
    return Fail(reader, "header of " + subject + " is cut off" + At(position));
  }
  const uint8_t* words = rest + n;
  SetPackageEntryFlags(entry, ReadBE32(words));
  entry.Attribute = ReadBE32(words + 4);
  entry.StoredSize = ReadBE32(words + 8);
  entry.UncompressedSize = ReadBE32(words + 12);
  entry.DataChecksum = ReadBE32(words + 16);
  entry.DataPosition = position + kPackageEntryFixedSize + n;
  if (PackageEntryHeaderChecksum(entry) != storedChecksum) {
    return Fail(reader, "entry header checksum mismatch" + At(position) + " (" + subject + ")");
  }
  if (entry.DataPosition + entry.StoredSize > reader.FileSize) {
    return Fail(reader, "data of " + subject + At(position) + " runs past the end of the file");
  }
  if (entry.UncompressedSize == 0 && !entry.Compressed) entry.UncompressedSize = entry.StoredSize;
  return true;
}

bool IndexCurrentLayout(PackageReader& reader) {
  PackageHeader& header = reader.Header;
  uint8_t words[12];
  if (!ReadExact(reader.File, words, sizeof words) ||
      !ReadExact(reader.File, header.KeyTable.data(), header.KeyTable.size())) {
    return Fail(reader, "archive header truncated");
  }
  header.Flags = ReadBE32(words);
  header.Attribute = ReadBE32(words + 4);
  header.Checksum = ReadBE32(words + 8);
  if (PackageHeaderChecksum(header) != header.Checksum) {
    return Fail(reader, "archive header checksum mismatch");
  }
  reader.DataStart = reader.ArchiveStart + kPackageHeaderSize;
  uint64_t position = reader.DataStart;
  for (;;) {
    uint8_t tag[2];
    if (position + 2 > reader.FileSize || !ReadExact(reader.File, tag, 2)) {
      const std::string after =
          reader.Entries.empty() ? "" : " after entry \"" + reader.Entries.back().Name + "\"";
      return Fail(reader, "archive ends" + after + " without the end marker \"EP\"" + At(position));
    }
    if (tag[0] == 'E' && tag[1] == 'P') break;
    if (tag[0] != 'L' || tag[1] != 'I') {
      return Fail(reader, "bad tag of " + EntryAfter(reader) + At(position));
    }
    PackageEntry entry;
    if (!ReadEntryHeader(reader, position, entry)) return false;
    // The header was read up to the entry's data.
    const uint64_t dataPosition = entry.DataPosition;
    position = entry.DataPosition + entry.StoredSize;
    reader.Entries.push_back(std::move(entry));
    if (!SkipTo(reader.File, dataPosition, position)) return Fail(reader, "cannot seek in the file");
  }
  reader.EndMarkerPosition = position;
  if (reader.Entries.empty()) return Fail(reader, "archive has no entries");
  return true;
}

// Whether the first bytes read (count of them) begin with the text of an
// archive magic: a file cut off inside its magic still shows what it was.
bool StartsWithArchiveMagic(const uint8_t* bytes, size_t count) {
  for (const std::string_view magic : {"PV5PKG", "PV5LIB", "PV5SAVE"}) {
    if (count >= magic.size() && std::memcmp(bytes, magic.data(), magic.size()) == 0) return true;
  }
  return false;
}

bool IndexArchive(PackageReader& reader) {
  if (!MeasureFile(reader)) return false;
  PackageHeader& header = reader.Header;
  const size_t got = std::fread(header.Magic.data(), 1, header.Magic.size(), reader.File);
  if (got >= 2 && header.Magic[0] == 'M' && header.Magic[1] == 'Z') {
    if (!FindAppendedArchive(reader)) return false;
    // From here on the file holds an archive, whole or damaged.
    reader.Damaged = true;
    if (!ReadExact(reader.File, header.Magic.data(), header.Magic.size())) {
      return Fail(reader, "appended archive header truncated");
    }
  } else {
    reader.Damaged = StartsWithArchiveMagic(header.Magic.data(), got);
    if (got < header.Magic.size()) return Fail(reader, "file too short for an archive header");
  }
  uint8_t count[4];
  if (!ReadExact(reader.File, header.Description.data(), header.Description.size()) ||
      !ReadExact(reader.File, count, sizeof count)) {
    return Fail(reader, "archive header truncated");
  }
  header.LegacyCount = ReadLE32(count);
  if (header.LegacyCount != 0) {
    return IndexLegacyLayout(reader, static_cast<int32_t>(header.LegacyCount));
  }
  return IndexCurrentLayout(reader);
}

void EndInflate(PackageReader& reader) {
  if (reader.InflateState == TInflateState::Inflating) {
    inflateEnd(&reader.Inflate);
    reader.InflateState = TInflateState::Ready;
  }
}

void MarkReadFailed(PackageReader& reader, std::string reason) {
  if (reader.InflateState == TInflateState::Inflating) inflateEnd(&reader.Inflate);
  reader.InflateState = TInflateState::Failed;
  reader.EntryFailed = true;
  reader.FailureReason = std::move(reason);
}

size_t InflateEntryData(PackageReader& reader, uint8_t* buffer, size_t count) {
  if (reader.InflateState != TInflateState::Inflating) return 0;
  z_stream& z = reader.Inflate;
  const size_t request = std::min<size_t>(count, UINT_MAX);
  z.next_out = buffer;
  z.avail_out = static_cast<uInt>(request);
  while (z.avail_out > 0) {
    if (z.avail_in == 0) {
      z.next_in = reader.InputBuffer.data();
      z.avail_in = static_cast<uInt>(
          ReadEntryStoredData(reader, reader.InputBuffer.data(), reader.InputBuffer.size()));
      if (reader.EntryFailed) return 0;
    }
    const uInt inBefore = z.avail_in;
    const uInt outBefore = z.avail_out;
    const int result = inflate(&z, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      EndInflate(reader);
      reader.EntryFinished = true;
      return request - z.avail_out;
    }
    if ((result != Z_OK && result != Z_BUF_ERROR) ||
        (z.avail_in == inBefore && z.avail_out == outBefore)) {
      MarkReadFailed(reader, "compressed data of entry \"" + reader.Entries[reader.Current].Name +
                                 "\" is corrupt or incomplete");
      return 0;
    }
  }
  return request;
}

bool ExtractSelected(PackageReader& reader, std::string& stream) {
  const PackageEntry& entry = reader.Entries[reader.Current];
  uint64_t expected = entry.UncompressedSize;
  if (entry.Compressed) {
    expected = std::min(expected, MaxInflatedSize(entry.StoredSize));
  } else {
    expected = entry.StoredSize;
  }
  // Room for the size the header gives, as far as the data could fill it;
  // memory is touched only as the data arrives, so a size the data does not
  // live up to costs nothing.
  std::string data;
  data.reserve(static_cast<size_t>(std::min(expected, kMaxReserve)));
  std::vector<char> step(kExtractStep);
  for (;;) {
    const size_t got = ReadEntryData(reader, step.data(), step.size());
    if (got == 0) break;
    data.append(step.data(), got);
  }
  if (reader.EntryFailed) return false;
  if (entry.Compressed ? !reader.EntryFinished : reader.StoredRead != entry.StoredSize) {
    reader.FailureReason = "data of entry \"" + entry.Name + "\" ends early";
    return false;
  }
  stream.swap(data);
  return true;
}

}  // namespace

PackageReader::PackageReader() = default;

PackageReader::~PackageReader() { ClosePackage(*this); }

bool HasMagic(const std::string& path, std::string_view magic) {
  std::FILE* file = native::OpenFile(path, "rb");
  if (file == nullptr) return false;
  std::string head(magic.size(), '\0');
  const bool read = ReadExact(file, head.data(), head.size());
  std::fclose(file);
  return read && head == magic;
}

bool OpenPackage(const std::string& path, PackageReader& reader) {
  ClosePackage(reader);
  std::FILE* file = native::OpenFile(path, "rb");
  if (file == nullptr) return Fail(reader, "cannot open the file");
  // Entries are read in small pieces; a larger buffer saves system calls.
  std::setvbuf(file, nullptr, _IOFBF, 64 * 1024);
  return OpenPackageFile(file, reader);
}

bool OpenPackageFile(std::FILE* file, PackageReader& reader) {
  ClosePackage(reader);
  if (file == nullptr) return Fail(reader, "no file");
  reader.File = file;
  if (!IndexArchive(reader)) {
    std::string reason = std::move(reader.FailureReason);
    const bool damaged = reader.Damaged;
    ClosePackage(reader);
    reader.FailureReason = std::move(reason);
    reader.Damaged = damaged;
    return false;
  }
  reader.EntryCount = static_cast<int>(reader.Entries.size());
  BuildEntryIndex(reader);
  reader.FailureReason.clear();
  reader.Damaged = false;
  return true;
}

void ClosePackage(PackageReader& reader) {
  EndInflate(reader);
  if (reader.File != nullptr) std::fclose(reader.File);
  reader.File = nullptr;
  reader.FileSize = 0;
  reader.EntryCount = 0;
  reader.DataStart = 0;
  reader.ArchiveStart = 0;
  reader.EndMarkerPosition = 0;
  reader.Legacy = false;
  reader.Header = PackageHeader{};
  reader.Entries.clear();
  reader.Entries.shrink_to_fit();
  reader.EntryIndex = {};
  reader.InputBuffer = std::vector<uint8_t>();
  reader.Current = -1;
  reader.ScrambleCounter = 0;
  reader.StoredRead = 0;
  reader.EntryFinished = false;
  reader.EntryFailed = false;
  reader.InflateState = TInflateState::Ready;
  reader.FailureReason.clear();
  reader.Damaged = false;
}

bool IsPackageOpen(const PackageReader& reader) { return reader.File != nullptr; }

namespace {

// Whether name differs from its lookup form: a "/", or a part that is empty,
// "." or "..". Most entry names are plain, and are compared without being
// rebuilt.
bool NeedsLookupForm(std::string_view name) {
  size_t partStart = 0;
  for (size_t i = 0; i <= name.size();) {
    const bool end = i == name.size();
    const size_t n = end ? 1 : sjis::CharLength(name, i);
    if (end || (n == 1 && (name[i] == '\\' || name[i] == '/'))) {
      if (!end && name[i] == '/') return true;
      const std::string_view part = name.substr(partStart, i - partStart);
      if (part.empty() || part == "." || part == "..") return true;
      partStart = i + 1;
    }
    i += n;
  }
  return false;
}

}  // namespace

std::string PackageLookupName(std::string_view name) {
  if (!NeedsLookupForm(name)) return std::string(name);
  std::vector<std::string> parts;
  if (!TFileSystem::SplitSafeName(std::string(name), parts)) return "";
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += '\\';
    joined += part;
  }
  return joined;
}

namespace {

// The key of EntryIndex for a name already in its lookup form.
std::string IndexKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = UpperPackageNameByte(c);
  return key;
}

void IndexName(PackageReader& reader, std::string_view name, int index) {
  int& slot = reader.EntryIndex.try_emplace(IndexKey(name), index).first->second;
  if (slot < index) slot = index;
}

}  // namespace

void BuildEntryIndex(PackageReader& reader) {
  reader.EntryIndex.clear();
  reader.EntryIndex.reserve(reader.Entries.size());
  for (int i = 0; i < static_cast<int>(reader.Entries.size()); ++i) {
    const std::string& entryName = reader.Entries[i].Name;
    // An entry answers to its name as stored and to the lookup form of it.
    IndexName(reader, entryName, i);
    if (!NeedsLookupForm(entryName)) continue;
    const std::string entryKey = PackageLookupName(entryName);
    if (!entryKey.empty()) IndexName(reader, entryKey, i);
  }
}

int FindEntry(const PackageReader& reader, std::string_view name) {
  const std::string wanted = PackageLookupName(name);
  const std::string_view key = wanted.empty() ? name : std::string_view(wanted);
  const auto found = reader.EntryIndex.find(IndexKey(key));
  return found == reader.EntryIndex.end() ? -1 : found->second;
}

bool SelectEntry(PackageReader& reader, int index) {
  if (reader.File == nullptr || index < 0 || index >= static_cast<int>(reader.Entries.size())) {
    return false;
  }
  EndInflate(reader);
  // A failure belongs to the entry it happened on; a new selection starts
  // afresh.
  reader.InflateState = TInflateState::Ready;
  reader.Current = -1;
  reader.ScrambleCounter = 0;
  reader.StoredRead = 0;
  reader.EntryFinished = false;
  reader.EntryFailed = false;
  const PackageEntry& entry = reader.Entries[index];
  if (!SeekTo(reader.File, entry.DataPosition)) return Fail(reader, "cannot seek in the file");
  if (entry.Compressed) {
    reader.InputBuffer.resize(kPackageReadBufferSize);
    reader.Inflate = z_stream{};
    reader.Inflate.next_in = reader.InputBuffer.data();
    reader.Inflate.avail_in = 0;
    if (inflateInit(&reader.Inflate) != Z_OK) {
      reader.InflateState = TInflateState::Failed;
      return Fail(reader, "cannot start zlib");
    }
    reader.InflateState = TInflateState::Inflating;
  }
  reader.Current = index;
  return true;
}

bool SelectEntryByName(PackageReader& reader, std::string_view name) {
  return SelectEntry(reader, FindEntry(reader, name));
}

size_t ReadEntryStoredData(PackageReader& reader, void* buffer, size_t count) {
  if (reader.File == nullptr || reader.Current < 0 || reader.EntryFailed) return 0;
  const PackageEntry& entry = reader.Entries[reader.Current];
  const size_t wanted = std::min<size_t>(count, entry.StoredSize - reader.StoredRead);
  if (wanted == 0) return 0;
  const size_t got = std::fread(buffer, 1, wanted, reader.File);
  if (got < wanted) {
    MarkReadFailed(reader, "cannot read the data of entry \"" + entry.Name + "\"");
    if (got == 0) return 0;
  }
  reader.StoredRead += static_cast<uint32_t>(got);
  if (entry.Scrambled) {
    reader.ScrambleCounter = ScramblePackageData(static_cast<uint8_t*>(buffer), got,
                                                 reader.Header.KeyTable, reader.ScrambleCounter);
  }
  return got;
}

size_t ReadEntryData(PackageReader& reader, void* buffer, size_t count) {
  if (reader.File == nullptr || reader.Current < 0 || count == 0) return 0;
  if (reader.Entries[reader.Current].Compressed) {
    return InflateEntryData(reader, static_cast<uint8_t*>(buffer), count);
  }
  const size_t got = ReadEntryStoredData(reader, buffer, count);
  if (reader.StoredRead == reader.Entries[reader.Current].StoredSize) reader.EntryFinished = true;
  return got;
}

bool ExtractEntry(PackageReader& reader, std::string_view name, std::string& stream) {
  return ExtractEntryByIndex(reader, FindEntry(reader, name), stream);
}

bool ExtractEntryByIndex(PackageReader& reader, int index, std::string& stream) {
  if (!SelectEntry(reader, index)) return false;
  return ExtractSelected(reader, stream);
}

bool LoadEntryStrings(PackageReader& reader, std::string_view name, TStringList& list) {
  std::string stream;
  if (!ExtractEntry(reader, name, stream)) return false;
  list = TextToStrings(stream);
  return true;
}

}  // namespace pelto5
