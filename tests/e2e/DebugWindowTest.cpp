// The debug information window end to end, headless: a scenario with
// "DebugMode" = 1 runs, the events file switches tabs and moves the
// selection, and the state dump's [debug] section and the window's shot
// show what an author would see.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "graphics/PngTestSupport.h"
#include "shell/DebugIcons.h"
#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

struct TDebugRun {
  TPlayerResult Result;
  std::vector<std::string> Rows;             // the [debug] section's rows
  std::vector<std::string> Control;          // and its pause and breakpoint lines
  std::map<std::string, std::string> View;   // the [debug-view] section
  std::string Dump;
};

TDebugRun RunDebug(const TTempDir& dir, const std::vector<std::string>& script, const std::string& events) {
  const std::string path = dir.Write("game.pf5", MakeScript(script));
  const std::string eventsPath = dir.Write("events.txt", events);
  const std::string dumpPath = dir.Path() + "/dump.txt";
  TDebugRun run;
  run.Result = RunPlayer({"--headless", "--events", eventsPath, "--dump-state", dumpPath, path});
  run.Dump = ReadFileText(dumpPath);
  // The rows, without the pause control's lines that end the section.
  for (const std::string& line : DumpSection(run.Dump, "debug")) {
    if (line.rfind("Paused=", 0) == 0 || line.rfind("Breakpoint=", 0) == 0) {
      run.Control.push_back(line);
    } else {
      run.Rows.push_back(line);
    }
  }
  for (const std::string& l : DumpSection(run.Dump, "debug-view")) {
    const size_t eq = l.find('=');
    if (eq != std::string::npos) run.View[l.substr(0, eq)] = l.substr(eq + 1);
  }
  return run;
}

std::string TwoByTwoPng() {
  TPngImage png;
  png.Width = 2;
  png.Height = 2;
  png.Data.assign(12, 0x80);
  return EncodePng(png);
}

// A start page that sets two variables, adds a transparent and a text
// dynamic layer and calls page "下", which waits a second and ends.
std::vector<std::string> CallingScript(const std::vector<std::string>& header = {}) {
  std::vector<std::string> head = {"DebugMode=1", "ImageWidth=320", "ImageHeight=200", "Opening=op.png"};
  head.insert(head.end(), header.begin(), header.end());
  std::vector<std::string> lines = ScriptWithPage(
      {"ValueCtrl.ValueVar=%数%", "ValueCtrl.LeftValue=42", "@ValueCtrl",
       "ValueCtrl.ValueVar=%a%", "ValueCtrl.LeftValue=7", "@ValueCtrl",
       "StringCtrl.StringVar=$長い$", "StringCtrl.Text=0123456789abcdefghijABCDEFGHIJ長い文字列の続き", "@StringCtrl",
       "DynamicLayer.Area.Width=10", "DynamicLayer.Area.Height=10", "@DynamicLayer",
       "DynamicLayer.Type=Text", "DynamicLayer.Text.Text=一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十あいう",
       "@DynamicLayer",
       "Call.BookName=スタートブック", "Call.PageName=下", "@Call", "@rem"},
      head);
  lines.insert(lines.end() - 1, {"<Page=\"下\">", "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait", "@rem",
                                 "<Page End>"});
  return lines;
}

