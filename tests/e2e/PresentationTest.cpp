// End-to-end runs of the presentation commands, headless: messages revealed
// and waiting, pictures with and without refresh and transitions, layer
// control, and choices clicked, skipped and timed out.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/BmpEncoder.h"
#include "graphics/LasGraphic.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

const std::string kBook = "スタートブック";
const std::string kPage = kBook + "/スタートページ";
constexpr uint32_t kWhite = 0xFFFFFF;

// A decoded screenshot, pixels as 0x00RRGGBB.
struct TShot {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  // Pixels inside the rectangle that are not white.
  int InkIn(int x, int y, int w, int h) const {
    int n = 0;
    for (int py = y; py < y + h; ++py) {
      for (int px = x; px < x + w; ++px) n += At(px, py) != kWhite;
    }
    return n;
  }
};

TShot ReadShot(const std::string& path) {
  TShot shot;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return shot;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return shot;
  shot.Width = static_cast<int>(image.width);
  shot.Height = static_cast<int>(image.height);
  shot.Pixels.resize(rgb.size() / 3);
  for (size_t i = 0; i < shot.Pixels.size(); ++i) {
    shot.Pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  }
  return shot;
}

// A one-colour BMP picture; color is 0x00BBGGRR as the engine writes it.
std::string Picture(int w, int h, uint32_t color) {
  TLasGraphic g;
  g.SetSize(w, h);
  g.FillRect(0, 0, w, h, color);
  return EncodeBmp32(g.View());
}

struct TRun {
  TPlayerResult Result;
  std::string Dump;
  std::string Dir;
};

// Runs the script (its lines in UTF-8) with the files in the content folder
// and the events, headless with trace and a state dump.
class PresentationRun {
 public:
  std::string Write(const std::string& name, const std::string& bytes) { return FDir.Write(name, bytes); }
  std::string Path(const std::string& name) const { return FDir.Path() + "/" + name; }

  TRun Run(const std::vector<std::string>& scriptLines, const std::string& events = "",
           std::vector<std::string> extra = {}) {
    const std::string script = FDir.Write("game.pf5", MakeScript(scriptLines));
    std::vector<std::string> args = {"--headless", "--trace", "--dump-state", Path("dump.txt"),
                                     "--screenshot", Path("end.png")};
    if (!events.empty()) {
      args.push_back("--events");
      args.push_back(FDir.Write("events.txt", events));
    }
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(script);
    TRun run;
    run.Result = RunPlayer(args);
    run.Dump = ReadFileText(Path("dump.txt"));
    run.Dir = FDir.Path();
    return run;
  }

 private:
  TTempDir FDir;
};

// The time of the first trace line of command index on page, or -1.
long TimeOf(const TPlayerResult& r, int index, const std::string& page = kPage) {
  const std::string suffix = " " + page + " #" + std::to_string(index) + " ";
  for (const std::string& l : r.ErrorLines) {
    const size_t at = l.find(suffix);
    if (l.rfind("trace: ", 0) == 0 && at != std::string::npos) return std::stol(l.substr(7, at - 7));
  }
  return -1;
}

int CountLines(const TPlayerResult& r, const std::string& part) {
  int n = 0;
  for (const std::string& l : r.ErrorLines) n += l.find(part) != std::string::npos;
  return n;
}

