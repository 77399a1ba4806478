// A player killed while it saves never loses or tears its save: the file
// is always a complete container, the one before or the one being written.
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "content/PackageReader.h"
#include "base/KeyValueList.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

#ifdef _WIN32
// Starts the player headless on script, its output thrown away (not
// inherited); nullptr when it cannot start.
using TPlayerProcess = HANDLE;
TPlayerProcess StartPlayer(const std::string& script) {
  const std::string line = PlayerCommand(PELTO5_PLAYER, {"--headless", "--max-time", "100000000", script});
  std::wstring wide(line.size() + 1, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(),
                                                      static_cast<int>(wide.size()))));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}
// Ends the player at once, as the task manager does, and waits for it.
void KillPlayer(TPlayerProcess process) {
  TerminateProcess(process, 137);
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
}
bool Started(TPlayerProcess process) { return process != nullptr; }
#else
// Starts the player headless on script, its output thrown away.
using TPlayerProcess = pid_t;
pid_t StartPlayer(const std::string& script) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(PELTO5_PLAYER, PELTO5_PLAYER, "--headless", "--max-time", "100000000", script.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}
void KillPlayer(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}
bool Started(pid_t pid) { return pid > 0; }
#endif

// Reads the save with the container reader: every entry must read back
// completely. Returns the counter it holds, -1 when the file is not a
// complete save.
int SavedCounter(const std::string& path, std::string& problem) {
  PackageReader reader;
  if (!OpenPackage(path, reader)) {
    problem = "not a container: " + reader.FailureReason;
    return -1;
  }
  std::string data;
  for (int i = 0; i < reader.EntryCount; ++i) {
    if (!ExtractEntryByIndex(reader, i, data)) {
      problem = "entry " + reader.Entries[i].Name + " is torn: " + reader.FailureReason;
      return -1;
    }
  }
  TStringList info, values;
  if (!LoadEntryStrings(reader, "savefile.info", info) || !LoadEntryStrings(reader, "valuevar.info", values)) {
    problem = "entries missing";
    return -1;
  }
  return ListReadInteger(values, "n", -1);
}

TEST(CrashSave, ASaveKilledAtAnyMomentIsTheOldOrTheNewCompleteSave) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Path() + "/game");
  // Each run continues from the save of the run before, counts on and
  // saves on every tick; the save carries a picture (the thumbnail) and
  // enough text to take a while to write, so many kills land inside a
  // write.
  const std::string filler(4000, 'x');
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "StartBook=B", "StartPage=Start", "<Head End>",
                  "<Book=\"B\">", "<Page=\"Start\">",
                  "SaveCtrl.Command=AutoLoad", "SaveCtrl.FileName=state.sav", "@SaveCtrl",
                  "Move.BookName=B", "Move.PageName=Loop", "@Move", "<Page End>",
                  "<Page=\"Loop\">",
                  "StringCtrl.StringVar=$filler$", "StringCtrl.Text=" + filler, "@StringCtrl",
                  "Call.BookName=B", "Call.PageName=Grow", "@Call",
                  "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=%n%", "ValueCtrl.RightValue=1",
                  "ValueCtrl.Calc=Add", "@ValueCtrl",
                  "Call.BookName=B", "Call.PageName=Save", "@Call",
                  "Wait.TimeBreak=1", "Wait.Time=200", "@Wait",
                  "Move.BookName=B", "Move.PageName=Loop", "@Move", "<Page End>",
                  // Saved from a called page, so a load resumes after the call.
                  "<Page=\"Save\">",
                  "SaveCtrl.Command=AutoSave", "SaveCtrl.FileName=state.sav", "@SaveCtrl", "@Return",
                  "<Page End>"};
  // Doubled six times: a quarter megabyte of text in every save.
  lines.push_back("<Page=\"Grow\">");
  for (int i = 0; i < 6; ++i) {
    for (const char* line : {"StringCtrl.StringVar=$filler$", "StringCtrl.Text=$filler$$filler$", "@StringCtrl"}) {
      lines.push_back(line);
    }
  }
  for (const char* line : {"@Return", "<Page End>", "<Book End>"}) lines.push_back(line);
  const std::string script = dir.Write("game.pf5", MakeScript(lines));
  const std::string save = dir.Path() + "/game/state.sav";

  // The first save must appear; the time it takes sets the pace of the
  // kills below.
  const auto started = std::chrono::steady_clock::now();
  TPlayerProcess pid = StartPlayer(script);
  ASSERT_TRUE(Started(pid));
  for (int i = 0; i < 3000 && !std::filesystem::exists(save); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto firstSave = std::chrono::steady_clock::now() - started;
  KillPlayer(pid);
  ASSERT_TRUE(std::filesystem::exists(save)) << "the player never saved";

  std::string problem;
  int last = SavedCounter(save, problem);
  ASSERT_GE(last, 1) << problem;
  const int first = last;
  // Kills spread over start-up, loading and a few rounds of the saving
  // loop: up to three times as long as the first run took to save.
  constexpr int kKills = 40;
  for (int k = 0; k < kKills; ++k) {
    pid = StartPlayer(script);
    ASSERT_TRUE(Started(pid));
    std::this_thread::sleep_for(firstSave * ((k * 7) % 31) / 10);
    KillPlayer(pid);
    ASSERT_TRUE(std::filesystem::exists(save)) << "save lost at kill " << k;
    const int counter = SavedCounter(save, problem);
    ASSERT_GE(counter, last) << "kill " << k << ": " << problem;
    last = counter;
  }
  // The runs did count on from each other's saves.
  EXPECT_GT(last, first);
}

}  // namespace
}  // namespace pelto5::test
