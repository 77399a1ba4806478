// The body of the package container fuzz target, shared with the
// deterministic corruption test: open the bytes as an archive and read every
// entry in every way the engine does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "content/PackageReader.h"

namespace pelto5 {

struct TPackageFuzzResult {
  bool Opened = false;
  int Entries = 0;
  // Entries whose data could be read completely.
  int Complete = 0;
  // Reading an entry in small pieces gave the same bytes as extracting it,
  // and the name lookup found the last entry of that name.
  bool Consistent = true;
};

// An entry name in the form FindEntry compares it: its lookup form, or the
// name as written when it has none.
inline std::string PackageFuzzLookupKey(const std::string& name) {
  const std::string key = PackageLookupName(name);
  return key.empty() ? name : key;
}

inline TPackageFuzzResult RunPackageFuzzInput(const uint8_t* data, size_t size) {
  TPackageFuzzResult result;
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return result;
  if (size > 0 && std::fwrite(data, 1, size, file) != size) {
    std::fclose(file);
    return result;
  }
  PackageReader reader;
  if (!OpenPackageFile(file, reader)) return result;
  result.Opened = true;
  result.Entries = reader.EntryCount;
  std::string whole;
  std::string pieces;
  uint8_t buffer[7];
  for (int i = 0; i < reader.EntryCount; ++i) {
    const bool complete = ExtractEntryByIndex(reader, i, whole);
    if (complete) ++result.Complete;
    const int found = FindEntry(reader, reader.Entries[i].Name);
    // The last entry of the same name wins, names compared as a file name
    // on disk is looked up ("a//b" and "a\\b" are one name).
    if (found < i || !SamePackageEntryName(PackageFuzzLookupKey(reader.Entries[found].Name),
                                           PackageFuzzLookupKey(reader.Entries[i].Name))) {
      result.Consistent = false;
    }
    if (!SelectEntry(reader, i)) continue;
    pieces.clear();
    while (size_t got = ReadEntryData(reader, buffer, sizeof buffer)) {
      pieces.append(reinterpret_cast<const char*>(buffer), got);
    }
    if (complete && pieces != whole) result.Consistent = false;
  }
  ClosePackage(reader);
  return result;
}

}  // namespace pelto5
