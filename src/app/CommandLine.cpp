#include "app/CommandLine.h"

#include <initializer_list>
#include <string_view>

#include "lint/LintOptions.h"
#include "base/SjisText.h"
#include "platform/FileSystem.h"
#include "platform/TextOutput.h"
#include "shell/DebugControl.h"

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

// A failure told in the user's language, values filled in.
TResult Refuse(TOwnText text, std::initializer_list<std::string_view> values) {
  return TResult::Fail(FillIn(LocalizedUtf8(text), values));
}

TResult NeedsValue(const std::string& option) { return Refuse(TOwnText::NeedsValue, {option}); }

}  // namespace

std::string TCommandLine::Usage() {
  return LocalizedUtf8(TOwnText::Usage) + LocalizedUtf8(TOwnText::AuthorUsage) + LocalizedUtf8(TOwnText::ReadingUsage);
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
      if (contentSeen) return Refuse(TOwnText::MoreThanOneContent, {a});
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
        return Refuse(TOwnText::ScaleRange, {v});
      }
      Scale = static_cast<int>(n);
      ScaleGiven = true;
    } else if (a == "--filter") {
      if (!value(v)) return NeedsValue(a);
      if (v != "nearest" && v != "linear") return Refuse(TOwnText::FilterValues, {v});
      LinearFilter = v == "linear";
    } else if (a == "--library") {
      if (!value(LibraryPath)) return NeedsValue(a);
    } else if (a == "--save-dir") {
      if (!value(SaveDirectory)) return NeedsValue(a);
    } else if (a == "--max-time") {
      if (!value(v)) return NeedsValue(a);
      if (!ParseUnsigned(v, 0xFFFFFFFFull, n)) {
        return Refuse(TOwnText::MaxTimeValue, {v});
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
        return Refuse(TOwnText::AnswerValues, {v});
      }
    } else if (a == "--text-out") {
      if (!value(TextOut)) return NeedsValue(a);
    } else if (a == "--extract-text") {
      ExtractText = true;
    } else if (a == "--translation") {
      if (!value(TranslationPath)) return NeedsValue(a);
    } else if (a == "--check") {
      Check = true;
    } else if (a == "--format") {
      if (!value(v)) return NeedsValue(a);
      if (v != "gcc" && v != "json") return Refuse(TOwnText::FormatValues, {v});
      CheckJson = v == "json";
    } else if (a == "--break") {
      if (!value(v)) return NeedsValue(a);
      TBreakpoint breakpoint;
      if (!TDebugControl::ParseBreakpoint(sjis::FromUtf8(v), breakpoint)) return Refuse(TOwnText::BreakValue, {v});
      Breakpoints.push_back(v);
    } else if (a == "--record") {
      if (!value(RecordPath) || RecordPath.empty()) return NeedsValue(a);
    } else if (a == "--watch") {
      Watch = true;
    } else if (a == "--test") {
      if (!value(TestDirectory) || TestDirectory.empty()) return NeedsValue(a);
    } else if (a == "--junit") {
      if (!value(JUnitPath) || JUnitPath.empty()) return NeedsValue(a);
    } else if (a.starts_with("--no-") && TLintOptions::IsCheck(a.substr(5))) {
      CheckDisabled.push_back(a.substr(5));
    } else {
      return Refuse(TOwnText::UnknownOption, {a});
    }
  }
  if (Check && !contentSeen) return Refuse(TOwnText::CheckNeedsContent, {});
  if (!TestDirectory.empty() && !contentSeen) return Refuse(TOwnText::TestNeedsContent, {});
  if (!JUnitPath.empty() && TestDirectory.empty()) return Refuse(TOwnText::JUnitNeedsTest, {});
  if (ExtractText && !contentSeen) return Refuse(TOwnText::ExtractNeedsContent, {});
  if (!EventsPath.empty() && !Headless) return Refuse(TOwnText::EventsNeedHeadless, {});
  // Inside the player a path has "/" between its folders (on Windows the
  // reader may have typed either).
  for (std::string* path : {&LibraryPath, &SaveDirectory, &EventsPath, &ScreenshotPath, &DumpStatePath, &ContentPath,
                            &TestDirectory, &JUnitPath, &RecordPath, &TextOut, &TranslationPath}) {
    *path = TFileSystem::NativePath(*path);
  }
  return TResult::Ok();
}

TResult TCommandLine::CheckOutputFolders() const {
  const std::pair<const char*, const std::string*> outputs[] = {{"--screenshot", &ScreenshotPath},
                                                                {"--dump-state", &DumpStatePath},
                                                                {"--junit", &JUnitPath},
                                                                {"--text-out", &TextOut}};
  for (const auto& [option, path] : outputs) {
    if (path->empty() || *path == "-") continue;
    if (path == &TextOut && (*path == TTextOutput::kClipboard || TTextOutput::IsNamedPipe(*path))) continue;
    const std::string folder = TFileSystem::DirectoryOf(*path);
    if (!folder.empty() && !TFileSystem::DirectoryExists(folder)) {
      return Refuse(TOwnText::OutputFolderMissing, {option, *path, folder});
    }
  }
  return TResult::Ok();
}

}  // namespace pelto5