TEST(DebugWindow, ListsPositionAndStackLayersAndVariablesAsShownAfterACall) {
  TTempDir dir;
  dir.Write("op.png", TwoByTwoPng());
  const TDebugRun process = RunDebug(dir, CallingScript(), "");
  ASSERT_EQ(process.Result.ExitStatus, 0) << process.Dump;
  EXPECT_EQ(process.Rows, (std::vector<std::string>{"ブック名=スタートブック", "ページ名=下", "行番号=2", "=",
                                                     "行番号=6", "ページ名=スタートページ",
                                                     "ブック名=スタートブック", "=", "#0=@Wait", "#1=@rem"}))
      << process.Dump;
  EXPECT_EQ(process.View.at("Icons"), "1,2,3,-1,3,2,1,-1,0,0");
  EXPECT_EQ(process.View.at("Tab"), "0");
  EXPECT_EQ(process.Control, (std::vector<std::string>{"Paused=0"}));
  // Beside the main window: its left + ImageWidth + 32, its top.
  EXPECT_EQ(process.View.at("Left"), "352");
  EXPECT_EQ(process.View.at("Top"), "0");
  EXPECT_EQ(process.View.at("Width"), "331");
  EXPECT_EQ(process.View.at("Height"), "485");

  // Dynamic layers newest first, then the layers from the top down; a
  // hidden layer says so, an entry without picture or text is "Unknown",
  // a text entry shows its first 32 characters.
  const TDebugRun screen = RunDebug(dir, CallingScript(), "100 debug-tab 1\n");
  EXPECT_EQ(screen.Rows, (std::vector<std::string>{"=一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十あい",
                                                    "=Unknown", "テキストレイヤー=非表示", "背景レイヤー=op.png", "="}))
      << screen.Dump;
  EXPECT_EQ(screen.View.at("Icons"), "5,5,4,4,4");

  // Values before strings, each sorted; values cut to 32 characters.
  const TDebugRun vars = RunDebug(dir, CallingScript(), "100 debug-tab 2\n");
  EXPECT_EQ(vars.Rows, (std::vector<std::string>{"a=7", "数=42", "長い=0123456789abcdefghijABCDEFGHIJ長い"}))
      << vars.Dump;
  EXPECT_EQ(vars.View.at("Icons"), "6,6,7");
}

