#include "content/PackageWriter.h"
#include "base/NativeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "content/PackageReader.h"

namespace pelto5 {

namespace {

// Size of the pieces in which files are copied and plain data is scrambled.
constexpr size_t kCopyBlockSize = 64 * 1024;

bool Fail(PackageWriter& writer, std::string reason) {
  if (!writer.Failed) writer.FailureReason = std::move(reason);
  writer.Failed = true;
  return false;
}

bool FailWriting(PackageWriter& writer, std::string reason) {
  if (!writer.Failed) writer.WriteFailed = true;
  return Fail(writer, std::move(reason));
}

bool SeekTo(std::FILE* file, uint64_t position) { return native::SeekFile(file, position); }

// Why the write just made failed, as the system words it.
std::string WriteError(const PackageWriter& writer) {
  const int error = errno;
  return "cannot write " + writer.TempPath + (error != 0 ? ": " + std::string(std::strerror(error)) : "");
}

bool WriteRaw(PackageWriter& writer, const void* data, size_t count) {
  if (writer.Failed) return false;
  errno = 0;
  if (count > 0 && std::fwrite(data, 1, count, writer.File) != count) {
    return FailWriting(writer, WriteError(writer));
  }
  writer.Position += count;
  return true;
}

void EndDeflate(PackageWriter& writer) {
  if (writer.Deflating) deflateEnd(&writer.Deflate);
  writer.Deflating = false;
}

// Closes and deletes the temporary file of an unfinished archive.
void DiscardFile(PackageWriter& writer) {
  EndDeflate(writer);
  writer.Target.Discard();
  writer.File = nullptr;
  writer.InEntry = false;
}

// Opens the temporary file for a new archive at path.
bool StartFile(PackageWriter& writer, const std::string& path) {
  if (writer.File != nullptr) return Fail(writer, "the writer already has an open archive");
  writer.Failed = false;
  writer.WriteFailed = false;
  writer.FailureReason.clear();
  writer.Path = path;
  writer.TempPath = path + ".tmp";
  writer.Position = 0;
  writer.Appending = false;
  writer.InEntry = false;
  if (!writer.Target.Open(path)) {
    return FailWriting(writer, "cannot create " + writer.TempPath + ": " + writer.Target.FailureText());
  }
  writer.File = writer.Target.File();
  std::setvbuf(writer.File, nullptr, _IOFBF, 64 * 1024);
  return true;
}

void FillKeyTable(TPackageKeyTable& keys) {
  std::random_device random;
  for (size_t i = 0; i < keys.size(); i += 4) {
    const uint32_t value = random();
    for (size_t k = 0; k < 4 && i + k < keys.size(); ++k) {
      keys[i + k] = static_cast<uint8_t>(value >> (8 * k));
    }
  }
}

bool WriteArchiveHeader(PackageWriter& writer) {
  PackageHeader& header = writer.Header;
  header.Description.fill(0);
  header.LegacyCount = 0;
  header.Flags = 0;
  header.Attribute = 0;
  FillKeyTable(header.KeyTable);
  header.Checksum = PackageHeaderChecksum(header);
  uint8_t bytes[kPackageHeaderSize] = {};
  std::memcpy(bytes, header.Magic.data(), kPackageMagicSize);
  // Description and legacy count stay zero.
  WriteBE32(bytes + 268, header.Flags);
  WriteBE32(bytes + 272, header.Attribute);
  WriteBE32(bytes + 276, header.Checksum);
  std::memcpy(bytes + 280, header.KeyTable.data(), kPackageKeyTableSize);
  return WriteRaw(writer, bytes, sizeof bytes);
}

// Copies the first count bytes of source (or all of it) to the archive
// file; with scanMarker, fails if they hold an appended-package marker.
bool CopyFileInto(PackageWriter& writer, std::FILE* source, uint64_t count, bool scanMarker,
                  const std::string& sourcePath) {
  std::vector<uint8_t> block(kCopyBlockSize);
  uint64_t copied = 0;
  size_t dashes = 0;
  while (copied < count) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), count - copied));
    const size_t got = std::fread(block.data(), 1, want, source);
    if (got == 0) break;
    for (size_t i = 0; scanMarker && i < got; ++i) {
      if (copied + i < kPackageMarkerScanStart) continue;
      if (block[i] == '+' && dashes >= kPackageMarkerMinDashes) {
        return Fail(writer, sourcePath + " already holds an appended-package marker");
      }
      dashes = block[i] == '-' ? dashes + 1 : 0;
    }
    if (!WriteRaw(writer, block.data(), got)) return false;
    copied += got;
  }
  if (std::ferror(source)) return Fail(writer, "cannot read " + sourcePath);
  if (count != UINT64_MAX && copied != count) return Fail(writer, "cannot read " + sourcePath);
  return true;
}

