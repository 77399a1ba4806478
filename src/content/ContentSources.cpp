#include "content/ContentSources.h"

#include "base/DeviceNames.h"
#include "platform/FileSystem.h"

namespace pelto5 {

const char* const kNoEntry = "No Entry";

TContentSources::~TContentSources() {
  Close(TContainer::Save);
  Close(TContainer::Library);
  Close(TContainer::Package);
}

bool TContentSources::OpenPackage(const std::string& path) { return pelto5::OpenPackage(path, FPackage); }

bool TContentSources::OpenLibrary(const std::string& path) {
  Close(TContainer::Library);
  return HasMagic(path, "PV5LIB") && pelto5::OpenPackage(path, FLibrary);
}

bool TContentSources::OpenSave(const std::string& path) {
  Close(TContainer::Save);
  return HasMagic(path, "PV5SAVE") && pelto5::OpenPackage(path, FSaveReader);
}

void TContentSources::Close(TContainer container) { ClosePackage(Reader(container)); }

bool TContentSources::IsOpen(TContainer container) const { return IsPackageOpen(Reader(container)); }

PackageReader& TContentSources::Reader(TContainer container) {
  switch (container) {
    case TContainer::Save:
      return FSaveReader;
    case TContainer::Package:
      return FPackage;
    case TContainer::Library:
      break;
  }
  return FLibrary;
}

const PackageReader& TContentSources::Reader(TContainer container) const {
  return const_cast<TContentSources*>(this)->Reader(container);
}

bool TContentSources::ReadEntry(TContainer container, const std::string& name, std::string& bytes) {
  PackageReader& reader = Reader(container);
  return IsPackageOpen(reader) && ExtractEntry(reader, name, bytes);
}

bool TContentSources::LoadText(TContainer container, std::string_view name, TStringList& list) {
  PackageReader& reader = Reader(container);
  return IsPackageOpen(reader) && LoadEntryStrings(reader, name, list);
}

const PackageEntry* TContentSources::FindEntryRecord(TContainer container, const std::string& name) const {
  const PackageReader& reader = Reader(container);
  if (!IsPackageOpen(reader)) return nullptr;
  const int index = FindEntry(reader, name);
  return index < 0 ? nullptr : &reader.Entries[index];
}

void TContentSources::ExtractPackageInto(const std::string& folder) {
  for (int i = 0; i < static_cast<int>(FPackage.Entries.size()); ++i) {
    const PackageEntry& entry = FPackage.Entries[i];
    if (!ExtractedAtStart(entry)) continue;
    const std::string target = TFileSystem::ResolveName(folder, entry.Name);
    if (target.empty() || TFileSystem::FileExists(target) || NamesDevice(entry.Name)) continue;
    if (folder != FDataDirectory && !FDataDirectory.empty() &&
        TFileSystem::FileExists(TFileSystem::ResolveName(FDataDirectory, entry.Name))) {
      continue;
    }
    std::string data;
    if (!ExtractEntryByIndex(FPackage, i, data)) continue;
    // Best effort: an entry that cannot be written is left out, and the
    // next start tries it again.
    (void)TFileSystem::WriteFileAtomic(target, data);
  }
}

bool TContentSources::LoadTextEntry(const std::string& name, TStringList& list) {
  for (PackageReader* reader : {&FSaveReader, &FPackage, &FLibrary}) {
    if (IsPackageOpen(*reader) && LoadEntryStrings(*reader, name, list)) return true;
  }
  return false;
}

bool TContentSources::LoadEntryBytes(const std::string& name, std::string& bytes) {
  for (TContainer container : {TContainer::Save, TContainer::Package, TContainer::Library}) {
    if (ReadEntry(container, name, bytes)) return true;
  }
  return false;
}

bool TContentSources::HasEntry(const std::string& name) const {
  for (const PackageReader* reader : {&FSaveReader, &FPackage, &FLibrary}) {
    if (IsPackageOpen(*reader) && FindEntry(*reader, name) >= 0) return true;
  }
  return false;
}

int TContentSources::DataDirectoryDepth() const {
  if (FContentDirectory.empty() || !FDataDirectory.starts_with(FContentDirectory)) return 0;
  int depth = 0;
  const std::string rest = FDataDirectory.substr(FContentDirectory.size());
  size_t from = 0;
  while (from < rest.size()) {
    size_t slash = rest.find('/', from);
    if (slash == std::string::npos) slash = rest.size();
    const std::string part = rest.substr(from, slash - from);
    if (part == "..") return 0;
    if (!part.empty() && part != ".") ++depth;
    from = slash + 1;
  }
  return depth;
}

std::string TContentSources::FindDataFile(const std::string& name) const {
  if (!FDataDirectory.empty()) {
    // A name may step out of the data directory with ".." as long as it
    // stays inside the content's folder.
    const std::string p = TFileSystem::ResolveName(FDataDirectory, name, DataDirectoryDepth());
    if (TFileSystem::FileExists(p)) return p;
  }
  if (!FExtractDirectory.empty()) {
    const std::string p = TFileSystem::ResolveName(FExtractDirectory, name);
    if (TFileSystem::FileExists(p)) return p;
  }
  const std::string p = TFileSystem::ResolveName(FContentDirectory.empty() ? "./" : FContentDirectory, name);
  if (TFileSystem::FileExists(p)) return p;
  return kNoEntry;
}

}  // namespace pelto5
