// TContentSources: where the scenario's files come from. It holds the
// readers of the content package, the runtime library and the save being
// loaded, and the content and data folders on disk, and answers the
// lookups every other part makes: an entry's bytes or text from the open
// containers, a file on disk by its script name.
#pragma once

#include <string>
#include <string_view>

#include "base/KeyValueList.h"
#include "content/PackageReader.h"

namespace pelto5 {

// The answer of FindDataFile for a file that is in neither folder.
extern const char* const kNoEntry;

// The three containers, in the order the lookups try them.
enum class TContainer { Save, Package, Library };

class TContentSources {
 public:
  TContentSources() = default;
  ~TContentSources();
  TContentSources(const TContentSources&) = delete;
  TContentSources& operator=(const TContentSources&) = delete;

  // --- The containers ---------------------------------------------------
  // Opens path as the content package (a package or an executable with one
  // appended); false when it is not one.
  [[nodiscard]] bool OpenPackage(const std::string& path);
  // Opens path as the runtime library: false unless it starts with
  // "PV5LIB" and opens.
  [[nodiscard]] bool OpenLibrary(const std::string& path);
  // Closes the save container, then opens path into it when it starts with
  // "PV5SAVE".
  [[nodiscard]] bool OpenSave(const std::string& path);
  void Close(TContainer container);
  [[nodiscard]] bool IsOpen(TContainer container) const;
  // The reader of one container, for the parts that look at its entries
  // themselves (the checker, the save system).
  PackageReader& Reader(TContainer container);
  const PackageReader& Reader(TContainer container) const;

  // The bytes of an entry of one container (false when it is closed or has
  // no such entry).
  [[nodiscard]] bool ReadEntry(TContainer container, const std::string& name, std::string& bytes);
  // A text entry of one container (false, list untouched, when it is
  // closed or has no such entry).
  [[nodiscard]] bool LoadText(TContainer container, std::string_view name, TStringList& list);
  // The entry record of that name in one container; null when it is closed
  // or has none.
  const PackageEntry* FindEntryRecord(TContainer container, const std::string& name) const;
  // Whether an entry goes into the data directory when content with
  // "AutoExtract" starts: its extract flag set, neither kept in the package
  // nor scrambled.
  [[nodiscard]] static bool ExtractedAtStart(const PackageEntry& entry) {
    return entry.Extract && !entry.NoExtract && !entry.Scrambled;
  }
  // Writes every package entry ExtractedAtStart into folder, unless a file
  // of its name is there already (or in the data directory, when folder is
  // another one). Names that would leave the folder, name a device
  // ("CON", "NUL", ...), and entries whose subfolder is missing, are
  // skipped.
  void ExtractPackageInto(const std::string& folder);
  // A text entry from the save, the package or the library, the first that
  // has it; there is no disk fallback.
  [[nodiscard]] bool LoadTextEntry(const std::string& name, TStringList& list);
  // The bytes of an entry from the same sources, in the same order.
  [[nodiscard]] bool LoadEntryBytes(const std::string& name, std::string& bytes);
  // Whether an open container holds an entry of that name.
  [[nodiscard]] bool HasEntry(const std::string& name) const;

  // --- The folders ------------------------------------------------------
  // Native paths ending in "/".
  const std::string& ContentDirectory() const { return FContentDirectory; }
  const std::string& DataDirectory() const { return FDataDirectory; }
  void SetContentDirectory(const std::string& folder) { FContentDirectory = folder; }
  void SetDataDirectory(const std::string& folder) { FDataDirectory = folder; }
  // Where the package's files were extracted instead of the data
  // directory, which could not be written ("" when they were not).
  const std::string& ExtractDirectory() const { return FExtractDirectory; }
  void SetExtractDirectory(const std::string& folder) { FExtractDirectory = folder; }
  // Native path of a resource file on disk (the data directory first, then
  // the folder files were extracted to instead, then the content's
  // folder), or "No Entry".
  std::string FindDataFile(const std::string& name) const;
  // How many folders the data directory lies below the content's folder
  // (0 when it is not inside it).
  int DataDirectoryDepth() const;

 private:
  PackageReader FPackage;
  PackageReader FLibrary;
  PackageReader FSaveReader;
  std::string FContentDirectory;
  std::string FDataDirectory;
  std::string FExtractDirectory;
};

}  // namespace pelto5
