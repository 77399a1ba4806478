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
  // and the name lookup found an entry of that name.
  bool Consistent = true;
};

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
    if (found < i || !SamePackageEntryName(reader.Entries[found].Name, reader.Entries[i].Name)) {
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
