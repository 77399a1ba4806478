// Playing without a mouse, end to end through the headless player: Tab,
// Shift+Tab, the arrow keys and a game controller's buttons move the focus
// over the choices of a wait, Enter, Space and A click the focused one, and
// the focus ring shows in the window's picture without touching the
// scenario's own state.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

const std::string kBook = "スタートブック";

// A start page offering three choices (left 20, top 100, width 300), each
// choice's page setting r to its number; r=9 if the choice was passed by.
std::vector<std::string> ThreeChoices(const std::vector<std::string>& before = {}) {
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19", "<Head End>",
                                    "<Book=\"" + kBook + "\">", "<Page=\"スタートページ\">"};
  lines.insert(lines.end(), before.begin(), before.end());
  for (const char* l :
       {"Select.Area.Left=20", "Select.Area.Top=100", "Select.Area.Width=300", "Select.Text1=一つ目",
        "Select.Page1=one", "Select.Text2=二つ目", "Select.Page2=two", "Select.Text3=三つ目", "Select.Page3=three",
        "@Select", "ValueCtrl.ValueVar=%r%", "ValueCtrl.LeftValue=9", "@ValueCtrl", "<Page End>"}) {
    lines.push_back(l);
  }
  const char* names[] = {"one", "two", "three"};
  for (int n = 0; n < 3; ++n) {
    for (const std::string& l : {std::string("<Page=\"") + names[n] + "\">", std::string("ValueCtrl.ValueVar=%r%"),
                                 "ValueCtrl.LeftValue=" + std::to_string(n + 1), std::string("@ValueCtrl"),
                                 std::string("<Page End>")}) {
      lines.push_back(l);
    }
  }
  lines.push_back("<Book End>");
  return lines;
}

struct TRun {
  TPlayerResult Result;
  std::string Dump;
};

TRun RunGame(const TTempDir& dir, const std::string& events, const std::vector<std::string>& script = ThreeChoices()) {
  TRun run;
  run.Result = RunPlayer({"--headless", "--max-time", "3000", "--dump-state", dir.Path() + "/dump.txt", "--events",
                          dir.Write("events.txt", events), dir.Write("game.pf5", MakeScript(script))});
  run.Dump = ReadFileText(dir.Path() + "/dump.txt");
  return run;
}

// The choice that was taken (r), "" when none: the wait was still on.
std::string Chosen(const std::string& events) {
  TTempDir dir;
  const TRun run = RunGame(dir, events);
  const size_t at = run.Dump.find("[values]\nr=");
  if (at == std::string::npos) return "";
  return run.Dump.substr(at + 11, 1);
}

TEST(ClickFocus, TabShiftTabAndArrowsMoveInCreationOrderAndEnterOrSpaceClicks) {
  EXPECT_EQ(Chosen("400 key tab\n800 key enter\n"), "1");
  EXPECT_EQ(Chosen("400 key tab\n500 key tab\n800 key space\n"), "2");
  // Past the last choice the focus comes round to the first.
  EXPECT_EQ(Chosen("400 key tab\n500 key tab\n600 key tab\n700 key tab\n800 key enter\n"), "1");
  // Going back first lands on the last choice.
  EXPECT_EQ(Chosen("400 key-down shift\n400 key tab\n400 key-up shift\n800 key enter\n"), "3");
  EXPECT_EQ(Chosen("400 key down\n500 key down\n600 key down\n700 key up\n800 key enter\n"), "2");
  EXPECT_EQ(Chosen("400 key left\n500 key left\n800 key enter\n"), "2");
  // Nothing has the focus before it is moved: Enter alone chooses nothing.
  EXPECT_EQ(Chosen("400 key enter\n800 key space\n"), "");
}

TEST(ClickFocus, PadDirectionsMoveTheFocusAndAClicks) {
  EXPECT_EQ(Chosen("400 pad dpdown\n500 pad dpdown\n800 pad a\n"), "2");
  EXPECT_EQ(Chosen("400 pad dpup\n800 pad a\n"), "3");
  EXPECT_EQ(Chosen("400 pad dpright\n500 pad dpleft\n800 pad a\n"), "3");
  // Buttons without a job here change nothing.
  EXPECT_EQ(Chosen("400 pad x\n500 pad y\n600 pad start\n800 pad a\n"), "");
}

