// Reading a package container: opening and indexing an archive (current
// layout, executable with an appended archive, legacy layout), finding
// entries by name and reading their data, inflated and unscrambled.
//
// Every size, count and offset taken from the file is checked against the
// file's length before it is used, so a damaged or hostile archive makes an
// operation fail; it never makes the reader read outside the file or
// allocate more than the file can justify.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include <zlib.h>

#include "content/PackageFormat.h"
#include "base/KeyValueList.h"

namespace pelto5 {

// State of a reader's inflate stream.
enum class TInflateState { Failed = 0, Ready = 1, Inflating = 2 };

// Input buffer of the inflate stream. Every inflate call copies its output
// into zlib's 32 KiB window as well, so large pieces of input keep that
// overhead small.
constexpr size_t kPackageReadBufferSize = 128 * 1024;

struct PackageReader {
  PackageReader();
  ~PackageReader();
  PackageReader(const PackageReader&) = delete;
  PackageReader& operator=(const PackageReader&) = delete;

  // Null while the reader is closed.
  std::FILE* File = nullptr;
  uint64_t FileSize = 0;
  int EntryCount = 0;
  // Absolute position of the first entry (current layout) or of the data
  // area (legacy layout).
  uint64_t DataStart = 0;
  // Absolute position of the archive header (non-zero for an archive
  // appended to an executable) and of the end marker "EP".
  uint64_t ArchiveStart = 0;
  uint64_t EndMarkerPosition = 0;
  bool Legacy = false;
  PackageHeader Header;
  std::vector<PackageEntry> Entries;
  // Entry names in the form FindEntry compares, ASCII letters upper-cased,
  // to the last entry of that name; built once when the archive is opened,
  // so that a lookup does not walk thousands of entries.
  std::unordered_map<std::string, int> EntryIndex;

  // The selected entry and how far its stored data has been read.
  int Current = -1;
  uint32_t ScrambleCounter = 0;
  uint32_t StoredRead = 0;
  // The selected entry's data is complete (compressed: the zlib stream has
  // ended), or reading it failed.
  bool EntryFinished = false;
  bool EntryFailed = false;

  z_stream Inflate{};
  TInflateState InflateState = TInflateState::Ready;
  std::vector<uint8_t> InputBuffer;  // allocated on the first compressed entry

  // Why the last open or read failed, in plain words (entry names as
  // stored, Shift-JIS), naming the entry concerned where there is one.
  std::string FailureReason;
  // After a failed open: true when the file is an archive that is damaged
  // (it starts with an archive magic, or with "MZ" followed somewhere by
  // the appended-package marker), false when it is no archive at all.
  bool Damaged = false;
};

// True if the file at path starts with the bytes of magic.
[[nodiscard]] bool HasMagic(const std::string& path, std::string_view magic);

// Opens and indexes the archive at path. On failure the reader is closed
// and FailureReason says why.
[[nodiscard]] bool OpenPackage(const std::string& path, PackageReader& reader);
// The same for an already open file (read as bytes from its start); the
// reader takes the file over and closes it on failure.
[[nodiscard]] bool OpenPackageFile(std::FILE* file, PackageReader& reader);
void ClosePackage(PackageReader& reader);
[[nodiscard]] bool IsPackageOpen(const PackageReader& reader);

// Index of the last entry whose name equals name with ASCII letters folded,
// or -1. Both names are first put in the form a file name on disk is
// looked up by: "/" taken as "\", "." parts and empty parts (doubled or
// trailing separators) dropped, ".." taking back the part before it. So a
// packaged game finds the same files as the same game unpacked. A name
// that does not reduce to a plain path (a leading "..", an absolute path)
// is compared as written.
int FindEntry(const PackageReader& reader, std::string_view name);
// Builds EntryIndex from Entries (done by the open functions).
void BuildEntryIndex(PackageReader& reader);
// name in the form FindEntry compares (see there); "" when it does not
// reduce to a plain path inside the package.
std::string PackageLookupName(std::string_view name);

// Makes the entry current and restarts its data from the beginning.
[[nodiscard]] bool SelectEntry(PackageReader& reader, int index);
[[nodiscard]] bool SelectEntryByName(PackageReader& reader, std::string_view name);

// Reads up to count bytes of the current entry's data (inflated and
// unscrambled). Returns the number of bytes delivered; 0 at the end of the
// entry or on an error (then EntryFailed is set).
size_t ReadEntryData(PackageReader& reader, void* buffer, size_t count);
// Reads up to count bytes of the current entry's stored data as it was
// before scrambling: for a compressed entry the zlib stream itself. This is
// what the data checksum covers.
size_t ReadEntryStoredData(PackageReader& reader, void* buffer, size_t count);

// The whole data of an entry into stream (replacing its contents). False,
// with stream untouched, if the entry is missing or its data cannot be read
// completely.
[[nodiscard]] bool ExtractEntry(PackageReader& reader, std::string_view name, std::string& stream);
[[nodiscard]] bool ExtractEntryByIndex(PackageReader& reader, int index, std::string& stream);

// An entry read as text lines (CR LF, CR or LF separated) into list,
// replacing its contents. False, with list untouched, if the entry cannot
// be extracted.
[[nodiscard]] bool LoadEntryStrings(PackageReader& reader, std::string_view name, TStringList& list);

// An entry handed to object.LoadFromStream(const std::string&). When that
// returns bool, its result is the result; otherwise extracting decides.
template <class T>
[[nodiscard]] bool LoadEntryObject(PackageReader& reader, std::string_view name, T& object) {
  std::string stream;
  if (!ExtractEntry(reader, name, stream)) return false;
  if constexpr (std::is_same_v<decltype(object.LoadFromStream(stream)), bool>) {
    return object.LoadFromStream(stream);
  } else {
    object.LoadFromStream(stream);
    return true;
  }
}

}  // namespace pelto5
