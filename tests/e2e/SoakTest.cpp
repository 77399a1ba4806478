// Hours of play: the bundled demo played through its walkthrough again and
// again in one headless session, with a value file written and read on
// every pass and a state save made and loaded in the middle of it, for a
// virtual hour (PELTO5_SOAK_HOURS sets another length). Memory after the
// warm-up, open file descriptors and temporary files must stay flat, and
// every pass must play the same.
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/SjisText.h"
#include "exec/PeltoAccessControl.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/CommandCtrl.h"
#include "script/VariableCtrl.h"
#include "shell/FrmMain.h"
#include "support/PlayerRun.h"
#include "support/Sanitizers.h"


namespace pelto5::test {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kHour = 3600000;
// Long enough for the message history (the last 200 pages) to fill up.
constexpr uint32_t kWarmUp = 25 * 60000;

// What the process holds at one moment.
struct TUsage {
  uint32_t Clock = 0;
  long RssKib = 0;
  size_t HeapBytes = 0;  // allocated through malloc and still in use
  int Fds = 0;
  int TempFiles = 0;  // in the temporary folder and the save folder
};

long RssKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

int CountEntries(const fs::path& folder, const std::string& suffix = "") {
  int n = 0;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) ++n;
  }
  return n;
}

// A Shift-JIS script line from UTF-8 text, with its CR LF.
std::string Line(const std::string& utf8) { return sjis::FromUtf8(utf8) + "\r\n"; }

std::string Lines(const std::vector<std::string>& utf8) {
  std::string out;
  for (const std::string& l : utf8) out += Line(l);
  return out;
}

// Replaces the one place where the lines from are (UTF-8) by the lines to.
void ReplaceOnce(std::string& script, const std::vector<std::string>& from, const std::vector<std::string>& to) {
  const std::string marker = Lines(from);
  const size_t at = script.find(marker);
  ASSERT_NE(at, std::string::npos) << from.front();
  ASSERT_EQ(script.find(marker, at + 1), std::string::npos) << from.front();
  script.replace(at, marker.size(), Lines(to));
}

// The demo's script made to play for ever: the last page goes back to the
// first, whose start counts the passes in a value file, and the page the
// binoculars call saves the whole state and loads it again. The settings
// file keeps the number of loads.
std::string SoakScript() {
  std::string script = ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/demo/pelto.pf5");
  EXPECT_FALSE(script.empty());
  const std::vector<std::string> counter = {
      "SaveCtrl.Command=Open", "SaveCtrl.FileName=soak.dat", "@SaveCtrl",
      "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=周回", "SaveCtrl.Variable=%周回%", "@SaveCtrl",
      "SaveCtrl.Command=Close", "@SaveCtrl",
      "ValueCtrl.ValueVar=%周回%", "ValueCtrl.LeftValue=%周回%", "ValueCtrl.RightValue=1", "ValueCtrl.Calc=Add",
      "@ValueCtrl",
      "SaveCtrl.Command=Create", "SaveCtrl.FileName=soak.dat", "@SaveCtrl",
      "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=周回", "SaveCtrl.Value=%周回%", "@SaveCtrl",
      "SaveCtrl.Command=Close", "@SaveCtrl"};
  // A state save resumes where the page that made it was called, as a
  // scenario's save menu does: the page the binoculars call calls one that
  // saves and loads at once, so the pass goes on from the loaded state.
  // System values (which a state save does not hold) count the loads, and
  // say when one failed.
  const std::vector<std::string> callSave = {"Call.BookName=灯台", "Call.PageName=保存", "@Call"};
  const std::vector<std::string> savePage = {
      "<Page=\"保存\">",
      "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=mid.sav", "@SaveCtrl",
      "SaveCtrl.Command=LoadValue", "SaveCtrl.Key=soak.loads", "SaveCtrl.Variable=%読込回数%", "@SaveCtrl",
      "ValueCtrl.ValueVar=%読込回数%", "ValueCtrl.LeftValue=%読込回数%", "ValueCtrl.RightValue=1",
      "ValueCtrl.Calc=Add", "@ValueCtrl",
      "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=soak.loads", "SaveCtrl.Value=%読込回数%", "@SaveCtrl",
      "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=mid.sav", "@SaveCtrl",
      "SaveCtrl.Command=SaveValue", "SaveCtrl.Key=soak.failed", "SaveCtrl.Value=1", "@SaveCtrl",
      "@Return",
      "<Page End>"};
  auto after = [](const std::string& first, std::vector<std::string> rest) {
    rest.insert(rest.begin(), first);
    return rest;
  };
  ReplaceOnce(script, {"<Page=\"はじまり\">"}, after("<Page=\"はじまり\">", counter));
  ReplaceOnce(script, {"<Page=\"双眼鏡\">"}, after("<Page=\"双眼鏡\">", callSave));
  // The last page goes back to the first.
  std::vector<std::string> end = {"@endif", "Move.BookName=灯台", "Move.PageName=はじまり", "@Move", "<Page End>"};
  end.insert(end.end(), savePage.begin(), savePage.end());
  end.push_back("<Book End>");
  ReplaceOnce(script, {"@endif", "<Page End>", "<Book End>"}, end);
  return script;
}

