// pelto5-pack: creates, lists, extracts and verifies package containers
// ("PV5PKG", "PV5LIB" and "PV5SAVE").
#include <cstdio>
#include <string>
#include <vector>

#include "PackCatCommand.h"
#include "PackCreateCommand.h"
#include "PackExtractCommand.h"
#include "PackListCommand.h"
#include "PackToolSupport.h"
#include "PackVerifyCommand.h"
#include "app/LibraryVersions.h"
#include "platform/ProcessSignals.h"
#include "platform/ProgramArguments.h"

namespace {

constexpr const char* kUsage =
    "usage: pelto5-pack COMMAND [ARGS...]\n"
    "\n"
    "commands:\n"
    "  create [--magic PV5PKG|PV5LIB|PV5SAVE] [--compress] [--scramble]\n"
    "         [--extract PATTERN]... [--no-extract PATTERN]... [--exe EXECUTABLE]\n"
    "         OUT INPUT...                 build a container\n"
    "  list FILE                           one line per entry\n"
    "  extract FILE [-o DIR] [ENTRY...]    entries to files\n"
    "  cat FILE ENTRY                      one entry to standard output\n"
    "  verify FILE                         check checksums, data and structure\n"
    "\n"
    "\"pelto5-pack --version\" names its version and the libraries it uses.\n"
    "\"pelto5-pack COMMAND --help\" describes a command. Exit status: 0 success,\n"
    "1 failure, 2 bad usage, 3 extract refused some entries for their names.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace pelto5::pack;
  pelto5::TProcessSignals::IgnoreFileSizeLimitSignal();
  std::vector<std::string> args = pelto5::TProgramArguments::Utf8(argc, argv);
  if (args.empty()) return UsageError("no command given", kUsage);
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("pelto5-pack %s\n%s", PELTO5_VERSION, pelto5::TLibraryVersions::Text().c_str());
    return kExitOk;
  }
  if (command == "create") return TPackCreateCommand().Run(args);
  if (command == "list") return TPackListCommand().Run(args);
  if (command == "extract") return TPackExtractCommand().Run(args);
  if (command == "cat") return TPackCatCommand().Run(args);
  if (command == "verify") return TPackVerifyCommand().Run(args);
  return UsageError("unknown command \"" + command + "\"", kUsage);
}
