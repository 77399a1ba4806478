// Writing a package container: a new archive, an archive appended to an
// executable, or more entries added to an existing archive; entries stored
// plain, zlib-compressed and/or scrambled with the archive's key table.
//
// The archive is written to "<path>.tmp" and only moved onto path (flushed
// to the disk first, see TAtomicFile) by a successful FinishPackage. Any failure on the way (a refused name, a write
// error) marks the writer failed: FinishPackage then deletes the temporary
// file and returns false, so a failed write never leaves a file behind that
// could pass for a good archive, and an archive opened for append stays as
// it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include <zlib.h>

#include "content/PackageFormat.h"
#include "base/AtomicFile.h"
#include "base/KeyValueList.h"

namespace pelto5 {

constexpr size_t kPackageWriteBufferSize = 1024;

struct PackageWriter {
  PackageWriter();
  // Discards an unfinished archive.
  ~PackageWriter();
  PackageWriter(const PackageWriter&) = delete;
  PackageWriter& operator=(const PackageWriter&) = delete;

  // Set by the caller before BeginEntry; each entry takes the values in
  // force when it begins.
  bool Compressed = false;
  bool Flag23 = false;
  bool Extract = false;
  bool NoExtract = false;
  bool Scrambled = false;
  uint32_t Attribute = 0;

  // The file being written and its stream (null while no archive is being
  // written).
  TAtomicFile Target;
  std::FILE* File = nullptr;
  std::string Path;      // the archive's final name
  std::string TempPath;  // where it is written until FinishPackage
  uint64_t Position = 0;       // bytes written to the file so far
  uint64_t EntryPosition = 0;  // header of the current entry
  uint64_t DataStart = 0;      // data of the current entry
  PackageHeader Header;        // magic and key table
  bool MagicSet = false;
  // Entries added to an existing archive are never scrambled: its key
  // table is not known to the writer.
  bool Appending = false;

  // The current entry: name and flags as begun, running sizes and checksum.
  bool InEntry = false;
  PackageEntry Entry;
  uint64_t UncompressedSize = 0;
  uint32_t DataChecksum = 0;
  uint32_t ScrambleCounter = 0;
  z_stream Deflate{};
  bool Deflating = false;
  std::array<uint8_t, kPackageWriteBufferSize> OutputBuffer{};

  bool Failed = false;
  std::string FailureReason;
  // The failure was the disk's: the file could not be created, written or
  // put in place (a full disk, the file-size limit, a read-only folder),
  // rather than something about the archive or the entries.
  bool WriteFailed = false;
};

// A failure while an archive is being written sticks: every later step
// does nothing, and FinishPackage reports it. So the steps that add entries
// may go unchecked; FinishPackage's result may not.

// Clears all fields; an unfinished archive is discarded.
void ResetWriter(PackageWriter& writer);
// Fails, leaving the magic unset, for a magic longer than 8 bytes or empty.
bool SetWriterMagic(PackageWriter& writer, std::string_view magic);

// Starts a new archive at path with a fresh random key table. Needs a magic.
[[nodiscard]] bool CreatePackage(PackageWriter& writer, const std::string& path);
// The same, after a copy of the executable and the appended-package
// marker. Fails for an executable that does not start with "MZ" or that
// already holds a marker (a reader would look for the archive there).
[[nodiscard]] bool CreateAppendedPackage(PackageWriter& writer, const std::string& path,
                                         const std::string& executablePath);
// Continues an existing archive: it must open as a current-layout archive
// whose end marker "EP" is its last two bytes. New entries take the place of
// the end marker.
[[nodiscard]] bool OpenPackageForAppend(PackageWriter& writer, const std::string& path);

// Starts an entry; fails (and fails the archive) for a name over 255 bytes.
bool BeginEntry(PackageWriter& writer, std::string_view name);
// Appends bytes to the current entry; returns the number accepted (count,
// or 0 after a failure).
size_t WriteEntryData(PackageWriter& writer, const void* data, size_t count);
// Completes the current entry's header.
bool EndEntry(PackageWriter& writer);

bool AddEntryFromStream(PackageWriter& writer, std::string_view stream, std::string_view name);
// The lines with CR LF after each.
bool AddEntryFromStrings(PackageWriter& writer, const TStringList& list, std::string_view name);

// Ends an open entry, writes the end marker and puts the archive in place.
// False, and no archive at path changed, if anything failed.
[[nodiscard]] bool FinishPackage(PackageWriter& writer);

}  // namespace pelto5