// The headless platform that plays the walkthrough anew whenever the
// scenario comes back to its first page, counts the pages the passes go
// through and takes a sample of the process at the start of every pass.
class TSoakPlatform : public THeadlessPlatform {
 public:
  TSoakPlatform(THeadlessOptions options, std::vector<THeadlessEvent> walkthrough, fs::path saveFolder,
                fs::path tempFolder)
      : THeadlessPlatform(options),
        FWalkthrough(std::move(walkthrough)),
        FSaveFolder(std::move(saveFolder)),
        FTempFolder(std::move(tempFolder)) {
    // Room for every pass (each takes more than ten seconds), so that the
    // samples themselves do not grow the heap while it is measured.
    const size_t passes = options.MaxTime / 10000 + 16;
    PassStarts.reserve(passes);
    Samples.reserve(passes);
  }

  void Watch(TfrmMain* form) { FForm = form; }

  void ProcessMessages() override {
    if (FForm) WatchPage();
    THeadlessPlatform::ProcessMessages();
  }

  std::vector<uint32_t> PassStarts;
  std::vector<TUsage> Samples;
  int Mornings = 0;  // the last page reached
  int LeftOver = 0;  // walkthrough events still waiting when a pass began

 private:
  void WatchPage() {
    const std::string& page = FForm->AccessControl().CommandCtrl().PageName();
    if (page == FPage) return;
    FPage = page;
    if (page == sjis::FromUtf8("はじまり")) {
      StartPass();
    } else if (page == sjis::FromUtf8("朝")) {
      ++Mornings;
    }
  }

  void StartPass() {
    const uint32_t now = GetTickCount();
    Samples.push_back(Sample(now));
    // The walkthrough's times count from the first pass's start.
    const uint32_t shift = PassStarts.empty() ? 0 : now - PassStarts.front();
    PassStarts.push_back(now);
    if (HasPendingEvents()) ++LeftOver;
    for (THeadlessEvent e : FWalkthrough) {
      if (e.Kind == THeadlessEvent::TKind::Shot) continue;
      e.Time += shift;
      AddEvent(e);
    }
  }

  TUsage Sample(uint32_t now) const {
    TUsage u;
    u.Clock = now;
    u.RssKib = RssKib();
#ifndef _WIN32
    u.HeapBytes = mallinfo2().uordblks;
#endif
    u.Fds = CountEntries("/proc/self/fd");
    u.TempFiles = CountEntries(FTempFolder) + CountEntries(FSaveFolder, ".tmp");
    return u;
  }

  std::vector<THeadlessEvent> FWalkthrough;
  fs::path FSaveFolder;
  fs::path FTempFolder;
  TfrmMain* FForm = nullptr;
  std::string FPage;
};