// One piece of stored data: into the data checksum as it is, then
// scrambled if the entry is, then written.
bool EmitStored(PackageWriter& writer, const uint8_t* data, size_t count) {
  writer.DataChecksum = PackageChecksum(data, count, writer.DataChecksum);
  if (!writer.Entry.Scrambled) return WriteRaw(writer, data, count);
  uint8_t block[4096];
  while (count > 0) {
    const size_t n = std::min(count, sizeof block);
    std::memcpy(block, data, n);
    writer.ScrambleCounter =
        ScramblePackageData(block, n, writer.Header.KeyTable, writer.ScrambleCounter);
    if (!WriteRaw(writer, block, n)) return false;
    data += n;
    count -= n;
  }
  return true;
}

// Runs deflate over the pending input with the given flush mode and writes
// every output buffer it fills.
bool RunDeflate(PackageWriter& writer, int flush) {
  z_stream& z = writer.Deflate;
  for (;;) {
    z.next_out = writer.OutputBuffer.data();
    z.avail_out = static_cast<uInt>(writer.OutputBuffer.size());
    const int result = deflate(&z, flush);
    if (result == Z_STREAM_ERROR) return Fail(writer, "zlib failed to compress");
    const size_t produced = writer.OutputBuffer.size() - z.avail_out;
    if (!EmitStored(writer, writer.OutputBuffer.data(), produced)) return false;
    if (flush == Z_FINISH) {
      if (result == Z_STREAM_END) return true;
    } else if (z.avail_in == 0 && z.avail_out != 0) {
      return true;
    }
    if (produced == 0 && result == Z_BUF_ERROR) return Fail(writer, "zlib failed to compress");
  }
}

}  // namespace

PackageWriter::PackageWriter() = default;

PackageWriter::~PackageWriter() { DiscardFile(*this); }

void ResetWriter(PackageWriter& writer) {
  DiscardFile(writer);
  writer.Compressed = false;
  writer.Flag23 = false;
  writer.Extract = false;
  writer.NoExtract = false;
  writer.Scrambled = false;
  writer.Attribute = 0;
  writer.Path.clear();
  writer.TempPath.clear();
  writer.Position = 0;
  writer.EntryPosition = 0;
  writer.DataStart = 0;
  writer.Header = PackageHeader{};
  writer.MagicSet = false;
  writer.Appending = false;
  writer.Entry = PackageEntry{};
  writer.UncompressedSize = 0;
  writer.DataChecksum = 0;
  writer.ScrambleCounter = 0;
  writer.Failed = false;
  writer.WriteFailed = false;
  writer.FailureReason.clear();
}

bool SetWriterMagic(PackageWriter& writer, std::string_view magic) {
  if (magic.empty() || magic.size() > kPackageMagicSize) {
    writer.MagicSet = false;
    writer.FailureReason = "magic must be 1 to 8 bytes long";
    return false;
  }
  writer.Header.Magic.fill(0);
  std::memcpy(writer.Header.Magic.data(), magic.data(), magic.size());
  writer.MagicSet = true;
  return true;
}

bool CreatePackage(PackageWriter& writer, const std::string& path) {
  if (!writer.MagicSet) return Fail(writer, "no archive magic set");
  if (!StartFile(writer, path)) return false;
  if (!WriteArchiveHeader(writer)) {
    DiscardFile(writer);
    return false;
  }
  return true;
}

bool CreateAppendedPackage(PackageWriter& writer, const std::string& path,
                           const std::string& executablePath) {
  if (!writer.MagicSet) return Fail(writer, "no archive magic set");
  std::FILE* executable = native::OpenFile(executablePath, "rb");
  if (executable == nullptr) return Fail(writer, "cannot open " + executablePath);
  char head[2] = {};
  const bool isExecutable = std::fread(head, 1, 2, executable) == 2 && head[0] == 'M' && head[1] == 'Z';
  if (!isExecutable || std::fseek(executable, 0, SEEK_SET) != 0) {
    std::fclose(executable);
    return Fail(writer, executablePath + " does not start with \"MZ\"");
  }
  bool ok = StartFile(writer, path) && CopyFileInto(writer, executable, UINT64_MAX, true, executablePath);
  std::fclose(executable);
  if (ok) {
    std::string marker(kPackageMarkerDashes, '-');
    marker += '+';
    ok = WriteRaw(writer, marker.data(), marker.size()) && WriteArchiveHeader(writer);
  }
  if (!ok) DiscardFile(writer);
  return ok;
}

bool OpenPackageForAppend(PackageWriter& writer, const std::string& path) {
  uint64_t keep = 0;
  {
    PackageReader reader;
    if (!OpenPackage(path, reader)) return Fail(writer, path + ": " + reader.FailureReason);
    if (reader.Legacy) return Fail(writer, path + " is a legacy archive");
    if (reader.EndMarkerPosition + 2 != reader.FileSize) {
      return Fail(writer, path + " does not end with its end marker");
    }
    keep = reader.EndMarkerPosition;
  }
  std::FILE* source = native::OpenFile(path, "rb");
  if (source == nullptr) return Fail(writer, "cannot open " + path);
  bool ok = StartFile(writer, path) && CopyFileInto(writer, source, keep, false, path);
  std::fclose(source);
  if (!ok) {
    DiscardFile(writer);
    return false;
  }
  writer.Appending = true;
  return true;
}

