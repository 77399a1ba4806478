// Whole runs with --check-frames: every composition, frame and paint of the
// main window is made in full beside the tracked one and compared, so a
// change that misses its rectangle fails here.
#include <gtest/gtest.h>

#include <cstdio>

#include "graphics/LasGraphic.h"
#include "image/BmpEncoder.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

// The comparisons the check made; fails unless it found no difference.
int CheckedFrames(const TPlayerResult& r) {
  const std::vector<std::string> lines = r.LinesStartingWith("frame check: ");
  EXPECT_EQ(lines.size(), 1u);
  if (lines.size() != 1) return 0;
  int comparisons = 0;
  int differences = -1;
  int end = 0;
  const bool read = std::sscanf(lines[0].c_str(), "frame check: %d comparisons, %d differences%n", &comparisons,
                                &differences, &end) == 2 &&
                    static_cast<size_t>(end) == lines[0].size();
  EXPECT_TRUE(read && differences == 0) << lines[0];
  return read ? comparisons : 0;
}

std::string Picture(int w, int h, uint32_t color) {
  TLasGraphic g;
  g.SetSize(w, h);
  g.FillRect(0, 0, w, h, color);
  return EncodeBmp32(g.View());
}

TEST(FrameCheck, TheDemoWithItsChoicesHistoryAndAutoModeDrawsAsInFull) {
  TTempDir dir;
  // The walk through the demo, with the history opened and closed and the
  // auto mark shown while a message runs.
  const std::string events = dir.Write("events.txt",
                                        "3000 key 65\n4000 key 65\n"
                                        "5000 key space\n6000 wheel 1\n6500 key 27\n10000 key space\n"
                                        "15000 move 320 160\n15200 click 320 160\n17000 key enter\n"
                                        "18000 move 300 210\n18200 click 300 210\n"
                                        "21000 key space\n22000 key space\n39000 key space\n");
  const TPlayerResult r = RunPlayer({"--headless", "--check-frames", "--events", events, "--max-time", "60000",
                                     std::string(PELTO5_BINARY_DIR) + "/demo.pp5"});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_GT(CheckedFrames(r), 500);
}

TEST(FrameCheck, LayersMovedAroundARunningMessageAndATransitionDrawAsInFull) {
  TTempDir dir;
  dir.Write("red.bmp", Picture(640, 480, 0x0000FF));
  dir.Write("green.bmp", Picture(40, 30, 0x00FF00));
  const std::vector<std::string> page = {
      "GraphicDraw.FileName=red.bmp", "GraphicDraw.EffectType=Fadein", "@GraphicDraw",
      "Layer.Name=A", "Layer.Visible.Change=1", "Layer.Image.Change=1", "Layer.Image.FileName=green.bmp",
      "Layer.Pos.Change=1", "Layer.Pos.Left=100", "Layer.Pos.Top=50", "@LayerCtrl",
      "MessageDraw.Text=あいうえお<KEY>かきくけこ", "@MessageDraw",
      "Layer.Name=A", "Layer.Pos.Change=1", "Layer.Pos.Left=-10", "Layer.Pos.Top=460", "@LayerCtrl",
      "Layer.Name=A", "Layer.ViewPos.Change=1", "Layer.ViewPos.Left=10", "@LayerCtrl",
      "MessageDraw.Text=さしすせそ", "@MessageDraw",
      "Layer.Name=A", "Layer.Visible.Change=1", "Layer.Visible.Show=0", "@LayerCtrl",
      "Wait.TimeBreak=1", "Wait.Time=400", "@Wait"};
  const std::string script = dir.Write(
      "game.pf5", MakeScript(ScriptWithPage(page, {"<Head End>", "<Head=\"LayerList\">", "LayerCount=2",
                                                  "Layer.1.LayerName=A"})));
  const std::string events = dir.Write("events.txt", "2500 key space\n");
  const TPlayerResult r = RunPlayer({"--headless", "--check-frames", "--events", events, script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_TRUE(r.LinesStartingWith("message").empty());
  EXPECT_GT(CheckedFrames(r), 20);
}

}  // namespace
}  // namespace pelto5::test