double SoakHours() {
  const char* text = std::getenv("PELTO5_SOAK_HOURS");
  const double hours = text ? std::strtod(text, nullptr) : 1.0;
  return hours > 0 && hours < 1000 ? hours : 1.0;
}

// Points TMPDIR at a folder for the life of the object, so that whatever
// the player or a library would put there can be counted.
class TTempFolderVariable {
 public:
  explicit TTempFolderVariable(const fs::path& folder) {
    const char* old = std::getenv("TMPDIR");
    if (old) FOld = old;
    FHadOld = old != nullptr;
    setenv("TMPDIR", folder.string().c_str(), 1);
  }
  ~TTempFolderVariable() {
    if (FHadOld) {
      setenv("TMPDIR", FOld.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  TTempFolderVariable(const TTempFolderVariable&) = delete;
  TTempFolderVariable& operator=(const TTempFolderVariable&) = delete;

 private:
  std::string FOld;
  bool FHadOld = false;
};

struct TSoakRun {
  int Status = -1;  // of the headless run; -1 when the content did not open
  int PassValue = -1;  // the pass count the value file gave the last pass
  double WallSeconds = 0;
};

// Plays the soak script in game/ until maxTime as the player does.
TSoakRun RunSoak(TSoakPlatform& platform, const fs::path& game) {
  TSoakRun run;
  InstallPlatform(&platform);
  TFormOptions options;
  options.ContentPath = (game / "pelto.pf5").string();
  options.LibraryPath = std::string(PELTO5_BINARY_DIR) + "/peltort5.pml";
  const auto start = std::chrono::steady_clock::now();
  {
    TfrmMain form(options);
    if (form.FormCreate()) {
      form.FormShow();
      platform.Watch(&form);
      run.Status = platform.Run(form);
      platform.Watch(nullptr);
      run.PassValue = form.AccessControl().VariableCtrl().GetValueByName(sjis::FromUtf8("周回"));
    }
    form.FormDestroy();
  }
  run.WallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  InstallPlatform(nullptr);
  return run;
}

TEST(Soak, TheDemoPlayedForHoursKeepsMemoryFilesAndDescriptorsFlat) {
#ifdef _WIN32
  GTEST_SKIP() << "samples memory, heap and descriptors through /proc and glibc's mallinfo2, which Windows has not";
#endif
  TTempDir dir;
  const fs::path game = fs::path(dir.Path()) / "game";
  const fs::path saves = game / "pelto";  // the script's data directory
  const fs::path temp = fs::path(dir.Path()) / "tmp";
  fs::create_directories(saves);
  fs::create_directories(temp);
  for (const char* picture : {"night.png", "window.png", "dawn.png"}) {
    fs::copy_file(fs::path(PELTO5_SOURCE_DIR) / "data/demo" / picture, game / picture);
  }
  const std::string script = SoakScript();
  ASSERT_FALSE(HasFailure());
  dir.Write("game/pelto.pf5", script);
  std::vector<THeadlessEvent> walkthrough;
  ASSERT_TRUE(THeadlessPlatform::ParseEventList(
      ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/data/demo/walkthrough.events"), walkthrough));
  ASSERT_FALSE(walkthrough.empty());

  const double hours = SoakHours();
  THeadlessOptions options;
  options.EchoToStderr = false;
  options.MaxTime = static_cast<uint32_t>(hours * kHour);
  TSoakPlatform platform(options, walkthrough, saves, temp);
  TSoakRun run;
  {
    TTempFolderVariable tempFolder(temp);
    run = RunSoak(platform, game);
  }
  const int status = run.Status;
  const int passValue = run.PassValue;
  const double wallSeconds = run.WallSeconds;

  // The run ends at its time limit, without a single message box.
  EXPECT_EQ(status, 3);
  ASSERT_EQ(platform.OutputLines().size(), 1u) << platform.OutputLines().front();
  EXPECT_EQ(platform.OutputLines()[0].rfind("headless: stopped by --max-time", 0), 0u);

  // Every pass takes as long as the first, reaches the last page and loads
  // the save once, and counts itself in the value file.
  const std::vector<uint32_t>& starts = platform.PassStarts;
  ASSERT_GE(starts.size(), 3u);
  const uint32_t passLength = starts[1] - starts[0];
  for (size_t i = 2; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], passLength) << "pass " << i;
  const int passes = static_cast<int>(starts.size());
  EXPECT_GE(passes, static_cast<int>(options.MaxTime / passLength));
  EXPECT_GE(platform.Mornings, passes - 1);
  EXPECT_LE(platform.Mornings, passes);
  const std::string settings = ReadFileText((saves / "p_save00.svi").string());
  const size_t loads = settings.find("soak.loads=");
  ASSERT_NE(loads, std::string::npos) << settings;
  const long loaded = std::strtol(settings.c_str() + loads + 11, nullptr, 10);
  EXPECT_GE(loaded, passes - 1);
  EXPECT_LE(loaded, passes);
  EXPECT_EQ(settings.find("soak.failed="), std::string::npos);
  EXPECT_EQ(platform.LeftOver, 0);
  EXPECT_EQ(passValue, passes);

  // Flat after the warm-up: the same descriptors, no temporary file, and
  // memory within a small margin of what it was then.
  const uint32_t warmUp = std::min(kWarmUp, options.MaxTime / 2);
  const std::vector<TUsage>& samples = platform.Samples;
  size_t first = 0;
  while (first + 1 < samples.size() && samples[first].Clock < warmUp) ++first;
  const TUsage& base = samples[first];
  TUsage peak = base;
  const TUsage* moreFds = nullptr;
  const TUsage* tempFiles = nullptr;
  for (size_t i = first; i < samples.size(); ++i) {
    const TUsage& u = samples[i];
    if (!moreFds && u.Fds != base.Fds) moreFds = &u;
    if (!tempFiles && u.TempFiles != 0) tempFiles = &u;
    peak.RssKib = std::max(peak.RssKib, u.RssKib);
    peak.HeapBytes = std::max(peak.HeapBytes, u.HeapBytes);
  }
  EXPECT_EQ(moreFds, nullptr) << "open descriptors went from " << base.Fds << " to " << moreFds->Fds << " at "
                              << moreFds->Clock << " ms";
  EXPECT_EQ(tempFiles, nullptr) << tempFiles->TempFiles << " temporary files at " << tempFiles->Clock << " ms";
  const TUsage& last = samples.back();
  std::printf("soak: %d passes of %u ms in %.2f virtual hours, %.1f s of wall time\n", passes, passLength, hours,
              wallSeconds);
  std::printf("soak: after warm-up (%u ms): RSS %ld KiB, heap in use %zu B, %d descriptors\n", base.Clock,
              base.RssKib, base.HeapBytes, base.Fds);
  std::printf("soak: at the end (%u ms):    RSS %ld KiB (peak %ld), heap in use %zu B (peak %zu), %d descriptors\n",
              last.Clock, last.RssKib, peak.RssKib, last.HeapBytes, peak.HeapBytes, last.Fds);
  // (The address sanitizer keeps freed memory in quarantine and has its
  // own allocator; its leak check covers that build instead.)
  if (!kAddressSanitizer) {
    EXPECT_LE(peak.RssKib - base.RssKib, 4096) << "RSS grew after the warm-up";
    EXPECT_LE(peak.HeapBytes - base.HeapBytes, 16u * 1024) << "the heap grew after the warm-up";
  }

  // What is left on the disk: the value file, the state save and the
  // settings written at shut-down.
  EXPECT_EQ(CountEntries(saves), 3);
  EXPECT_TRUE(fs::exists(saves / "soak.dat"));
  EXPECT_TRUE(fs::exists(saves / "mid.sav"));
  EXPECT_EQ(CountEntries(temp), 0);
}

}  // namespace
}  // namespace pelto5::test
