// The reader's comforts end to end, through the headless player: skip with
// Ctrl held, auto-advance, the message history and F12 screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

const std::string kStart = "スタートブック/スタートページ";

struct TRun {
  TPlayerResult Result;
  std::string Dump;
};

// Runs the script with the events; files named in the events are written
// relative to dir.
TRun RunIn(const TTempDir& dir, const std::vector<std::string>& scriptLines, const std::string& events,
           const std::string& maxTime) {
  const std::string script = dir.Write("game.pf5", MakeScript(scriptLines));
  TRun run;
  run.Result = RunPlayer({"--headless", "--trace", "--max-time", maxTime, "--dump-state", dir.Path() + "/dump.txt",
                          "--events", dir.Write("events.txt", events), script});
  run.Dump = ReadFileText(dir.Path() + "/dump.txt");
  return run;
}

TRun RunScript(const std::vector<std::string>& scriptLines, const std::string& events, const std::string& maxTime) {
  TTempDir dir;
  return RunIn(dir, scriptLines, events, maxTime);
}

std::vector<std::string> TraceOf(const TPlayerResult& r) { return r.LinesStartingWith("trace: "); }

// Virtual time of the first trace line of command index on the start page.
long TimeOf(const TPlayerResult& r, int index) {
  const std::string suffix = " " + kStart + " #" + std::to_string(index) + " ";
  for (const std::string& l : TraceOf(r)) {
    const size_t at = l.find(suffix);
    if (at != std::string::npos) return std::stol(l.substr(7, at - 7));
  }
  return -1;
}

// --- Skip ---------------------------------------------------------------------

const std::vector<std::string> kThreeKeyWaits = ScriptWithPage(
    {"MessageDraw.Text=一つ<KEY>二つ<KEY>三つ<KEY>四つ", "@MessageDraw", "Select.Area.Left=20",
     "Select.Area.Top=100", "Select.Area.Width=300", "Select.Text1=はい", "Select.Page1=one",
     "Select.Text2=いいえ", "Select.Page2=two", "@Select", "@rem"});

TEST(ComfortsSkip, CtrlHeldRunsThroughKeyWaitsAsSpacePressesWouldAndStopsAtTheChoice) {
  const TRun held = RunScript(kThreeKeyWaits, "0 key-down ctrl\n", "6000");
  EXPECT_EQ(held.Result.ExitStatus, 3);
  // The choice waits for the reader even with Ctrl still held.
  EXPECT_NE(held.Dump.find("[process]\nPlayerMode=2\n"), std::string::npos) << held.Dump;
  ASSERT_NE(TimeOf(held.Result, 1), -1);
  EXPECT_EQ(TimeOf(held.Result, 2), -1);

  // The message starts at 200 and reveals up to its first key wait at 400;
  // a Space at each of the next ticks ends the three waits.
  const TRun spaces = RunScript(kThreeKeyWaits, "600 key space\n800 key space\n1000 key space\n", "6000");
  EXPECT_EQ(TraceOf(held.Result), TraceOf(spaces.Result));
  EXPECT_EQ(held.Dump, spaces.Dump);

  // Without either the message stays at its first key wait.
  const TRun none = RunScript(kThreeKeyWaits, "", "6000");
  EXPECT_EQ(TimeOf(none.Result, 1), -1);
  EXPECT_NE(none.Dump.find("[process]\nPlayerMode=4\n"), std::string::npos) << none.Dump;

  // Releasing Ctrl stops skipping: held only until the first wait was ended.
  const TRun released = RunScript(kThreeKeyWaits, "0 key-down ctrl\n700 key-up ctrl\n", "6000");
  EXPECT_EQ(TimeOf(released.Result, 1), -1);
}

TEST(ComfortsSkip, TextAppearsAtOnceButTimedWaitsAreKept) {
  const std::vector<std::string> script = ScriptWithPage(
      {"MessageDraw.Text=あ<W50>い", "@MessageDraw", "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait", "@rem"});
  const TRun plain = RunScript(script, "", "20000");
  const TRun held = RunScript(script, "0 key-down ctrl\n", "20000");
  // The 5 s pause inside the text is passed over; the 1 s "@Wait" is not.
  EXPECT_GE(TimeOf(plain.Result, 1), 5000);
  EXPECT_LT(TimeOf(held.Result, 1), 1000);
  EXPECT_GE(TimeOf(held.Result, 2) - TimeOf(held.Result, 1), 1000);
}

