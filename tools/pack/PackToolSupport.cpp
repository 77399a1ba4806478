#include "PackToolSupport.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "base/NativeFile.h"
#include "base/DeviceNames.h"
#include "content/PackageFormat.h"
#include "content/PackageReader.h"
#include "base/SjisText.h"

namespace pelto5::pack {

namespace {

// text in double quotes. (Built by appending: GCC 12 warns wrongly of an
// overlapping copy in "\"" + text.)
std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}


// The characters of a Shift-JIS text, each one or two bytes.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (size_t at = 0; at < text.size();) {
    const size_t length = sjis::CharLength(text, at);
    characters.push_back(text.substr(at, length));
    at += length;
  }
  return characters;
}

// Components of an entry name split at single-byte "\" and "/".
std::vector<std::string> Components(std::string_view name) {
  std::vector<std::string> components(1);
  for (std::string_view c : Characters(name)) {
    if (c == "\\" || c == "/") {
      components.emplace_back();
    } else {
      components.back() += c;
    }
  }
  return components;
}

bool WildcardMatch(const std::vector<std::string_view>& name, const std::vector<std::string_view>& pattern) {
  size_t n = 0;
  size_t p = 0;
  size_t starPattern = std::string_view::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == "*") {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() && (pattern[p] == "?" || sjis::SameText(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == "*") ++p;
  return p == pattern.size();
}

}  // namespace

void ReportProblem(const std::string& subject, const std::string& problem) {
  std::fprintf(stderr, "pelto5-pack: %s: %s\n", subject.c_str(), problem.c_str());
}

int UsageError(const std::string& problem, const char* usage) {
  std::fprintf(stderr, "pelto5-pack: %s\n%s", problem.c_str(), usage);
  return kExitUsage;
}

bool OpenArchive(const std::string& path, PackageReader& reader) {
  if (OpenPackage(path, reader)) return true;
  ReportProblem(path, DisplayName(reader.FailureReason));
  return false;
}

TProgress::TProgress(size_t total) : FTotal(total), FShown(isatty(fileno(stderr)) != 0) {}

TProgress::~TProgress() {
  if (FShown && FDone > 0) std::fputs("\r\033[K", stderr);
}

void TProgress::Step(const std::string& what) {
  ++FDone;
  if (FShown) std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", FDone, FTotal, what.c_str());
}

std::string EntryNameFromPath(const std::filesystem::path& relative, std::string& problem) {
  std::string name;
  for (const std::filesystem::path& part : relative) {
    const std::string utf8 = native::Utf8(part);
    if (utf8.find('\\') != std::string::npos) {
      problem = Quoted(native::Utf8(relative)) + " holds a \"\\\", the folder separator of entry names";
      return {};
    }
    const std::string converted = sjis::FromUtf8(utf8);
    if (sjis::ToUtf8(converted) != utf8) {
      problem = Quoted(native::Utf8(relative)) + " cannot be written in Shift-JIS";
      return {};
    }
    if (!name.empty()) name += '\\';
    name += converted;
  }
  if (name.size() > kPackageMaxNameLength) {
    problem = "entry name \"" + relative.generic_string() + "\" is longer than 255 bytes in Shift-JIS";
    return {};
  }
  return name;
}

std::string EntryNameFromArgument(std::string_view utf8) {
  const std::string converted = sjis::FromUtf8(utf8);
  std::string name;
  for (std::string_view c : Characters(converted)) {
    if (c == "/") {
      name += '\\';
    } else {
      name += c;
    }
  }
  return name;
}

std::string DisplayName(std::string_view entryName) { return sjis::ToUtf8(entryName); }

std::filesystem::path SafeExtractPath(const std::filesystem::path& folder, std::string_view entryName,
                                      std::string& problem) {
  const std::string shown = Quoted(DisplayName(entryName));
  const std::vector<std::string> components = Components(entryName);
  if (components.front().empty() && components.size() > 1) {
    problem = shown + " is an absolute path";
    return {};
  }
  if (components.back().empty() || components.back() == ".") {
    problem = shown + " names no file";
    return {};
  }
  std::filesystem::path path = folder;
  for (const std::string& component : components) {
    // "a\\b" and "a\.\b" are "a\b", as the player finds them.
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      problem = shown + " climbs out of the target folder";
      return {};
    }
    for (unsigned char c : component) {
      if (c == ':') {
        problem = shown + " holds a drive letter or \":\"";
        return {};
      }
      if (c < 0x20 || c == 0x7F) {
        problem = shown + " holds a control character";
        return {};
      }
    }
    if (IsDeviceName(component)) {
      problem = shown + " names the device " + DisplayName(component);
      return {};
    }
    path /= native::Path(sjis::ToUtf8(component));
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
      problem = shown + " leads through the symbolic link " + native::Utf8(path);
      return {};
    }
  }
  return path;
}

bool MatchesPattern(std::string_view entryName, std::string_view utf8Pattern) {
  std::string pattern = sjis::FromUtf8(utf8Pattern);
  bool whole = false;
  std::string normalized;
  for (std::string_view c : Characters(pattern)) {
    if (c == "/" || c == "\\") {
      whole = true;
      normalized += '\\';
    } else {
      normalized += c;
    }
  }
  std::string_view subject = entryName;
  if (!whole) {
    const size_t last = sjis::FindLastChar(entryName, '\\');
    if (last != std::string_view::npos) subject = entryName.substr(last + 1);
  }
  return WildcardMatch(Characters(subject), Characters(normalized));
}

}  // namespace pelto5::pack
