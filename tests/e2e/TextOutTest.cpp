// The text stream (--text-out) end to end, through the headless player:
// what a reader's tool receives for messages, boxes and text input, and
// that a destination nobody reads never holds the player up.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "support/PlayerRun.h"
#ifdef _WIN32
#include "support/PipeServer.h"
#endif

namespace pelto5::test {
namespace {

// A record without its leading "ms" member, which is checked apart;
// the ms values in ms, in order.
std::vector<std::string> WithoutTimes(const std::vector<std::string>& records, std::vector<long>& ms) {
  std::vector<std::string> rest;
  for (const std::string& r : records) {
    const std::string head = "{\"ms\":";
    const size_t comma = r.find(',');
    if (r.rfind(head, 0) != 0 || comma == std::string::npos) {
      rest.push_back("malformed: " + r);
      continue;
    }
    ms.push_back(std::stol(r.substr(head.size(), comma - head.size())));
    rest.push_back("{" + r.substr(comma + 1));
  }
  return rest;
}

// Variables, tags, a key wait inside a page, a text-input prompt, a box and
// a message that runs on to a second page.
const std::vector<std::string> kScenario = ScriptWithPage({
    "StringCtrl.StringVar=$名前$", "StringCtrl.Text=ナギ", "@StringCtrl",                    // #0
    "ValueCtrl.ValueVar=%n%", "ValueCtrl.LeftValue=3", "@ValueCtrl",                        // #1
    "MessageDraw.Text=<B>$名前$</B>は<clRed>%n%個<N>#\"持って\"いる<KEY>\\続き", "@MessageDraw",  // #2
    "StringInput.StringVar=$答$", "StringInput.Caption=質問", "StringInput.Text=名前は？",
    "@StringInput",                                                                          // #3
    "ValueCtrl.ValueVar=%x%", "ValueCtrl.LeftValue=5", "ValueCtrl.RightValue=0", "ValueCtrl.Calc=Div",
    "@ValueCtrl",                                                                            // #4
    "MessageDraw.Layer.Move=1", "MessageDraw.Area.Left=0", "MessageDraw.Area.Top=0",
    "MessageDraw.Area.Width=640", "MessageDraw.Area.Height=30",
    "MessageDraw.Text=一行目#二行目#$答$", "@MessageDraw",                                    // #5
    "@rem"});

// Space presses enough for every key wait and page wait.
const char* const kEvents =
    "0 text 灯台\n1000 key space\n2000 key space\n3000 key space\n4000 key space\n5000 key space\n";

const char* const kBook = "\"book\":\"スタートブック\",\"page\":\"スタートページ\"";

std::vector<std::string> ExpectedRecords() {
  const std::string where = kBook;
  return {
      "{\"kind\":\"message\"," + where + ",\"index\":2,\"text\":\"ナギは3個\\n\\\"持って\\\"いる\\\\続き\"}",
      "{\"kind\":\"input\"," + where + ",\"index\":3,\"text\":\"名前は？\"}",
      "{\"kind\":\"box\"," + where + ",\"index\":4,\"text\":\"debug: error report:\\n ０で除算しました\"}",
      "{\"kind\":\"message\"," + where + ",\"index\":5,\"text\":\"一行目\"}",
      "{\"kind\":\"message\"," + where + ",\"index\":5,\"text\":\"二行目\"}",
      "{\"kind\":\"message\"," + where + ",\"index\":5,\"text\":\"灯台\"}",
  };
}

TEST(TextOut, FileGetsOneRecordPerPageBoxAndPromptAndIsAppendedTo) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const std::string events = dir.Write("events.txt", kEvents);
  const std::string out = dir.Path() + "/text.jsonl";
  const TPlayerResult first =
      RunPlayer({"--headless", "--max-time", "20000", "--events", events, "--text-out", out, script});
  EXPECT_EQ(first.ExitStatus, 0);

  std::vector<long> ms;
  const std::vector<std::string> records = SplitLines(ReadFileText(out));
  EXPECT_EQ(WithoutTimes(records, ms), ExpectedRecords());
  // Each record is stamped when it began to show: in order, the message
  // after its first tick, the later pages after the key presses.
  ASSERT_EQ(ms.size(), 6u);
  EXPECT_GE(ms[0], 200);
  for (size_t i = 1; i < ms.size(); ++i) EXPECT_LE(ms[i - 1], ms[i]) << i;
  EXPECT_GE(ms[4], 1000);
  EXPECT_GT(ms[5], ms[4]);

  // A second run adds to the file.
  const TPlayerResult second =
      RunPlayer({"--headless", "--max-time", "20000", "--events", events, "--text-out", out, script});
  EXPECT_EQ(second.ExitStatus, 0);
  const std::vector<std::string> both = SplitLines(ReadFileText(out));
  ASSERT_EQ(both.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(both.begin() + 6, both.end()), records);
}

TEST(TextOut, StandardOutputAndClipboardCarryTheSameTexts) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const std::string events = dir.Write("events.txt", kEvents);
  const TPlayerResult toStdout =
      RunPlayer({"--headless", "--max-time", "20000", "--events", events, "--text-out", "-", script});
  std::vector<long> ms;
  EXPECT_EQ(WithoutTimes(SplitLines(toStdout.StdOut), ms), ExpectedRecords());

