// libFuzzer target: any bytes as the player's command line, each argument
// ended by a NUL byte (the last one may go without). A command line that is refused must say why; one
// that is accepted must keep its promises (a scale of 1 to 16, --events
// only with --headless, known checks only) and must come out the same when
// written back as arguments and parsed again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "lint/LintOptions.h"

namespace {

using pelto5::TCommandLine;
using pelto5::TMessageResult;

// The arguments that say what a parsed command line holds.
std::vector<std::string> WrittenBack(const TCommandLine& cl) {
  std::vector<std::string> args;
  auto option = [&](const char* name, const std::string& value) {
    if (value.empty()) return;
    args.push_back(name);
    args.push_back(value);
  };
  if (cl.Help) args.push_back("--help");
  if (cl.Version) args.push_back("--version");
  if (cl.ScaleGiven) option("--scale", std::to_string(cl.Scale));
  if (cl.LinearFilter) option("--filter", "linear");
  option("--library", cl.LibraryPath);
  option("--save-dir", cl.SaveDirectory);
  if (cl.Headless) args.push_back("--headless");
  option("--events", cl.EventsPath);
  if (cl.MaxTime != TCommandLine().MaxTime) option("--max-time", std::to_string(cl.MaxTime));
  option("--screenshot", cl.ScreenshotPath);
  option("--dump-state", cl.DumpStatePath);
  if (cl.Answer) {
    option("--answer", *cl.Answer == TMessageResult::Abort    ? "abort"
                       : *cl.Answer == TMessageResult::Ignore ? "ignore"
                       : *cl.Answer == TMessageResult::Yes    ? "yes"
                                                              : "no");
  }
  if (cl.Trace) args.push_back("--trace");
  if (cl.TraceAudio) args.push_back("--trace-audio");
  if (cl.Check) args.push_back("--check");
  if (cl.CheckJson) option("--format", "json");
  for (const std::string& check : cl.CheckDisabled) args.push_back("--no-" + check);
  // --check needs a content, which may be the empty argument.
  if (!cl.ContentPath.empty() || cl.Check) {
    args.push_back("--");
    args.push_back(cl.ContentPath);
  }
  return args;
}

bool Same(const TCommandLine& a, const TCommandLine& b) {
  return a.Help == b.Help && a.Version == b.Version && a.Scale == b.Scale && a.ScaleGiven == b.ScaleGiven &&
         a.LinearFilter == b.LinearFilter && a.LibraryPath == b.LibraryPath && a.SaveDirectory == b.SaveDirectory &&
         a.Headless == b.Headless && a.EventsPath == b.EventsPath && a.MaxTime == b.MaxTime &&
         a.ScreenshotPath == b.ScreenshotPath && a.DumpStatePath == b.DumpStatePath && a.Answer == b.Answer &&
         a.Trace == b.Trace && a.TraceAudio == b.TraceAudio && a.ContentPath == b.ContentPath &&
         a.Check == b.Check && a.CheckJson == b.CheckJson && a.CheckDisabled == b.CheckDisabled;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  // A NUL at the end ends the last argument rather than starting another.
  if (size == 0 || data[size - 1] == 0) args.pop_back();

  TCommandLine cl;
  const pelto5::TResult parsed = cl.Parse(args);
  if (!parsed) {
    if (parsed.Reason().empty()) std::abort();
    return 0;
  }
  if (cl.Scale < 1 || cl.Scale > 16 || (!cl.ScaleGiven && cl.Scale != 1)) std::abort();
  if (!cl.EventsPath.empty() && !cl.Headless) std::abort();
  for (const std::string& check : cl.CheckDisabled) {
    if (!pelto5::TLintOptions::IsCheck(check)) std::abort();
  }
  TCommandLine again;
  if (!again.Parse(WrittenBack(cl)) || !Same(cl, again)) std::abort();
  const pelto5::TResult folders = cl.CheckOutputFolders();
  if (!folders && folders.Reason().empty()) std::abort();
  return 0;
}
