#include "PackCreateCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "PackToolSupport.h"
#include "base/NativeFile.h"
#include "content/PackageFormat.h"
#include "content/PackageWriter.h"

namespace pelto5::pack {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: pelto5-pack create [--magic PV5PKG|PV5LIB|PV5SAVE] [--compress] [--scramble]\n"
    "                          [--extract PATTERN]... [--no-extract PATTERN]...\n"
    "                          [--exe EXECUTABLE] OUT INPUT...\n"
    "\n"
    "Writes the container OUT from the INPUT files and folders. A file becomes an\n"
    "entry named after it; a folder adds every file below it, named by its path\n"
    "relative to the folder with \"\\\" between folders. Entries are added in the\n"
    "order of the inputs, the files of a folder sorted by name.\n"
    "\n"
    "  --magic M          archive kind (default PV5PKG)\n"
    "  --compress         store entries zlib-compressed\n"
    "  --scramble         scramble entries with the archive's key table\n"
    "  --extract P        mark entries matching P for extraction\n"
    "  --no-extract P     mark entries matching P as never extracted\n"
    "  --exe EXECUTABLE   write the executable and the marker before the archive\n"
    "\n"
    "Patterns use * and ?, ignore the case of ASCII letters, and match the last\n"
    "component of a name unless they contain \"/\" or \"\\\".\n";

constexpr size_t kCopyBlock = 256 * 1024;

bool MatchesAny(const std::string& entryName, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const std::string& pattern) { return MatchesPattern(entryName, pattern); });
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::exists(b, error) && fs::equivalent(a, b, error);
}

}  // namespace

int TPackCreateCommand::Run(const std::vector<std::string>& args) {
  if (const int status = ParseArguments(args); status >= 0) return status;
  if (!CollectInputs()) return kExitFailure;
  return Write() ? kExitOk : kExitFailure;
}

int TPackCreateCommand::ParseArguments(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "--compress") {
      FCompress = true;
    } else if (arg == "--scramble") {
      FScramble = true;
    } else if (arg == "--magic" || arg == "--extract" || arg == "--no-extract" || arg == "--exe") {
      if (!hasValue) return UsageError(arg + " needs a value", kUsage);
      const std::string& value = args[++i];
      if (arg == "--magic") {
        if (value != "PV5PKG" && value != "PV5LIB" && value != "PV5SAVE") {
          return UsageError("unknown magic \"" + value + "\"", kUsage);
        }
        FMagic = value;
      } else if (arg == "--extract") {
        FExtractPatterns.push_back(value);
      } else if (arg == "--no-extract") {
        FNoExtractPatterns.push_back(value);
      } else {
        FExecutable = value;
      }
    } else if (arg == "--") {
      positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg, kUsage);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() < 2) return UsageError("create needs OUT and at least one INPUT", kUsage);
  FOutput = positional[0];
  FInputs.assign(positional.begin() + 1, positional.end());
  return -1;
}

bool TPackCreateCommand::CollectInputs() {
  for (const std::string& input : FInputs) {
    if (!AddInput(input)) return false;
  }
  if (FFiles.empty()) {
    ReportProblem(FOutput, "no files to pack (an archive without entries cannot be opened)");
    return false;
  }
  // Names compare with ASCII letters folded; a second entry of the same
  // name would hide the first.
  for (size_t i = 0; i < FFiles.size(); ++i) {
    for (size_t k = i + 1; k < FFiles.size(); ++k) {
      if (SamePackageEntryName(FFiles[i].EntryName, FFiles[k].EntryName)) {
        ReportProblem(FFiles[k].Path, "entry name \"" + DisplayName(FFiles[k].EntryName) +
                                          "\" is already used by " + FFiles[i].Path);
        return false;
      }
    }
  }
  return true;
}

bool TPackCreateCommand::AddInput(const std::string& input) {
  std::error_code error;
  const fs::path root = native::Path(input);
  std::string problem;
  if (fs::is_regular_file(root, error)) {
    const std::string name = EntryNameFromPath(root.filename(), problem);
    if (name.empty()) {
      ReportProblem(input, problem.empty() ? "has no file name" : problem);
      return false;
    }
    FFiles.push_back({input, name});
    return true;
  }
  if (!fs::is_directory(root, error)) {
    ReportProblem(input, "no such file or folder");
    return false;
  }
  std::vector<TInputFile> found;
  if (!AddFolder(input, fs::path(), found)) return false;
  std::sort(found.begin(), found.end(),
            [](const TInputFile& a, const TInputFile& b) { return a.EntryName < b.EntryName; });
  FFiles.insert(FFiles.end(), found.begin(), found.end());
  return true;
}

bool TPackCreateCommand::AddFolder(const std::string& folder, const fs::path& relative,
                                   std::vector<TInputFile>& found) {
  // The platform's own listing: it reads folders past Windows' old path
  // limit, where the C runtime's cannot.
  std::vector<native::TFolderEntry> entries;
  if (!native::ListFolder(folder, entries)) {
    ReportProblem(folder, "cannot list the folder");
    return false;
  }
  for (const native::TFolderEntry& entry : entries) {
    const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    const std::string path = folder + (separated ? "" : "/") + entry.Name;
    const fs::path name = relative / native::Path(entry.Name);
    if (entry.IsFolder) {
      if (!AddFolder(path, name, found)) return false;
      continue;
    }
    if (!entry.IsFile) continue;
    // Never pack the archive being written (or its temporary file).
    const fs::path onDisk = native::Path(path);
    if (SameFile(onDisk, native::Path(FOutput)) || SameFile(onDisk, native::Path(FOutput + ".tmp"))) continue;
    std::string problem;
    const std::string entryName = EntryNameFromPath(name, problem);
    if (entryName.empty()) {
      ReportProblem(path, problem);
      return false;
    }
    found.push_back({path, entryName});
  }
  return true;
}

bool TPackCreateCommand::Write() {
  PackageWriter writer;
  SetWriterMagic(writer, FMagic);
  const bool created = FExecutable.empty() ? CreatePackage(writer, FOutput)
                                           : CreateAppendedPackage(writer, FOutput, FExecutable);
  if (!created) {
    ReportProblem(FOutput, writer.FailureReason);
    return false;
  }
  writer.Compressed = FCompress;
  writer.Scrambled = FScramble;
  TProgress progress(FFiles.size());
  std::vector<char> block(kCopyBlock);
  for (const TInputFile& file : FFiles) {
    progress.Step(file.Path);
    writer.Extract = MatchesAny(file.EntryName, FExtractPatterns);
    writer.NoExtract = MatchesAny(file.EntryName, FNoExtractPatterns);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(native::OpenFile(file.Path, "rb"), &std::fclose);
    if (!in) {
      ReportProblem(file.Path, "cannot open the file");
      return false;
    }
    if (!BeginEntry(writer, file.EntryName)) {
      ReportProblem(file.Path, writer.FailureReason);
      return false;
    }
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), in.get())) > 0) {
      if (WriteEntryData(writer, block.data(), got) != got) {
        ReportProblem(FOutput, writer.FailureReason);
        return false;
      }
    }
    if (std::ferror(in.get())) {
      ReportProblem(file.Path, "cannot read the file");
      return false;
    }
    if (!EndEntry(writer)) {
      ReportProblem(FOutput, writer.FailureReason);
      return false;
    }
  }
  if (!FinishPackage(writer)) {
    ReportProblem(FOutput, writer.FailureReason);
    return false;
  }
  return true;
}

}  // namespace pelto5::pack
