#include "app/ScenarioTests.h"

#include <cstdio>
#include <memory>

#include "app/FormRun.h"
#include "app/PictureDiff.h"
#include "image/PngDecoder.h"
#include "platform/FileSystem.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {

namespace {

constexpr const char* kEventsExtension = ".events";
constexpr const char* kPngExtension = ".png";

std::string WithoutSuffix(const std::string& name, const std::string& suffix) {
  if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
    return name.substr(0, name.size() - suffix.size());
  }
  return name;
}

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c; break;
    }
  }
  return out;
}

void AddDetail(std::string& detail, const std::string& more) {
  if (!detail.empty()) detail += "; ";
  detail += more;
}

}  // namespace

int TScenarioTests::Run() {
  FDirectory = FCommandLine.TestDirectory;
  if (!FDirectory.empty() && FDirectory.back() != '/') FDirectory += '/';
  if (!TFileSystem::DirectoryExists(FDirectory)) {
    std::fprintf(stderr, "pelto5: --test %s: there is no such folder\n", FCommandLine.TestDirectory.c_str());
    return kBadInput;
  }
  const std::vector<std::string> files = TFileSystem::ListFiles(FDirectory, std::string("*") + kEventsExtension);
  if (files.empty()) {
    std::fprintf(stderr, "pelto5: --test %s: no *.events files there\n", FCommandLine.TestDirectory.c_str());
    return kBadInput;
  }
  std::vector<TOutcome> outcomes;
  int counts[4] = {0, 0, 0, 0};
  for (const std::string& file : files) {
    outcomes.push_back(RunOne(file));
    ++counts[static_cast<int>(outcomes.back().Verdict)];
    std::printf("%s\n", Line(outcomes.back()).c_str());
    std::fflush(stdout);
  }
  std::printf("%zu tests: %d passed, %d new, %d failed, %d errors\n", outcomes.size(),
              counts[static_cast<int>(TVerdict::Passed)], counts[static_cast<int>(TVerdict::New)],
              counts[static_cast<int>(TVerdict::Failed)], counts[static_cast<int>(TVerdict::Error)]);
  bool written = true;
  if (!FCommandLine.JUnitPath.empty() && !WriteJUnit(outcomes)) {
    std::fprintf(stderr, "pelto5: --junit %s: cannot write the report\n", FCommandLine.JUnitPath.c_str());
    written = false;
  }
  if (counts[static_cast<int>(TVerdict::Error)] > 0 || !written) return kBadInput;
  return counts[static_cast<int>(TVerdict::Failed)] > 0 ? kDifference : kAllEqual;
}

TScenarioTests::TOutcome TScenarioTests::RunOne(const std::string& eventsFile) {
  TOutcome outcome;
  outcome.Name = WithoutSuffix(eventsFile, kEventsExtension);
  // Each test starts from no saves and no settings, whatever ran before.
  const std::string saves = TFileSystem::CreateTemporaryDirectory("pelto5-test-");
  if (saves.empty()) {
    outcome.Verdict = TVerdict::Error;
    outcome.Detail = "cannot make a temporary folder for its saves";
    return outcome;
  }
  struct TShotTaken {
    std::string Name;
    TCanvas Picture;
  };
  std::vector<TShotTaken> shots;
  THeadlessOptions options;
  options.MaxTime = FCommandLine.MaxTime;
  options.Answer = FCommandLine.Answer;
  options.EchoToStderr = false;
  options.ShotTaken = [&shots](const std::string& path, const TCanvas& canvas) {
    shots.push_back({TFileSystem::FileNameOf(path), canvas});
  };
  THeadlessPlatform platform(options);
  const TResult loaded = platform.LoadEvents(FDirectory + eventsFile);
  if (!loaded) {
    (void)TFileSystem::RemoveDirectoryTree(saves);
    outcome.Verdict = TVerdict::Error;
    outcome.Detail = "events file " + loaded.Reason();
    return outcome;
  }
  TCommandLine run = FCommandLine;
  run.Headless = true;
  run.SaveDirectory = saves;
  run.DumpStatePath.clear();
  run.ScreenshotPath.clear();
  run.Breakpoints.clear();
  run.Watch = false;
  InstallPlatform(&platform);
  const int status = RunForm(platform, run);
  InstallPlatform(nullptr);
  (void)TFileSystem::RemoveDirectoryTree(saves);
  outcome.VirtualMs = platform.GetTickCount();
  if (status == 1) {
    outcome.Verdict = TVerdict::Error;
    outcome.Detail = "the content could not be opened";
    return outcome;
  }
  if (status != 0) {
    outcome.Verdict = TVerdict::Failed;
    outcome.Detail = platform.TimedOut() ? "stopped by --max-time at " + std::to_string(FCommandLine.MaxTime) + " ms"
                                         : "the run ended with status " + std::to_string(status);
  }
  for (const TShotTaken& shot : shots) CheckShot(shot.Name, shot.Picture, outcome);
  outcome.Shots = static_cast<int>(shots.size());
  return outcome;
}

