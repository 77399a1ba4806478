#include "PackListCommand.h"

#include <cstdio>

#include "PackToolSupport.h"
#include "content/PackageReader.h"

namespace pelto5::pack {

namespace {

constexpr const char* kUsage =
    "usage: pelto5-pack list FILE\n"
    "\n"
    "Prints one line per entry, fields separated by tabs: the name (UTF-8, \"\\\"\n"
    "between folders), the stored size, the size, and the flags: c compressed,\n"
    "s scrambled, x extract, n no-extract (\"-\" for none).\n";

std::string FlagLetters(const PackageEntry& entry) {
  std::string letters;
  if (entry.Compressed) letters += 'c';
  if (entry.Scrambled) letters += 's';
  if (entry.Extract) letters += 'x';
  if (entry.NoExtract) letters += 'n';
  return letters.empty() ? "-" : letters;
}

}  // namespace

int TPackListCommand::Run(const std::vector<std::string>& args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    return UsageError("list needs exactly one FILE", kUsage);
  }
  PackageReader reader;
  if (!OpenArchive(args[0], reader)) return kExitFailure;
  for (const PackageEntry& entry : reader.Entries) {
    std::printf("%s\t%u\t%u\t%s\n", DisplayName(entry.Name).c_str(), entry.StoredSize,
                entry.UncompressedSize, FlagLetters(entry).c_str());
  }
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace pelto5::pack
