// Translations end to end: the template --extract-text writes, a PO file
// made from it shown by --translation (and carried by --text-out), entries
// that do not apply falling back to the script's text, and a broken file
// reported and left unused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

// Script lines: the two "///" lines, the header (4 lines), the book and
// page markers, so the page's first line is line 9.
const std::vector<std::string> kScenario = ScriptWithPage({
    "StringCtrl.StringVar=$名前$", "StringCtrl.Text=ナギ", "@StringCtrl",  // lines 9-11, #0
    "MessageDraw.Text=<B>$名前$</B>です<KEY>よろしく", "@MessageDraw",   // 12-13, #1
    "MessageDraw.Effect=None", "MessageDraw.Text=\"灯台\"へ", "@MessageDraw",  // 14-16, #2
    "MessageDraw.Text=変わらない", "@MessageDraw", "@rem"});                 // 17-18, #3

const char* const kEvents = "1000 key space\n2000 key space\n3000 key space\n";

// The "text" member of each --text-out record.
std::vector<std::string> Texts(const std::string& jsonLines) {
  std::vector<std::string> texts;
  for (const std::string& l : SplitLines(jsonLines)) {
    const size_t at = l.find("\"text\":\"");
    texts.push_back(at == std::string::npos ? "?" : l.substr(at + 8, l.size() - at - 8 - 2));
  }
  return texts;
}

TEST(Translation, ExtractWritesOneEntryPerMessageWithItsPlaceAndLine) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const TPlayerResult r = RunPlayer({"--extract-text", script});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::string context = "スタートブック/スタートページ#";
  const std::string expected =
      "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
      "\"Content-Transfer-Encoding: 8bit\\n\"\n"
      "\n#: " + script + ":12\nmsgctxt \"" + context + "1\"\nmsgid \"<B>$名前$</B>です<KEY>よろしく\"\nmsgstr \"\"\n"
      "\n#: " + script + ":15\nmsgctxt \"" + context + "2\"\nmsgid \"\\\"灯台\\\"へ\"\nmsgstr \"\"\n"
      "\n#: " + script + ":17\nmsgctxt \"" + context + "3\"\nmsgid \"変わらない\"\nmsgstr \"\"\n";
  EXPECT_EQ(r.StdOut, expected);

  EXPECT_EQ(RunPlayer({"--extract-text", dir.Path() + "/missing.pf5"}).ExitStatus, 1);
  EXPECT_EQ(RunPlayer({"--extract-text"}).ExitStatus, 2);
}

TEST(Translation, TranslatedTextShowsWhereItAppliesAndTheOriginalElsewhere) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  // #1 translated (its variable and tags work as in the original), #2
  // fuzzy, #3 translated from a text the script no longer has.
  const std::string po = dir.Write("ja-en.po",
                                   "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                                   "msgctxt \"スタートブック/スタートページ#1\"\n"
                                   "msgid \"<B>$名前$</B>です<KEY>よろしく\"\n"
                                   "msgstr \"I am <B>$名前$</B>.<KEY> \"\n\"Hello.\"\n\n"
                                   "#, fuzzy\nmsgctxt \"スタートブック/スタートページ#2\"\n"
                                   "msgid \"\\\"灯台\\\"へ\"\nmsgstr \"To the lighthouse\"\n\n"
                                   "msgctxt \"スタートブック/スタートページ#3\"\n"
                                   "msgid \"昔のテキスト\"\nmsgstr \"Old text\"\n");
  const std::string events = dir.Write("events.txt", kEvents);
  auto run = [&](const std::vector<std::string>& extra, const std::string& name) {
    std::vector<std::string> args = {"--headless", "--max-time", "10000", "--events", events, "--text-out",
                                     dir.Path() + "/" + name + ".jsonl", "--screenshot",
                                     dir.Path() + "/" + name + ".png"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(script);
    return RunPlayer(args);
  };
  const TPlayerResult original = run({}, "original");
  const TPlayerResult translated = run({"--translation", po}, "translated");
  EXPECT_EQ(original.ExitStatus, 0);
  EXPECT_EQ(translated.ExitStatus, 0);
  for (const std::string& l : translated.ErrorLines) EXPECT_EQ(l.find("error"), std::string::npos) << l;

  EXPECT_EQ(Texts(ReadFileText(dir.Path() + "/original.jsonl")),
            (std::vector<std::string>{"ナギですよろしく", "\\\"灯台\\\"へ", "変わらない"}));
  EXPECT_EQ(Texts(ReadFileText(dir.Path() + "/translated.jsonl")),
            (std::vector<std::string>{"I am ナギ. Hello.", "\\\"灯台\\\"へ", "変わらない"}));
}

TEST(Translation, PictureDiffersFromTheOriginalOnlyWhereTheTextIs) {
  TTempDir dir;
  // One message shown at once, at the top of the window.
  const std::string script = dir.Write(
      "game.pf5", MakeScript(ScriptWithPage({"MessageDraw.Effect=None", "MessageDraw.Text=灯台守の話", "@MessageDraw",
                                             "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait"})));
  const std::string po = dir.Write("t.po",
                                   "msgctxt \"スタートブック/スタートページ#0\"\nmsgid \"灯台守の話\"\n"
                                   "msgstr \"The keeper's tale\"\n");
  auto shot = [&](const std::vector<std::string>& extra, const std::string& name) {
    std::vector<std::string> args = {"--headless", "--max-time", "3000", "--events",
                                     dir.Write(name + ".events", "600 shot " + dir.Path() + "/" + name + ".png\n")};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(script);
    EXPECT_EQ(RunPlayer(args).ExitStatus, 0);
    return ReadPng(dir.Path() + "/" + name + ".png");
  };
  const TRgbImage a = shot({}, "original");
  const TRgbImage b = shot({"--translation", po}, "translated");
  ASSERT_EQ(a.Width, 640);
  ASSERT_EQ(b.Width, 640);
  long differing = 0;
  int lowest = -1;
  for (int y = 0; y < a.Height; ++y) {
    for (int x = 0; x < a.Width; ++x) {
      if (a.At(x, y) == b.At(x, y)) continue;
      ++differing;
      lowest = y;
    }
  }
  EXPECT_GT(differing, 50);
  // Both texts are one line of a 16-point face: nothing below it changes.
  EXPECT_GE(lowest, 8);
  EXPECT_LT(lowest, 30);
}

TEST(Translation, BrokenFileIsReportedWithItsLinesAndTheGamePlaysUntranslated) {
  TTempDir dir;
  const std::string script = dir.Write("game.pf5", MakeScript(kScenario));
  const std::string po = dir.Write("broken.po",
                                   "msgctxt \"スタートブック/スタートページ#3\"\n"
                                   "msgid \"変わらない\"\n"
                                   "msgstr \"Unchanged\"\n\n"
                                   "msgid \"a\\q\"\n"
                                   "msgstr \"b\"\n\n"
                                   "oops \"c\"\n");
  const std::string out = dir.Path() + "/text.jsonl";
  const TPlayerResult r = RunPlayer({"--headless", "--max-time", "10000", "--events", dir.Write("e.txt", kEvents),
                                     "--translation", po, "--text-out", out, script});
  EXPECT_EQ(r.ExitStatus, 0);
  const std::vector<std::string> errors = r.LinesStartingWith(po + ":");
  EXPECT_EQ(errors, (std::vector<std::string>{po + ":5: error: unknown escape \\q",
                                               po + ":8: error: unknown keyword \"oops\""}));
  // The entry that was fine is not used either.
  EXPECT_EQ(Texts(ReadFileText(out)).back(), "変わらない");
}

}  // namespace
}  // namespace pelto5::test