bool BeginEntry(PackageWriter& writer, std::string_view name) {
  if (writer.File == nullptr) return Fail(writer, "no archive is open for writing");
  if (writer.Failed) return false;
  if (writer.InEntry && !EndEntry(writer)) return false;
  if (name.size() > kPackageMaxNameLength) {
    return Fail(writer, "entry name longer than 255 bytes: " + std::string(name));
  }
  PackageEntry& entry = writer.Entry;
  entry = PackageEntry{};
  entry.Name.assign(name);
  entry.Compressed = writer.Compressed;
  entry.Flag23 = writer.Flag23;
  entry.Extract = writer.Extract;
  entry.NoExtract = writer.NoExtract;
  entry.Scrambled = writer.Scrambled && !writer.Appending;
  entry.Attribute = writer.Attribute;
  writer.EntryPosition = writer.Position;
  const std::string placeholder(kPackageEntryFixedSize + name.size(), '\0');
  if (!WriteRaw(writer, placeholder.data(), placeholder.size())) return false;
  writer.DataStart = writer.Position;
  writer.UncompressedSize = 0;
  writer.DataChecksum = 0;
  writer.ScrambleCounter = 0;
  if (entry.Compressed) {
    writer.Deflate = z_stream{};
    if (deflateInit(&writer.Deflate, Z_DEFAULT_COMPRESSION) != Z_OK) {
      return Fail(writer, "cannot start zlib");
    }
    writer.Deflating = true;
  }
  writer.InEntry = true;
  return true;
}

size_t WriteEntryData(PackageWriter& writer, const void* data, size_t count) {
  if (writer.File == nullptr || !writer.InEntry || writer.Failed) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < count) {
    const size_t n = std::min<size_t>(count - done, UINT_MAX);
    if (writer.Entry.Compressed) {
      writer.Deflate.next_in = const_cast<Bytef*>(bytes + done);
      writer.Deflate.avail_in = static_cast<uInt>(n);
      if (!RunDeflate(writer, Z_NO_FLUSH)) return 0;
    } else if (!EmitStored(writer, bytes + done, n)) {
      return 0;
    }
    done += n;
  }
  writer.UncompressedSize += count;
  return count;
}

bool EndEntry(PackageWriter& writer) {
  if (writer.File == nullptr || !writer.InEntry) return Fail(writer, "no entry has been begun");
  writer.InEntry = false;
  if (writer.Failed) return false;
  if (writer.Deflating) {
    writer.Deflate.next_in = nullptr;
    writer.Deflate.avail_in = 0;
    const bool finished = RunDeflate(writer, Z_FINISH);
    EndDeflate(writer);
    if (!finished) return false;
  }
  PackageEntry& entry = writer.Entry;
  const uint64_t stored = writer.Position - writer.DataStart;
  if (stored > UINT32_MAX || writer.UncompressedSize > UINT32_MAX) {
    return Fail(writer, "entry \"" + entry.Name + "\" is larger than 4 GiB");
  }
  entry.StoredSize = static_cast<uint32_t>(stored);
  entry.UncompressedSize = static_cast<uint32_t>(writer.UncompressedSize);
  entry.DataChecksum = writer.DataChecksum;
  const std::string header = PackageEntryHeaderBytes(entry);
  const uint64_t end = writer.Position;
  // Seeking flushes what was written before: a full disk shows here too.
  errno = 0;
  if (!SeekTo(writer.File, writer.EntryPosition) ||
      std::fwrite(header.data(), 1, header.size(), writer.File) != header.size() ||
      !SeekTo(writer.File, end)) {
    return FailWriting(writer, WriteError(writer));
  }
  return true;
}

bool AddEntryFromStream(PackageWriter& writer, std::string_view stream, std::string_view name) {
  if (!BeginEntry(writer, name)) return false;
  if (WriteEntryData(writer, stream.data(), stream.size()) != stream.size()) return false;
  return EndEntry(writer);
}

bool AddEntryFromStrings(PackageWriter& writer, const TStringList& list, std::string_view name) {
  return AddEntryFromStream(writer, StringsToText(list), name);
}

bool FinishPackage(PackageWriter& writer) {
  if (writer.File == nullptr) return Fail(writer, "no archive is open for writing");
  if (writer.InEntry) EndEntry(writer);
  const bool written = !writer.Failed && WriteRaw(writer, "EP", 2);
  if (!written) {
    DiscardFile(writer);
    return false;
  }
  // Flushed to the disk and moved into place; the old file stays until
  // the new one is complete there.
  writer.File = nullptr;
  if (!writer.Target.Commit()) {
    return FailWriting(writer, "cannot replace " + writer.Path + ": " + writer.Target.FailureText());
  }
  return true;
}

}  // namespace pelto5