// --- Auto-advance ----------------------------------------------------------------

const std::vector<std::string> kAutoScript = ScriptWithPage(
    {"MessageDraw.Text=ABC<KEY>DE", "@MessageDraw", "@rem", "MessageDraw.Text=FGHIJKLMNOPQRSTUVWXYZ<KEY>x",
     "@MessageDraw", "@rem", "MessageDraw.Text=ab<KEY>c", "@MessageDraw", "@rem"});

TEST(ComfortsAuto, KeyWaitsEndAfterADelayGrowingWithTheTextAndAClickTurnsItOff) {
  const TRun run = RunScript(kAutoScript, "100 key 65\n", "30000");
  // Each message is started at a tick and reaches its key wait one tick
  // later; the wait then ends at the first tick 1.5 s + 60 ms per
  // character after that.
  const long first = TimeOf(run.Result, 0) + 200;
  EXPECT_EQ(TimeOf(run.Result, 1), first + 1800);  // 3 characters: 1680 ms
  const long second = TimeOf(run.Result, 2) + 200;
  EXPECT_EQ(TimeOf(run.Result, 3), second + 2800);  // 21 characters: 2760 ms
  EXPECT_NE(TimeOf(run.Result, 5), -1);

  // Without "A" nothing advances by itself.
  const TRun off = RunScript(kAutoScript, "", "30000");
  EXPECT_EQ(TimeOf(off.Result, 1), -1);

  // A click during the second wait ends it as usual and turns auto-advance
  // off: the third message waits for the reader.
  const long click = TimeOf(run.Result, 2) + 1100;
  const TRun clicked = RunScript(kAutoScript, "100 key 65\n" + std::to_string(click) + " click 5 5\n", "30000");
  EXPECT_EQ(TimeOf(clicked.Result, 3), click + 200 - click % 200);
  EXPECT_NE(TimeOf(clicked.Result, 4), -1);
  EXPECT_EQ(TimeOf(clicked.Result, 5), -1);
  EXPECT_NE(clicked.Dump.find("[process]\nPlayerMode=4\n"), std::string::npos) << clicked.Dump;
}

TEST(ComfortsAuto, TheMarkShowsOnlyOnTheWindowAndOnlyWhileOn) {
  TTempDir dir;
  const std::string events = "100 key 65\n300 shot " + dir.Path() + "/on.png\n400 key 65\n500 shot " + dir.Path() +
                             "/off.png\n";
  RunIn(dir, ScriptWithPage({"@rem", "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait"}), events, "1000");
  const TRgbImage on = ReadPng(dir.Path() + "/on.png");
  const TRgbImage off = ReadPng(dir.Path() + "/off.png");
  ASSERT_EQ(on.Width, 640);
  ASSERT_EQ(off.Width, 640);
  long corner = 0;
  long elsewhere = 0;
  for (int y = 0; y < on.Height; ++y) {
    for (int x = 0; x < on.Width; ++x) {
      if (on.At(x, y) == off.At(x, y)) continue;
      (x >= 560 && y < 30 ? corner : elsewhere) += 1;
    }
  }
  EXPECT_GT(corner, 20);
  EXPECT_EQ(elsewhere, 0);
}

// --- History -------------------------------------------------------------------

// The rows of the image that hold pixels of exactly the colour, as bands
// [top, bottom) of consecutive rows.
std::vector<std::pair<int, int>> Bands(const TRgbImage& image, uint32_t color) {
  std::vector<std::pair<int, int>> bands;
  for (int y = 0; y < image.Height; ++y) {
    bool found = false;
    for (int x = 0; x < image.Width && !found; ++x) found = image.At(x, y) == color;
    if (!found) continue;
    if (!bands.empty() && bands.back().second == y) {
      bands.back().second = y + 1;
    } else {
      bands.push_back({y, y + 1});
    }
  }
  return bands;
}

