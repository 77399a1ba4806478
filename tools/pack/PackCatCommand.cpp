#include "PackCatCommand.h"

#include <cstdio>

#include "PackToolSupport.h"
#include "content/PackageReader.h"
#include "base/SjisText.h"

namespace pelto5::pack {

namespace {

constexpr const char* kUsage =
    "usage: pelto5-pack cat FILE ENTRY\n"
    "\n"
    "Writes the data of ENTRY (UTF-8, \"\\\" or \"/\" between folders, ASCII letters\n"
    "in any case) to standard output.\n";

}  // namespace

int TPackCatCommand::Run(const std::vector<std::string>& args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (args.size() != 2) return UsageError("cat needs FILE and ENTRY", kUsage);
  PackageReader reader;
  if (!OpenArchive(args[0], reader)) return kExitFailure;
  const int index = FindEntry(reader, EntryNameFromArgument(args[1]));
  if (index < 0) {
    ReportProblem(args[0], "no entry \"" + args[1] + "\"");
    return kExitFailure;
  }
  std::string data;
  if (!ExtractEntryByIndex(reader, index, data)) {
    ReportProblem(args[0], DisplayName(reader.FailureReason));
    return kExitFailure;
  }
  if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout) != 0) {
    ReportProblem("standard output", "cannot write");
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace pelto5::pack