// The dump's [dynamic-layers] lines.
std::vector<std::string> DynamicLines(const std::string& dump) {
  std::vector<std::string> lines;
  size_t at = dump.find("[dynamic-layers]\n");
  if (at == std::string::npos) return lines;
  at += 17;
  while (at < dump.size() && dump[at] != '[') {
    const size_t end = dump.find('\n', at);
    lines.push_back(dump.substr(at, end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

int CountAttr(const std::string& dump, int attr) {
  int n = 0;
  for (const std::string& l : DynamicLines(dump)) {
    n += l.find("=" + std::to_string(attr) + "|") != std::string::npos;
  }
  return n;
}

// The [layers] line of the named layer, without its index.
std::string LayerLine(const std::string& dump, const std::string& name) {
  const size_t at = dump.find("=" + name + "|");
  if (at == std::string::npos) return "";
  return dump.substr(at + 1, dump.find('\n', at) - at - 1);
}

std::vector<std::string> Pages(const std::vector<std::vector<std::string>>& pages,
                               const std::vector<std::string>& header = {}) {
  std::vector<std::string> lines = {"<Head=\"Pelto\">", "FileType=PV5", "CommandVersion=19"};
  lines.insert(lines.end(), header.begin(), header.end());
  lines.push_back("<Head End>");
  lines.push_back("<Book=\"" + kBook + "\">");
  for (const std::vector<std::string>& page : pages) {
    lines.push_back("<Page=\"" + page.front() + "\">");
    lines.insert(lines.end(), page.begin() + 1, page.end());
    lines.push_back("<Page End>");
  }
  lines.push_back("<Book End>");
  return lines;
}

TEST(PresentationMessage, RevealedOverSeveralTicksThenWaitsAtKeyUntilSpace) {
  PresentationRun p;
  std::string events;
  for (int t = 300; t <= 2900; t += 200) {
    events += std::to_string(t) + " shot " + p.Path("s" + std::to_string(t) + ".png") + "\n";
  }
  events += "3000 key space\n";
  const TRun run = p.Run(ScriptWithPage({"MessageDraw.Text=あい<W04>うえ<W04>おか<KEY>きく", "@MessageDraw", "@rem"}), events);
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 0), 200);
  EXPECT_GE(TimeOf(run.Result, 1), 3000);

  // The ink of the first line grows step by step, never shrinks, and stops
  // growing at the key wait until the key.
  std::vector<int> ink;
  for (int t = 300; t <= 2900; t += 200) {
    const TShot shot = ReadShot(p.Path("s" + std::to_string(t) + ".png"));
    ASSERT_EQ(shot.Width, 640) << t;
    ink.push_back(shot.InkIn(0, 0, 640, 40));
  }
  EXPECT_EQ(ink.front() < ink.back(), true);
  int distinct = 1;
  for (size_t i = 1; i < ink.size(); ++i) {
    EXPECT_GE(ink[i], ink[i - 1]);
    distinct += ink[i] != ink[i - 1];
  }
  EXPECT_GE(distinct, 3);
  EXPECT_EQ(ink[ink.size() - 1], ink[ink.size() - 2]);  // waiting at <KEY>
  const TShot end = ReadShot(p.Path("end.png"));
  EXPECT_GT(end.InkIn(0, 0, 640, 40), ink.back());  // "きく" after the key
}

TEST(PresentationMessage, WithoutSpaceTheMessageStaysPausedAtTheKey) {
  PresentationRun p;
  const TRun run = p.Run(ScriptWithPage({"MessageDraw.Text=あ<KEY>い", "@MessageDraw", "@rem"}), "",
                         {"--max-time", "3000"});
  EXPECT_EQ(run.Result.ExitStatus, 3);
  EXPECT_EQ(TimeOf(run.Result, 1), -1);
  EXPECT_NE(run.Dump.find("[process]\nPlayerMode=4\n"), std::string::npos) << run.Dump;
  EXPECT_EQ(CountAttr(run.Dump, 2002), 1) << run.Dump;  // the key mark
}

TEST(PresentationMessage, EffectNoneShowsTheTextInOneStep) {
  PresentationRun p;
  const TRun run = p.Run(ScriptWithPage({"MessageDraw.Text=あいうえお", "MessageDraw.Effect=None", "@MessageDraw",
                                         "Wait.TimeBreak=1", "Wait.Time=400", "@Wait"}),
                         "250 shot " + p.Path("now.png") + "\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(TimeOf(run.Result, 0), 200);
  EXPECT_EQ(TimeOf(run.Result, 1), 200);  // the next command in the same tick
  const TShot now = ReadShot(p.Path("now.png"));
  const TShot end = ReadShot(p.Path("end.png"));
  EXPECT_GT(now.InkIn(0, 0, 640, 40), 0);
  EXPECT_EQ(now.Pixels, end.Pixels);
}

TEST(PresentationMessage, TwoPagesWaitAtThePageMarkThenShowTheSecondPage) {
  // A 40-pixel high area holds one line: the second line goes to a second page.
  const std::vector<std::string> page = {
      "MessageDraw.Text=あいうえおかきくけこ", "MessageDraw.Layer.Move=1", "MessageDraw.Area.Left=0",
      "MessageDraw.Area.Top=0", "MessageDraw.Area.Width=120", "MessageDraw.Area.Height=30",
      "MessageDraw.Effect=Auto", "@MessageDraw", "@rem"};
  {
    PresentationRun p;
    const TRun run = p.Run(ScriptWithPage(page), "", {"--max-time", "6000"});
    EXPECT_EQ(run.Result.ExitStatus, 3);
    EXPECT_NE(run.Dump.find("[process]\nPlayerMode=4\n"), std::string::npos) << run.Dump;
    EXPECT_EQ(CountAttr(run.Dump, 2002), 1) << run.Dump;  // the page mark
  }
  PresentationRun p;
  const TRun run = p.Run(ScriptWithPage(page), "6000 shot " + p.Path("first.png") + "\n6000 key enter\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_GT(TimeOf(run.Result, 1), 6000);
  EXPECT_EQ(CountAttr(run.Dump, 2002), 0) << run.Dump;
  // The second page replaced the first: its ink differs.
  const TShot first = ReadShot(p.Path("first.png"));
  const TShot second = ReadShot(p.Path("end.png"));
  EXPECT_GT(first.InkIn(0, 0, 120, 30), 0);
  EXPECT_GT(second.InkIn(0, 0, 120, 30), 0);
  EXPECT_NE(first.Pixels, second.Pixels);
}

TEST(PresentationMessage, AnAreaOfThreeWindowsLinesHoldsThreeLines) {
  // Size 16 in the Windows gothic is a 21-pixel line: 63 pixels hold three
  // lines, with no page mark and no key to wait for.
  const std::vector<std::string> page = {
      "MessageDraw.Text=あいう#えおか#きくけ", "MessageDraw.Layer.Move=1", "MessageDraw.Area.Left=0",
      "MessageDraw.Area.Top=0", "MessageDraw.Area.Width=200", "MessageDraw.Area.Height=63",
      "MessageDraw.Effect=None", "@MessageDraw", "@rem"};
  PresentationRun p;
  const TRun run = p.Run(ScriptWithPage(page), "", {"--max-time", "6000"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(CountAttr(run.Dump, 2002), 0) << run.Dump;
  EXPECT_GE(TimeOf(run.Result, 1), 0);
  const TShot end = ReadShot(p.Path("end.png"));
  for (int line = 0; line < 3; ++line) EXPECT_GT(end.InkIn(0, 21 * line, 200, 21), 0) << line;
  EXPECT_EQ(end.InkIn(0, 63, 640, 417), 0);
}

TEST(PresentationGraphic, RefreshTransitionAndLoadWithoutShowing) {
  PresentationRun p;
  p.Write("red.bmp", Picture(640, 480, 0x0000FF));
  p.Write("blue.bmp", Picture(640, 480, 0xFF0000));
  const std::vector<std::string> page = {
      "GraphicDraw.FileName=red.bmp", "@GraphicDraw",                                   // 0 shown at once
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait",                                     // 1
      "GraphicDraw.FileName=blue.bmp", "GraphicDraw.ScrnRefresh=0", "@GraphicDraw",     // 2 not shown
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait",                                     // 3
      "Layer.Name=A", "@LayerCtrl",                                                     // 4 composes
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait",                                     // 5
      "GraphicDraw.FileName=red.bmp", "GraphicDraw.EffectType=Fadein", "@GraphicDraw",  // 6
      "@rem"};                                                                          // 7
  const TRun run = p.Run(ScriptWithPage(page, {"<Head End>", "<Head=\"LayerList\">", "LayerCount=2",
                                               "Layer.1.LayerName=A"}),
                         "300 shot " + p.Path("a.png") + "\n700 shot " + p.Path("b.png") + "\n1100 shot " +
                             p.Path("c.png") + "\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(ReadShot(p.Path("a.png")).At(320, 240), 0xFF0000u);
  EXPECT_EQ(ReadShot(p.Path("b.png")).At(320, 240), 0xFF0000u);  // blue loaded, not shown
  EXPECT_EQ(ReadShot(p.Path("c.png")).At(320, 240), 0x0000FFu);
  EXPECT_EQ(ReadShot(p.Path("end.png")).At(5, 5), 0xFF0000u);
  // The cross-fade takes its frames' time inside the command.
  const long start = TimeOf(run.Result, 6);
  ASSERT_GT(start, 0);
  EXPECT_GE(TimeOf(run.Result, 7) - start, 600);
  EXPECT_EQ(TimeOf(run.Result, 1), TimeOf(run.Result, 0));  // no transition: no time
}

TEST(PresentationGraphic, ShotsDuringATransitionShowItsIntermediateFrames) {
  PresentationRun p;
  p.Write("red.bmp", Picture(640, 480, 0x0000FF));
  p.Write("blue.bmp", Picture(640, 480, 0xFF0000));
  const std::vector<std::string> page = {
      "GraphicDraw.FileName=red.bmp", "@GraphicDraw",
      "GraphicDraw.FileName=blue.bmp", "GraphicDraw.EffectType=Fadein", "@GraphicDraw",
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait"};
  std::string events;
  for (int t : {500, 800, 1100}) events += std::to_string(t) + " shot " + p.Path(std::to_string(t) + ".png") + "\n";
  const TRun run = p.Run(ScriptWithPage(page), events);
  EXPECT_EQ(run.Result.ExitStatus, 0);
  ASSERT_EQ(TimeOf(run.Result, 1), 200);
  ASSERT_GE(TimeOf(run.Result, 2), 1300);
  // The cross-fade goes from red to blue: each shot is a blend of the two,
  // with less red and more blue as time goes on.
  int lastRed = 256;
  int lastBlue = -1;
  for (int t : {500, 800, 1100}) {
    SCOPED_TRACE(t);
    const uint32_t c = ReadShot(p.Path(std::to_string(t) + ".png")).At(320, 240);
    const int red = static_cast<int>(c >> 16);
    const int blue = static_cast<int>(c & 0xFF);
    EXPECT_LT(red, lastRed);
    EXPECT_GT(blue, lastBlue);
    EXPECT_GT(red, 0);
    EXPECT_GT(blue, 0);
    lastRed = red;
    lastBlue = blue;
  }
  EXPECT_EQ(ReadShot(p.Path("end.png")).At(320, 240), 0x0000FFu);
}

TEST(PresentationGraphic, MissingPictureIsReported) {
  PresentationRun p;
  const TRun run = p.Run(ScriptWithPage({"GraphicDraw.FileName=無い.png", "@GraphicDraw", "@rem"}));
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_TRUE(run.Result.HasLine("message (error, ok): 画像「無い.png」の読み込みができません"));
  EXPECT_EQ(TimeOf(run.Result, 1), TimeOf(run.Result, 0));
}

TEST(PresentationLayerCtrl, EveryGroupChangesTheLayer) {
  PresentationRun p;
  p.Write("green.bmp", Picture(40, 30, 0x00FF00));
  const std::vector<std::string> page = {
      "ValueCtrl.ValueVar=%x%", "ValueCtrl.LeftValue=100", "@ValueCtrl",
      "Layer.Name=A", "Layer.Visible.Change=1", "Layer.Image.Change=1", "Layer.Image.FileName=green.bmp",
      "Layer.Pos.Change=1",
      "Layer.Pos.Left=%x%", "Layer.Pos.Top=50", "Layer.ViewPos.Change=1", "Layer.ViewPos.Left=10",
      "Layer.ViewPos.Top=-3", "@LayerCtrl",
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait",
      "Layer.Name=A", "Layer.Size.Change=1", "Layer.Size.Width=20", "Layer.Size.Height=%x%",
      "Layer.Visible.Change=1", "Layer.Visible.Show=0", "Layer.ScrnRefresh=0", "@LayerCtrl",
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait"};
  const TRun run = p.Run(ScriptWithPage(page, {"<Head End>", "<Head=\"LayerList\">", "LayerCount=2",
                                               "Layer.1.LayerName=A"}),
                         "300 shot " + p.Path("a.png") + "\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(LayerLine(run.Dump, "A"), "A|0|green.bmp|100|50|20|100|10|0") << run.Dump;
  // The picture from view column 10: 30 x 30 pixels at (100, 50).
  const TShot a = ReadShot(p.Path("a.png"));
  EXPECT_EQ(a.At(100, 50), 0x00FF00u);
  EXPECT_EQ(a.At(129, 79), 0x00FF00u);
  EXPECT_EQ(a.At(130, 50), kWhite);
  EXPECT_EQ(a.At(99, 50), kWhite);
  EXPECT_EQ(a.At(100, 80), kWhite);
  // Hidden without a refresh: the last frame still shows it.
  EXPECT_EQ(ReadShot(p.Path("end.png")).At(100, 50), 0x00FF00u);
}

TEST(PresentationLayerCtrl, ImageChangeWithoutAFileClearsTheLayer) {
  PresentationRun p;
  p.Write("green.bmp", Picture(40, 30, 0x00FF00));
  const TRun run = p.Run(ScriptWithPage(
      {"Layer.Name=A", "Layer.Visible.Change=1", "Layer.Image.Change=1", "Layer.Image.FileName=green.bmp",
       "@LayerCtrl",
       "Layer.Name=A", "Layer.Image.Change=1", "@LayerCtrl"},
      {"<Head End>", "<Head=\"LayerList\">", "LayerCount=2", "Layer.1.LayerName=A"}));
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(ReadShot(p.Path("end.png")).At(5, 5), kWhite);
  EXPECT_EQ(LayerLine(run.Dump, "A").substr(0, 4), "A|1|") << run.Dump;
}

std::vector<std::vector<std::string>> ChoicePages(const std::vector<std::string>& select) {
  std::vector<std::string> start = {"スタートページ"};
  start.insert(start.end(), select.begin(), select.end());
  start.push_back("@Select");
  start.push_back("ValueCtrl.ValueVar=%r%");
  start.push_back("ValueCtrl.LeftValue=9");
  start.push_back("@ValueCtrl");
  return {start,
          {"one", "ValueCtrl.ValueVar=%r%", "ValueCtrl.LeftValue=1", "@ValueCtrl"},
          {"two", "ValueCtrl.ValueVar=%r%", "ValueCtrl.LeftValue=2", "@ValueCtrl"}};
}

const std::vector<std::string> kTwoChoices = {"Select.Area.Left=20", "Select.Area.Top=100", "Select.Area.Width=300",
                                              "Select.Text1=はい", "Select.Page1=one", "Select.Text2=いいえ",
                                              "Select.Page2=two"};

TEST(PresentationSelect, TwoChoicesStackAndWait) {
  PresentationRun p;
  const TRun run = p.Run(Pages(ChoicePages(kTwoChoices)), "", {"--max-time", "2000"});
  EXPECT_EQ(run.Result.ExitStatus, 3);
  EXPECT_NE(run.Dump.find("[process]\nPlayerMode=2\n"), std::string::npos) << run.Dump;
  const std::vector<std::string> lines = DynamicLines(run.Dump);
  ASSERT_EQ(lines.size(), 2u) << run.Dump;
  // Newest first: the second choice sits right under the first.
  EXPECT_EQ(lines[1].substr(0, 17), "1=2001|20|100|300");
  const int height = std::stoi(lines[1].substr(lines[1].rfind("|300|") + 5));
  EXPECT_GT(height, 10);
  EXPECT_EQ(lines[0].rfind("0=2001|20|" + std::to_string(100 + height) + "|300|", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("|text|いいえ|"), std::string::npos);
  EXPECT_EQ(TimeOf(run.Result, 1), -1);
}

TEST(PresentationSelect, ClickingAChoiceMovesToItsPageAndRemovesTheChoices) {
  for (const auto& [y, value] : {std::pair{105, "1"}, std::pair{100 + 30, "2"}}) {
    PresentationRun p;
    const TRun run = p.Run(Pages(ChoicePages(kTwoChoices)), "1000 click 50 " + std::to_string(y) + "\n");
    EXPECT_EQ(run.Result.ExitStatus, 0);
    EXPECT_NE(run.Dump.find("[values]\nr=" + std::string(value) + "\n"), std::string::npos) << y << run.Dump;
    EXPECT_TRUE(DynamicLines(run.Dump).empty()) << run.Dump;
    EXPECT_EQ(TimeOf(run.Result, 1), -1);  // the command after "@Select" never ran
  }
}

TEST(PresentationSelect, AChoiceWithAnEmptyTextIsSkipped) {
  PresentationRun p;
  const std::vector<std::string> select = {"Select.Area.Top=100", "Select.Text1=$空$", "Select.Page1=one",
                                           "Select.Text2=二番", "Select.Page2=two"};
  const TRun run = p.Run(Pages(ChoicePages(select)), "1000 shot " + p.Path("a.png") + "\n1200 click 50 105\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_NE(run.Dump.find("[values]\nr=2\n"), std::string::npos) << run.Dump;
  // The only choice stands at the area's top, over the whole width.
  const TShot a = ReadShot(p.Path("a.png"));
  EXPECT_GT(a.InkIn(0, 100, 640, 20), 0);
  EXPECT_EQ(a.InkIn(0, 0, 640, 100), 0);
}

TEST(PresentationSelect, ATimeLimitRunningOutGoesOnAfterTheSelect) {
  PresentationRun p;
  std::vector<std::string> select = kTwoChoices;
  select.push_back("Select.Timeout=1");
  select.push_back("Select.Time=1000");
  const TRun run = p.Run(Pages(ChoicePages(select)), "700 shot " + p.Path("during.png") + "\n");
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(CountLines(run.Result, " _system/_timer #0 "), 1);
  const long selectTime = TimeOf(run.Result, 0);
  EXPECT_GE(TimeOf(run.Result, 1) - selectTime, 1000);
  EXPECT_NE(run.Dump.find("[values]\nr=9\n"), std::string::npos) << run.Dump;
  EXPECT_TRUE(DynamicLines(run.Dump).empty()) << run.Dump;
  EXPECT_GT(ReadShot(p.Path("during.png")).InkIn(20, 100, 300, 40), 0);
  EXPECT_EQ(ReadShot(p.Path("end.png")).InkIn(20, 100, 300, 40), 0);
}

}  // namespace
}  // namespace pelto5::test
