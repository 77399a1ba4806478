#include "PackExtractCommand.h"

#include <cstdio>

#include "PackToolSupport.h"
#include "base/NativeFile.h"
#include "base/AtomicFile.h"

namespace pelto5::pack {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: pelto5-pack extract FILE [-o DIR] [ENTRY...]\n"
    "\n"
    "Writes the named entries (all entries without ENTRY) as files below DIR\n"
    "(default: the current folder), \"\\\" and \"/\" in names becoming folders. Where\n"
    "names repeat, the last entry of the name is the one written. Names that would\n"
    "leave DIR (\"..\", absolute paths, drive letters, symbolic links) or name a\n"
    "device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with any extension) are\n"
    "refused, one line each on standard error; the other entries are written.\n"
    "\n"
    "Exit status: 0 all written, 3 some entries refused for their names (the\n"
    "rest written), 1 another failure, 2 bad usage.\n";

}  // namespace

int TPackExtractCommand::Run(const std::vector<std::string>& args) {
  if (const int status = ParseArguments(args); status >= 0) return status;
  PackageReader reader;
  if (!OpenArchive(FArchive, reader)) return kExitFailure;
  bool ok = SelectEntries(reader);
  bool refused = false;
  TProgress progress(FSelected.size());
  for (int index : FSelected) {
    progress.Step(DisplayName(reader.Entries[index].Name));
    ok = ExtractOne(reader, index, refused) && ok;
  }
  if (!ok) return kExitFailure;
  return refused ? kExitRefused : kExitOk;
}

int TPackExtractCommand::ParseArguments(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "-o" || arg == "--output") {
      if (i + 1 >= args.size()) return UsageError(arg + " needs a folder", kUsage);
      FFolder = native::Path(args[++i]);
    } else if (arg == "--") {
      positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg, kUsage);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) return UsageError("extract needs a FILE", kUsage);
  FArchive = positional[0];
  FNames.assign(positional.begin() + 1, positional.end());
  return -1;
}

bool TPackExtractCommand::SelectEntries(const PackageReader& reader) {
  if (FNames.empty()) {
    // Every name once, as the reader would find it.
    for (int i = 0; i < reader.EntryCount; ++i) {
      if (FindEntry(reader, reader.Entries[i].Name) == i) FSelected.push_back(i);
    }
    return true;
  }
  bool ok = true;
  for (const std::string& name : FNames) {
    const int index = FindEntry(reader, EntryNameFromArgument(name));
    if (index < 0) {
      ReportProblem(FArchive, "no entry \"" + name + "\"");
      ok = false;
    } else {
      FSelected.push_back(index);
    }
  }
  return ok;
}

bool TPackExtractCommand::ExtractOne(PackageReader& reader, int index, bool& refused) {
  const std::string& name = reader.Entries[index].Name;
  std::string problem;
  const fs::path target = SafeExtractPath(FFolder, name, problem);
  if (target.empty()) {
    ReportProblem(FArchive, "refused entry " + problem);
    refused = true;
    return true;
  }
  std::string data;
  if (!ExtractEntryByIndex(reader, index, data)) {
    ReportProblem(FArchive, DisplayName(reader.FailureReason));
    return false;
  }
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  if (error) {
    ReportProblem(native::Utf8(target.parent_path()), "cannot create the folder: " + error.message());
    return false;
  }
  std::string failure;
  if (!TAtomicFile::WriteWhole(native::Utf8(target), data, &failure)) {
    ReportProblem(native::Utf8(target), "cannot write the file" + (failure.empty() ? "" : ": " + failure));
    return false;
  }
  return true;
}

}  // namespace pelto5::pack