TEST(ClickFocus, RingIsInThePictureOnlyAroundTheFocusedChoiceAndSetsNoHover) {
  TTempDir dir;
  const std::string before = dir.Path() + "/before.png";
  const std::string focused = dir.Path() + "/focused.png";
  const std::string second = dir.Path() + "/second.png";
  const TRun run = RunGame(dir, "300 shot " + before + "\n400 key tab\n500 shot " + focused + "\n600 key tab\n700 shot " +
                                second + "\n");
  EXPECT_EQ(run.Result.ExitStatus, 3);  // still waiting at the choices

  // The choices as the scenario holds them: areas, and no entry active.
  std::vector<std::vector<int>> areas;  // left, top, width, height; newest first
  size_t at = run.Dump.find("[dynamic-layers]\n");
  ASSERT_NE(at, std::string::npos) << run.Dump;
  for (size_t line = at + 17; line < run.Dump.size() && std::isdigit(static_cast<unsigned char>(run.Dump[line]));) {
    const size_t end = run.Dump.find('\n', line);
    std::vector<std::string> fields;
    std::string rest = run.Dump.substr(line, end - line);
    for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest.erase(0, bar + 1)) {
      fields.push_back(rest.substr(0, bar));
    }
    fields.push_back(rest);
    ASSERT_EQ(fields.size(), 9u) << run.Dump;
    areas.push_back({std::stoi(fields[1]), std::stoi(fields[2]), std::stoi(fields[3]), std::stoi(fields[4])});
    EXPECT_EQ(fields[7], "1") << "the focus made an entry active: " << run.Dump;
    line = end + 1;
  }
  ASSERT_EQ(areas.size(), 3u);
  const std::vector<int>& first = areas[2];
  const std::vector<int>& next = areas[1];

  const TRgbImage a = ReadPng(before);
  const TRgbImage b = ReadPng(focused);
  const TRgbImage c = ReadPng(second);
  ASSERT_EQ(a.Width, 640);
  ASSERT_GT(CountDifferentPixels(a, b), 0);
  // Every changed pixel lies in a band of 4 pixels around the first choice.
  auto inRing = [](const std::vector<int>& area, int x, int y) {
    const bool outer = x >= area[0] - 4 && x < area[0] + area[2] + 4 && y >= area[1] - 4 && y < area[1] + area[3] + 4;
    const bool inner = x >= area[0] && x < area[0] + area[2] && y >= area[1] && y < area[1] + area[3];
    return outer && !inner;
  };
  long ringPixels = 0;
  for (int y = 0; y < a.Height; ++y) {
    for (int x = 0; x < a.Width; ++x) {
      if (a.At(x, y) == b.At(x, y)) continue;
      ASSERT_TRUE(inRing(first, x, y)) << x << "," << y;
      ++ringPixels;
    }
  }
  EXPECT_GT(ringPixels, 2 * (first[2] + first[3]));
  EXPECT_EQ(b.At(first[0] - 2, first[1] + first[3] / 2), 0xFFC800u);
  // The second Tab moves the ring: the first choice looks as before again.
  EXPECT_EQ(c.At(first[0] - 2, first[1] + first[3] / 2), a.At(first[0] - 2, first[1] + first[3] / 2));
  EXPECT_EQ(c.At(next[0] - 2, next[1] + next[3] / 2), 0xFFC800u);
}

TEST(ClickFocus, ClickableLayerIsReachedAndItsCallReturns) {
  // A transparent clickable layer made before the choices comes first.
  const std::vector<std::string> layer = {
      "DynamicLayer.Type=Transparent", "DynamicLayer.Clickable.Mode=All", "DynamicLayer.Clickable.BookName=" + kBook,
      "DynamicLayer.Clickable.PageName=two", "DynamicLayer.Area.Left=500", "DynamicLayer.Area.Top=10",
      "DynamicLayer.Area.Width=50", "DynamicLayer.Area.Height=50", "DynamicLayer.AttrID=7", "@DynamicLayer"};
  TTempDir dir;
  const TRun run = RunGame(dir, "400 key tab\n800 key enter\n", ThreeChoices(layer));
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_NE(run.Dump.find("[values]\nr=2\n"), std::string::npos) << run.Dump;
}

}  // namespace
}  // namespace pelto5::test
