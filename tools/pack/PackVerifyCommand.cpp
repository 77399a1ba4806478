#include "PackVerifyCommand.h"

#include <cstdio>

#include "PackToolSupport.h"

namespace pelto5::pack {

namespace {

constexpr const char* kUsage =
    "usage: pelto5-pack verify FILE\n"
    "\n"
    "Checks the archive header checksum, every entry header checksum, the data\n"
    "checksum and the complete zlib stream of every entry, the sizes, and the\n"
    "end marker. Prints each problem found; exit status 1 if there is any.\n";

constexpr size_t kBlock = 64 * 1024;

}  // namespace

int TPackVerifyCommand::Run(const std::vector<std::string>& args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    return UsageError("verify needs exactly one FILE", kUsage);
  }
  FArchive = args[0];
  // Opening checks the header and entry checksums, the tags, the sizes
  // against the file and the end marker.
  PackageReader reader;
  if (!OpenArchive(FArchive, reader)) return kExitFailure;
  CheckArchive(reader);
  TProgress progress(reader.Entries.size());
  for (int i = 0; i < reader.EntryCount; ++i) {
    progress.Step(DisplayName(reader.Entries[i].Name));
    CheckEntry(reader, i);
  }
  if (FProblems > 0) return kExitFailure;
  std::printf("%s: ok, %d entries%s\n", FArchive.c_str(), reader.EntryCount,
              reader.Legacy ? " (legacy layout: no checksums to check)" : "");
  return kExitOk;
}

void TPackVerifyCommand::Problem(const std::string& problem) {
  ReportProblem(FArchive, problem);
  ++FProblems;
}

void TPackVerifyCommand::CheckArchive(const PackageReader& reader) {
  const std::string magic(reinterpret_cast<const char*>(reader.Header.Magic.data()),
                          reader.Header.Magic.size());
  bool known = false;
  for (const char* kind : {"PV5PKG", "PV5LIB", "PV5SAVE"}) {
    std::string padded(kind);
    padded.resize(kPackageMagicSize, '\0');
    known = known || magic == padded;
  }
  if (!known) Problem("unknown magic");
  if (!reader.Legacy && reader.EndMarkerPosition + 2 != reader.FileSize) {
    Problem(std::to_string(reader.FileSize - reader.EndMarkerPosition - 2) +
            " bytes follow the end marker");
  }
}

void TPackVerifyCommand::CheckEntry(PackageReader& reader, int index) {
  const PackageEntry& entry = reader.Entries[index];
  const std::string subject = "entry \"" + DisplayName(entry.Name) + "\"";
  if (!reader.Legacy) {
    if (!SelectEntry(reader, index)) {
      Problem(subject + ": " + DisplayName(reader.FailureReason));
      return;
    }
    std::string block(kBlock, '\0');
    uint32_t checksum = 0;
    while (const size_t got = ReadEntryStoredData(reader, block.data(), block.size())) {
      checksum = PackageChecksum(block.data(), got, checksum);
    }
    if (reader.EntryFailed) {
      Problem(subject + ": " + DisplayName(reader.FailureReason));
      return;
    }
    if (checksum != entry.DataChecksum) Problem(subject + ": data checksum mismatch");
  }
  std::string data;
  if (!ExtractEntryByIndex(reader, index, data)) {
    Problem(subject + ": " + DisplayName(reader.FailureReason));
    return;
  }
  const bool sizeKnown = !(reader.Legacy && entry.Compressed);
  if (sizeKnown && data.size() != entry.UncompressedSize) {
    Problem(subject + ": holds " + std::to_string(data.size()) + " bytes, its header says " +
            std::to_string(entry.UncompressedSize));
  }
}

}  // namespace pelto5::pack
