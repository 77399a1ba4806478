#include "app/CommandLine.h"

#include "lint/LintOptions.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& value) {
  if (text.empty() || text.size() > 12) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value <= max;
}

TResult NeedsValue(const std::string& option) { return TResult::Fail("option " + option + " needs a value"); }

}  // namespace

std::string TCommandLine::Usage() {
  return "usage: pelto5 [options] [CONTENT]\n"
         "  -h, --help               usage\n"
         "  --version                version, and the versions of the libraries used\n"
         "  --scale N                initial window size as a multiple of the picture (1 to 16;\n"
         "                           default: the size saved at the last run, else 1)\n"
         "  --filter nearest|linear  how the picture is scaled to the window (default nearest)\n"
         "  --library FILE           the runtime library to use (default: peltort5.pml in the\n"
         "                           content's folder, else the player's folder, else the\n"
         "                           installed share/pelto5/)\n"
         "  --save-dir DIR           write saves and settings into DIR\n"
         "  --headless               run without a window, on a virtual clock\n"
         "  --events FILE            headless: scripted input\n"
         "  --max-time MS            headless: stop after MS virtual milliseconds (default 3600000)\n"
         "  --screenshot FILE        write the main screen as PNG at shutdown\n"
         "  --dump-state FILE        write the runtime state as UTF-8 text at shutdown\n"
         "  --answer abort|ignore|yes|no   headless: how question boxes are answered\n"
         "  --trace                  write every executed command to standard error\n"
         "  --trace-audio            headless: write every change of an audio channel to standard error\n"
         "  --check-frames           compose every frame in full as well, compare, and report at\n"
         "                           shutdown (a check of the player's own drawing)\n"
         "  --check                  check the scenario CONTENT and report its faults, without running it\n"
         "  --format gcc|json        --check: one FILE:LINE: line per finding (default), or a JSON array\n"
         "  --no-CHECK               --check: leave out one check (structure, commands, targets,\n"
         "                           resources, variables, header)\n"
         "  --                       ends the options (CONTENT may then start with \"-\")\n"
         "CONTENT is a package (.pp5), an executable with an appended package, a script\n"
         "file, or a game folder: its only .pp5 package, else its only executable with an\n"
         "appended package, else its pelto.pf5. Without CONTENT the content is this\n"
         "program's path with the extension \".pp5\".\n"
         "Saves and settings go into the content's data directory; when that (or the\n"
         "--save-dir folder) cannot be written, into $XDG_DATA_HOME/pelto5/NAME/ (default\n"
         "~/.local/share/pelto5/NAME/, NAME being the content's file name without\n"
         "extension, or the game folder's name for its pelto.pf5, with a hash of the path\n"
         "added when another game has that NAME). Saves are read from there first, then\n"
         "from the data directory.\n"
         "Reader keys: Ctrl held skips message waits; A turns auto-advance on and off;\n"
         "wheel up or Page Up opens the message history (Escape or a right click closes it);\n"
         "F12 saves a screenshot into the save folder. Headless events reach them as\n"
         "\"MS key-down ctrl\", \"MS key-up ctrl\", \"MS key 65\", \"MS wheel N\" and \"MS key 123\".\n"
         "Exit status: 0 normal end, 1 content could not be opened, 2 bad command line,\n"
         "3 headless run stopped by --max-time, 4 no display for the window (use --headless).\n";
}

TResult TCommandLine::Parse(const std::vector<std::string>& args) {
  bool contentSeen = false;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      if (contentSeen) return TResult::Fail("more than one content file: " + a);
      ContentPath = a;
      contentSeen = true;
      continue;
    }
    std::string v;
    uint64_t n = 0;
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "-h" || a == "--help") {
      Help = true;
    } else if (a == "--version") {
      Version = true;
    } else if (a == "--headless") {
      Headless = true;
    } else if (a == "--trace") {
      Trace = true;
    } else if (a == "--check-frames") {
      CheckFrames = true;
    } else if (a == "--trace-audio") {
      TraceAudio = true;
    } else if (a == "--scale") {
      if (!value(v)) return NeedsValue(a);
      if (!ParseUnsigned(v, 16, n) || n < 1) {
        return TResult::Fail("--scale needs an integer from 1 to 16, not \"" + v + "\"");
      }
      Scale = static_cast<int>(n);
      ScaleGiven = true;
    } else if (a == "--filter") {
      if (!value(v)) return NeedsValue(a);
      if (v != "nearest" && v != "linear") return TResult::Fail("--filter takes nearest or linear, not \"" + v + "\"");
      LinearFilter = v == "linear";
    } else if (a == "--library") {
      if (!value(LibraryPath)) return NeedsValue(a);
    } else if (a == "--save-dir") {
      if (!value(SaveDirectory)) return NeedsValue(a);
    } else if (a == "--max-time") {
      if (!value(v)) return NeedsValue(a);
      if (!ParseUnsigned(v, 0xFFFFFFFFull, n)) {
        return TResult::Fail("--max-time needs a number of milliseconds, not \"" + v + "\"");
      }
      MaxTime = static_cast<uint32_t>(n);
    } else if (a == "--events") {
      if (!value(EventsPath)) return NeedsValue(a);
    } else if (a == "--screenshot") {
      if (!value(ScreenshotPath)) return NeedsValue(a);
    } else if (a == "--dump-state") {
      if (!value(DumpStatePath)) return NeedsValue(a);
    } else if (a == "--answer") {
      if (!value(v)) return NeedsValue(a);
      if (v == "abort") {
        Answer = TMessageResult::Abort;
      } else if (v == "ignore") {
        Answer = TMessageResult::Ignore;
      } else if (v == "yes") {
        Answer = TMessageResult::Yes;
      } else if (v == "no") {
        Answer = TMessageResult::No;
      } else {
        return TResult::Fail("--answer takes abort, ignore, yes or no, not \"" + v + "\"");
      }
    } else if (a == "--check") {
      Check = true;
    } else if (a == "--format") {
      if (!value(v)) return NeedsValue(a);
      if (v != "gcc" && v != "json") return TResult::Fail("--format takes gcc or json, not \"" + v + "\"");
      CheckJson = v == "json";
    } else if (a.starts_with("--no-") && TLintOptions::IsCheck(a.substr(5))) {
      CheckDisabled.push_back(a.substr(5));
    } else {
      return TResult::Fail("unknown option " + a);
    }
  }
  if (Check && !contentSeen) return TResult::Fail("--check needs a CONTENT to check");
  if (!EventsPath.empty() && !Headless) return TResult::Fail("--events needs --headless");
  return TResult::Ok();
}

TResult TCommandLine::CheckOutputFolders() const {
  const std::pair<const char*, const std::string*> outputs[] = {{"--screenshot", &ScreenshotPath},
                                                                {"--dump-state", &DumpStatePath}};
  for (const auto& [option, path] : outputs) {
    if (path->empty()) continue;
    const std::string folder = TFileSystem::DirectoryOf(*path);
    if (!folder.empty() && !TFileSystem::DirectoryExists(folder)) {
      return TResult::Fail(std::string(option) + " " + *path + ": the folder " + folder + " does not exist");
    }
  }
  return TResult::Ok();
}

}  // namespace pelto5