// The pixels of the colour inside the band, cropped to their bounding box,
// as text rows of "#" and ".".
std::vector<std::string> Glyphs(const TRgbImage& image, std::pair<int, int> band, uint32_t color) {
  int left = image.Width;
  int right = -1;
  for (int y = band.first; y < band.second; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      if (image.At(x, y) != color) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  std::vector<std::string> rows;
  for (int y = band.first; y < band.second; ++y) {
    std::string row;
    for (int x = left; x <= right; ++x) row += image.At(x, y) == color ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

const std::vector<std::string> kHistoryScript = ScriptWithPage(
    {"MessageDraw.Text=Alpha", "@MessageDraw", "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait",
     "MessageDraw.Text=Bold<KEY>Bold", "@MessageDraw", "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait",
     "MessageDraw.Text=Charlie#Delta", "@MessageDraw", "Wait.TimeBreak=1", "Wait.Time=5000", "Wait.InputBreak=1",
     "@Wait", "@rem"});

TEST(ComfortsHistory, ShowsTheEarlierPagesNewestAtTheBottomAndStopsTheScenarioClock) {
  TTempDir dir;
  const std::string shot = dir.Path() + "/history.png";
  const std::string events = "0 key-down ctrl\n"  // the key wait of the second message passes
                             "3050 shot " + dir.Path() + "/before.png\n"
                             "3100 wheel 1\n"
                             "3150 click 5 5\n"  // neither reaches the scenario's wait
                             "3150 key space\n"
                             "3300 shot " + shot + "\n"
                             "6100 key escape\n"
                             "6200 shot " + dir.Path() + "/after.png\n";
  const TRun run = RunIn(dir, kHistoryScript, events, "30000");
  const TRun plain = RunScript(kHistoryScript, "0 key-down ctrl\n", "30000");
  ASSERT_EQ(run.Result.ExitStatus, 0);
  ASSERT_NE(TimeOf(plain.Result, 6), -1);
  // The history stood open for 3000 ms; the timed wait took that much longer.
  EXPECT_EQ(TimeOf(run.Result, 6), TimeOf(plain.Result, 6) + 3000);
  // Everything before it ran at the same times.
  EXPECT_EQ(TimeOf(run.Result, 5), TimeOf(plain.Result, 5));

  const TRgbImage before = ReadPng(dir.Path() + "/before.png");
  const TRgbImage history = ReadPng(shot);
  const TRgbImage after = ReadPng(dir.Path() + "/after.png");
  ASSERT_EQ(history.Width, 640);
  // Closed, the window shows the scenario's picture again.
  EXPECT_EQ(CountDifferentPixels(before, after), 0);

  // Rows of white text: Alpha, then (a blank row between pages) BoldBold,
  // then the two lines of the last page, the newest at the bottom.
  const std::vector<std::pair<int, int>> bands = Bands(history, 0xFFFFFF);
  ASSERT_EQ(bands.size(), 4u);
  const int pitch = bands[3].first - bands[2].first;
  EXPECT_GT(pitch, 10);
  EXPECT_EQ(bands[1].first - bands[0].first, 2 * pitch);
  EXPECT_EQ(bands[2].first - bands[1].first, 2 * pitch);
  EXPECT_GT(bands[3].second, 480 - 16 - pitch);
  EXPECT_LE(bands[3].second, 480 - 16);
  // The last page's glyphs are the ones the message drew on the screen.
  const std::vector<std::pair<int, int>> shown = Bands(before, 0x000000);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(Glyphs(history, bands[2], 0xFFFFFF), Glyphs(before, shown[0], 0x000000));
  EXPECT_EQ(Glyphs(history, bands[3], 0xFFFFFF), Glyphs(before, shown[1], 0x000000));
  // The first page is one word; the second, the same word twice.
  const size_t alpha = Glyphs(history, bands[0], 0xFFFFFF).front().size();
  const size_t bold = Glyphs(history, bands[1], 0xFFFFFF).front().size();
  EXPECT_GT(bold, alpha + alpha / 2);
  // Under the text, the picture is dimmed.
  EXPECT_EQ(history.At(600, 5), (before.At(600, 5) >> 2 & 0x3F3F3F) + (before.At(600, 5) >> 3 & 0x1F1F1F));
}

TEST(ComfortsHistory, ScrollsTowardsOlderPagesAndClosesPastTheNewest) {
  TTempDir dir;
  std::vector<std::string> page;
  for (int i = 0; i < 40; ++i) {
    page.push_back("MessageDraw.Effect=None");
    page.push_back("MessageDraw.Text=Line" + std::to_string(i));
    page.push_back("@MessageDraw");
  }
  page.push_back("Wait.TimeBreak=1");
  page.push_back("Wait.Time=100000");
  page.push_back("@Wait");
  const std::string p = dir.Path() + "/";
  const std::string events = "900 shot " + p + "z.png\n1000 wheel 1\n1100 shot " + p + "a.png\n1200 key 38\n1300 shot " + p +
                             "b.png\n1400 wheel -1\n1500 shot " + p + "c.png\n1600 wheel -1\n1700 shot " + p +
                             "d.png\n1800 key 33\n1900 shot " + p + "e.png\n2000 rclick 5 5\n2100 shot " + p +
                             "f.png\n";
  RunIn(dir, ScriptWithPage(page), events, "3000");
  const TRgbImage z = ReadPng(p + "z.png");
  const TRgbImage a = ReadPng(p + "a.png");
  const TRgbImage b = ReadPng(p + "b.png");
  const TRgbImage c = ReadPng(p + "c.png");
  const TRgbImage d = ReadPng(p + "d.png");
  const TRgbImage e = ReadPng(p + "e.png");
  const TRgbImage f = ReadPng(p + "f.png");
  const std::vector<std::pair<int, int>> rowsA = Bands(a, 0xFFFFFF);
  const std::vector<std::pair<int, int>> rowsB = Bands(b, 0xFFFFFF);
  ASSERT_GE(rowsA.size(), 5u);
  // One line up: the newest line moved down out of sight and the rows kept
  // their places (every other row is the blank between pages).
  EXPECT_EQ(Glyphs(b, rowsB.back(), 0xFFFFFF), Glyphs(a, rowsA[rowsA.size() - 2], 0xFFFFFF));
  EXPECT_NE(Glyphs(b, rowsB.back(), 0xFFFFFF), Glyphs(a, rowsA.back(), 0xFFFFFF));
  // Wheel down by three lines goes back to the bottom; once more closes.
  EXPECT_EQ(CountDifferentPixels(a, c), 0);
  EXPECT_EQ(CountDifferentPixels(z, d), 0);
  EXPECT_GT(CountDifferentPixels(z, a), 0);
  // Page Up opens it again; a right click closes it.
  EXPECT_EQ(CountDifferentPixels(a, e), 0);
  EXPECT_EQ(CountDifferentPixels(z, f), 0);
}

// --- Screenshot ------------------------------------------------------------------

TEST(ComfortsScreenshot, F12WritesThePictureIntoTheSaveFolder) {
  TTempDir dir;
  const std::string events = "900 key 65\n1000 key 123\n1000 shot " + dir.Path() + "/shot.png\n1000 key 123\n";
  const TRun run = RunIn(dir, ScriptWithPage({"MessageDraw.Text=Picture", "@MessageDraw", "Wait.TimeBreak=1",
                                               "Wait.Time=10000", "@Wait"}),
                         events, "4000");
  EXPECT_EQ(run.Result.ExitStatus, 3);
  // The save folder of "game.pf5" is "game/"; the headless clock reads
  // 2000-01-01 00:00:01 at 1000 ms. A second shot in the same second does
  // not replace the first.
  const TRgbImage saved = ReadPng(dir.Path() + "/game/screenshot-20000101-000001.png");
  const TRgbImage again = ReadPng(dir.Path() + "/game/screenshot-20000101-000001-2.png");
  const TRgbImage shot = ReadPng(dir.Path() + "/shot.png");
  ASSERT_EQ(saved.Width, 640);
  EXPECT_EQ(CountDifferentPixels(saved, shot), 0);
  EXPECT_EQ(CountDifferentPixels(again, shot), 0);
  EXPECT_TRUE(run.Result.LinesStartingWith("message").empty());
}

}  // namespace
}  // namespace pelto5::test