void TScenarioTests::CheckShot(const std::string& name, const TCanvas& picture, TOutcome& outcome) {
  const std::string expected = FDirectory + name;
  if (!TFileSystem::FileExists(expected)) {
    if (!picture.SavePng(expected)) {
      outcome.Verdict = TVerdict::Error;
      AddDetail(outcome.Detail, "cannot write " + name);
      return;
    }
    if (outcome.Verdict == TVerdict::Passed) outcome.Verdict = TVerdict::New;
    AddDetail(outcome.Detail, name + " written");
    return;
  }
  TPicture want;
  if (!DecodePngFile(expected, want)) {
    outcome.Verdict = TVerdict::Error;
    AddDetail(outcome.Detail, name + " is not a PNG picture");
    return;
  }
  TCanvas diff;
  const int changed = TPictureDiff::Compare(picture, want, &diff);
  if (changed == 0) return;
  const std::string diffName = WithoutSuffix(name, kPngExtension) + ".diff.png";
  std::string what = name + " differs in " + std::to_string(changed) + " pixels";
  if (picture.Width() != want.Width || picture.Height() != want.Height) {
    what += " (" + std::to_string(picture.Width()) + "x" + std::to_string(picture.Height()) + ", expected " +
            std::to_string(want.Width) + "x" + std::to_string(want.Height) + ")";
  }
  what += diff.SavePng(FDirectory + diffName) ? ", see " + diffName : ", and " + diffName + " cannot be written";
  if (outcome.Verdict != TVerdict::Error) outcome.Verdict = TVerdict::Failed;
  AddDetail(outcome.Detail, what);
}

std::string TScenarioTests::Line(const TOutcome& outcome) {
  static const char* const kWords[] = {"PASS ", "NEW  ", "FAIL ", "ERROR"};
  std::string line = std::string(kWords[static_cast<int>(outcome.Verdict)]) + " " + outcome.Name;
  if (outcome.Verdict == TVerdict::Passed) return line + " (" + std::to_string(outcome.Shots) + " pictures)";
  return line + ": " + outcome.Detail;
}

bool TScenarioTests::WriteJUnit(const std::vector<TOutcome>& outcomes) const {
  int failures = 0;
  int errors = 0;
  std::string cases;
  for (const TOutcome& o : outcomes) {
    // The time is the virtual clock's, the same on every machine.
    cases += "    <testcase classname=\"pelto5\" name=\"" + XmlEscaped(o.Name) + "\" time=\"" +
             std::to_string(o.VirtualMs / 1000) + "." + std::to_string(o.VirtualMs % 1000 + 1000).substr(1) + "\"";
    if (o.Verdict == TVerdict::Failed || o.Verdict == TVerdict::Error) {
      const bool failed = o.Verdict == TVerdict::Failed;
      (failed ? failures : errors) += 1;
      cases += ">\n      <" + std::string(failed ? "failure" : "error") + " message=\"" + XmlEscaped(o.Detail) +
               "\"/>\n    </testcase>\n";
    } else if (o.Verdict == TVerdict::New) {
      cases += ">\n      <system-out>" + XmlEscaped(o.Detail) + "</system-out>\n    </testcase>\n";
    } else {
      cases += "/>\n";
    }
  }
  const std::string counts = "tests=\"" + std::to_string(outcomes.size()) + "\" failures=\"" +
                             std::to_string(failures) + "\" errors=\"" + std::to_string(errors) + "\"";
  const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites " + counts +
                          ">\n  <testsuite name=\"" + XmlEscaped(FCommandLine.TestDirectory) + "\" " + counts +
                          ">\n" + cases + "  </testsuite>\n</testsuites>\n";
  return TFileSystem::WriteFileAtomic(FCommandLine.JUnitPath, xml);
}

}  // namespace pelto5
