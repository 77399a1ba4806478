// Helpers shared by the pelto5-pack commands: reporting, progress, the
// conversion between entry names (Shift-JIS, "\" between folders) and
// paths on the disk (UTF-8), and name patterns.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pelto5 {
struct PackageReader;
}

namespace pelto5::pack {

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// extract: some entries were refused for their names (the others were
// written).
constexpr int kExitRefused = 3;

// "pelto5-pack: <subject>: <problem>" on standard error.
void ReportProblem(const std::string& subject, const std::string& problem);
// Prints the usage text to standard error and returns kExitUsage.
int UsageError(const std::string& problem, const char* usage);

// Opens the archive, reporting why it cannot be opened.
bool OpenArchive(const std::string& path, PackageReader& reader);

// A one-line progress display on standard error, shown only when standard
// error is a terminal.
class TProgress {
 public:
  explicit TProgress(size_t total);
  ~TProgress();
  void Step(const std::string& what);

 private:
  size_t FTotal;
  size_t FDone = 0;
  bool FShown;
};

// The entry name of a file at relative (a path relative to an input
// folder, or a file name): Shift-JIS with "\" between folders. Empty, with
// problem set, if a name cannot be represented.
std::string EntryNameFromPath(const std::filesystem::path& relative, std::string& problem);

// An entry name given on the command line (UTF-8, "/" or "\" between
// folders) in the archive's form.
std::string EntryNameFromArgument(std::string_view utf8);

// Entry names in UTF-8 for messages and listings ("\" kept).
std::string DisplayName(std::string_view entryName);

// The path under folder where an entry may be extracted, "\" and "/" both
// separating folders, and empty and "." components dropped. Empty, with
// problem set, for a name that would leave the folder or cannot be a file
// name: absolute names, drive letters, ".." components, a name ending in a
// separator, control characters, device names ("CON", "NUL.txt", ...), or
// a path through a symbolic link.
std::filesystem::path SafeExtractPath(const std::filesystem::path& folder, std::string_view entryName,
                                      std::string& problem);

// Wildcard match of an entry name: "*" any run of characters, "?" one
// character, ASCII letters folded. A pattern without "\" (or "/") is matched
// against the last component of the name only. pattern is UTF-8.
bool MatchesPattern(std::string_view entryName, std::string_view utf8Pattern);

}  // namespace pelto5::pack