  // Headless, the clipboard is a line on standard error holding the text alone.
  const TPlayerResult toClipboard =
      RunPlayer({"--headless", "--max-time", "20000", "--events", events, "--text-out", "clipboard", script});
  EXPECT_EQ(toClipboard.StdOut, "");
  const std::vector<std::string> expected = {
      "clipboard: ナギは3個\\n\"持って\"いる\\続き", "clipboard: 名前は？",
      "clipboard: debug: error report:\\n ０で除算しました", "clipboard: 一行目", "clipboard: 二行目",
      "clipboard: 灯台"};
  EXPECT_EQ(toClipboard.LinesStartingWith("clipboard: "), expected);
}

TEST(TextOut, FifoWithoutReaderDropsLinesAndSaysSoOnceWithReaderGetsThemAll) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs in the file system";
#else
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const std::string events = dir.Write("events.txt", kEvents);
  const std::string fifo = dir.Path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  // No reader: the run is the same as without --text-out, and one line says
  // that lines are dropped. (A blocking open would hang here.)
  const std::string command = "timeout 60 " + PlayerCommand(PELTO5_PLAYER, {"--headless", "--max-time", "20000", "--events",
                                                                  events, "--text-out", fifo, script});
  const std::string unread = CaptureOutput(command + " 2>&1; echo status=$?");
  EXPECT_NE(unread.find("status=0"), std::string::npos) << unread;
  size_t said = 0;
  for (const std::string& l : SplitLines(unread)) said += l.find("--text-out " + fifo) != std::string::npos ? 1 : 0;
  EXPECT_EQ(said, 1u) << unread;

  // A reader that is there from the start gets every record.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const TPlayerResult read =
      RunPlayer({"--headless", "--max-time", "20000", "--events", events, "--text-out", fifo, script});
  std::string received;
  char buffer[4096];
  for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;) received.append(buffer, static_cast<size_t>(n));
  close(reader);
  EXPECT_EQ(read.ExitStatus, 0);
  std::vector<long> ms;
  EXPECT_EQ(WithoutTimes(SplitLines(received), ms), ExpectedRecords());
  for (const std::string& l : read.ErrorLines) EXPECT_EQ(l.find("--text-out"), std::string::npos) << l;
#endif
}

#ifdef _WIN32
// The run with --text-out to pipe, ended after 60 s if it hangs.
TProgramResult RunToPipe(const std::string& pipe, const std::string& events, const std::string& script) {
  TProgramOptions options = PlayerOptions();
  options.TimeoutSeconds = 60;
  return RunProgram(
      {PELTO5_PLAYER, "--headless", "--max-time", "20000", "--events", events, "--text-out", pipe, script}, options);
}

// The lines of standard error that tell of lines dropped on the way to
// pipe (in whichever language the player speaks).
size_t DropWarnings(const TProgramResult& run, const std::string& pipe) {
  const std::string name = pipe.substr(pipe.find_last_of('\\') + 1);
  size_t said = 0;
  for (const std::string& l : SplitLines(run.StdErr)) {
    said += l.find("--text-out ") != l.npos && l.find(name) != l.npos ? 1 : 0;
  }
  return said;
}

TEST(TextOut, NamedPipeWithAReaderGetsEveryRecord) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const std::string events = dir.Write("events.txt", kEvents);
  TPipeServer reader(64 * 1024);
  ASSERT_TRUE(reader.IsOpen());
  // Given as the reader names it, with backslashes.
  const TProgramResult run = RunToPipe(reader.Name(), events, script);
  EXPECT_EQ(run.ExitStatus, 0) << run.StdErr;
  std::vector<long> ms;
  EXPECT_EQ(WithoutTimes(SplitLines(reader.ReadAvailable()), ms), ExpectedRecords());
  EXPECT_EQ(DropWarnings(run, reader.Name()), 0u) << run.StdErr;
}

TEST(TextOut, NamedPipeWithoutAReaderOrWithOneThatDoesNotReadNeverHoldsThePlayerUp) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const std::string events = dir.Write("events.txt", kEvents);
  // Nobody serves the pipe: the run is the same (the pipe is not refused
  // as a file in a missing folder), and one line says that lines are
  // dropped.
  {
    TPipeServer gone(1);
    const std::string name = gone.Name();
    gone.Close();
    const TProgramResult run = RunToPipe(name, events, script);
    EXPECT_FALSE(run.TimedOut);
    EXPECT_EQ(run.ExitStatus, 0) << run.StdErr;
    EXPECT_EQ(DropWarnings(run, name), 1u) << run.StdErr;
  }
  // A reader that is connected but never reads, with a pipe too small for
  // a line: a blocking write would wait for it for ever.
  TPipeServer stuck(1);
  ASSERT_TRUE(stuck.IsOpen());
  const TProgramResult run = RunToPipe(stuck.Name(), events, script);
  EXPECT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitStatus, 0) << run.StdErr;
  EXPECT_EQ(DropWarnings(run, stuck.Name()), 1u) << run.StdErr;
  // What the pipe did take is whole records of the run, in order.
  const std::vector<std::string> expected = ExpectedRecords();
  std::vector<long> ms;
  const std::vector<std::string> got = WithoutTimes(SplitLines(stuck.ReadAvailable()), ms);
  ASSERT_LT(got.size(), expected.size());
  EXPECT_EQ(got, std::vector<std::string>(expected.begin(), expected.begin() + static_cast<long>(got.size())));
}
#endif

TEST(TextOut, DestinationInAMissingFolderIsABadCommandLine) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const TPlayerResult r = RunPlayer({"--headless", "--text-out", dir.Path() + "/no/such/text.jsonl", script});
  EXPECT_EQ(r.ExitStatus, 2);
}

}  // namespace
}  // namespace pelto5::test