TEST(DebugWindow, WithoutDebugModeThereIsNoWindow) {
  TTempDir dir;
  dir.Write("op.png", TwoByTwoPng());
  std::vector<std::string> script = CallingScript();
  for (std::string& l : script) {
    if (l == "DebugMode=1") l = "DebugMode=0";
  }
  const TDebugRun run = RunDebug(dir, script, "1000 debug-shot " + dir.Path() + "/d.png\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(run.Dump.find("[debug"), std::string::npos);
  EXPECT_TRUE(run.Result.HasLine("headless: there is no debug window for a debug event"));
  EXPECT_TRUE(ReadFileText(dir.Path() + "/d.png").empty());
}

TEST(DebugWindow, TheSelectedRowStaysWhenACallAddsAFrame) {
  TTempDir dir;
  dir.Write("op.png", TwoByTwoPng());
  std::vector<std::string> script = ScriptWithPage(
      {"Wait.TimeBreak=1", "Wait.Time=1000", "@Wait", "Call.BookName=スタートブック", "Call.PageName=下", "@Call",
       "@rem"},
      {"DebugMode=1"});
  script.insert(script.end() - 1, {"<Page=\"下\">", "Wait.TimeBreak=1", "Wait.Time=600", "@Wait", "@rem",
                                   "<Page End>"});
  // While the first wait runs, the rows are the position alone; the arrow
  // keys move the selection to "行番号" and a click does the same.
  const TDebugRun keys = RunDebug(dir, script, "600 debug-key down\n700 debug-key down\n800 debug-key down\n"
                                               "850 debug-key up\n");
  ASSERT_EQ(keys.Result.ExitStatus, 0);
  // The position, the stack, then the page's two commands.
  EXPECT_EQ(keys.Rows.size(), 10u) << keys.Dump;
  EXPECT_EQ(keys.View.at("Selected"), "2") << keys.Dump;
  EXPECT_EQ(keys.Rows[2], "行番号=2");

  // Rows are 16 pixels or the text's height; the third row's middle.
  const int rowHeight = std::stoi(keys.View.at("Heights").substr(0, keys.View.at("Heights").find(',')));
  const int y = 46 + 2 * rowHeight + rowHeight / 2;
  const TDebugRun click = RunDebug(dir, script, "600 debug-click 100 " + std::to_string(y) + "\n");
  EXPECT_EQ(click.View.at("Selected"), "2") << click.Dump;
  // Without input the first row stays selected.
  const TDebugRun none = RunDebug(dir, script, "");
  EXPECT_EQ(none.View.at("Selected"), "0");
}

// Dark enough to be text drawn in black.
bool IsText(uint32_t rgb) { return ((rgb >> 16) & 0xFF) < 0x60 && ((rgb >> 8) & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60; }

int TextPixels(const TRgbImage& shot, int x0, int x1, int y0, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) n += IsText(shot.At(x, y)) ? 1 : 0;
  }
  return n;
}

TEST(DebugWindow, ShotShowsIconsKeysAndValuesInTheirColumns) {
  TTempDir dir;
  dir.Write("op.png", TwoByTwoPng());
  const std::string shot = dir.Path() + "/screen.png";
  const std::string wide = dir.Path() + "/wide.png";
  const TDebugRun run = RunDebug(dir, CallingScript(),
                                 "100 debug-tab 1\n1100 debug-shot " + shot + "\n"
                                 "1150 debug-drag 158 36 208 36\n1160 debug-shot " + wide + "\n");
  ASSERT_EQ(run.Result.ExitStatus, 0);
  const TRgbImage image = ReadPng(shot);
  ASSERT_EQ(image.Width, 331);
  ASSERT_EQ(image.Height, 485);
  const int h = std::stoi(run.View.at("Heights").substr(0, run.View.at("Heights").find(',')));
  ASSERT_GE(h, 16);
  // The list's rows start at (9, 46). Row 0 is selected (highlighted) and
  // carries the dynamic-layer icon; row 2 ("テキストレイヤー", a layer) the layer icon.
  const int left = 9;
  const int top = 46;
  int iconPixels = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int64_t want5 = TDebugIcons::PixelAt(TDebugIcons::DynamicLayer, x, y);
      if (want5 >= 0) {
        EXPECT_EQ(image.At(left + x, top + y), static_cast<uint32_t>(want5)) << x << "," << y;
        ++iconPixels;
      }
      const int64_t want4 = TDebugIcons::PixelAt(TDebugIcons::Layer, x, y);
      if (want4 >= 0) {
        EXPECT_EQ(image.At(left + x, top + 2 * h + y), static_cast<uint32_t>(want4)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(iconPixels, 40);
  EXPECT_NE(image.At(left + 100, top + 1), 0xFFFFFFu) << "the selected row is highlighted";
  // Row 1 ("Unknown", no key): nothing in the key column, the value at 150.
  const int row1 = top + h;
  EXPECT_EQ(TextPixels(image, left + 16, left + 150, row1, row1 + h), 0);
  EXPECT_GT(TextPixels(image, left + 150, left + 200, row1, row1 + h), 10);
  // Row 2: the key after the icon, the value "非表示" at the section's edge.
  const int row2 = top + 2 * h;
  EXPECT_GT(TextPixels(image, left + 16, left + 140, row2, row2 + h), 20);
  EXPECT_GT(TextPixels(image, left + 150, left + 200, row2, row2 + h), 20);
  EXPECT_EQ(TextPixels(image, left + 120, left + 150, row2, row2 + h), 0);

  // Dragging the header section's edge moves the value column with it.
  EXPECT_EQ(run.View.at("SectionWidth"), "200");
  const TRgbImage widened = ReadPng(wide);
  ASSERT_EQ(widened.Width, 331);
  EXPECT_EQ(TextPixels(widened, left + 150, left + 200, row2, row2 + h), 0);
  EXPECT_GT(TextPixels(widened, left + 200, left + 250, row2, row2 + h), 20);
}

// The variables tab lists names in the desktop's locale order: "_" and "="
// before digits and letters, case ignored; values, then strings.
TEST(DebugWindow, VariablesAreListedInTheLocaleOrder) {
  TTempDir dir;
  std::vector<std::string> page;
  for (const char* name : {"hp2", "hp", "_fs", "HPmax", "b", "A", "10"}) {
    page.insert(page.end(), {std::string("ValueCtrl.ValueVar=%") + name + "%", "ValueCtrl.LeftValue=1", "@ValueCtrl"});
  }
  page.insert(page.end(), {"StringCtrl.StringVar=$name2$", "StringCtrl.Text=x", "@StringCtrl",
                           "StringCtrl.StringVar=$name$", "StringCtrl.Text=y", "@StringCtrl",
                           "StringCtrl.StringVar=$_tmp$", "StringCtrl.Text=z", "@StringCtrl",
                           "Wait.TimeBreak=1", "Wait.Time=1000", "@Wait"});
  const TDebugRun vars = RunDebug(dir, ScriptWithPage(page, {"DebugMode=1"}), "100 debug-tab 2\n");
  ASSERT_EQ(vars.Result.ExitStatus, 0) << vars.Dump;
  EXPECT_EQ(vars.Rows, (std::vector<std::string>{"_fs=1", "10=1", "A=1", "b=1", "hp=1", "hp2=1", "HPmax=1",
                                                  "_tmp=z", "name=y", "name2=x"}))
      << vars.Dump;
}

}  // namespace
}  // namespace pelto5::test
