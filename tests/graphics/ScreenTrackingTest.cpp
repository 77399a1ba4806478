// The screen redraws only what changed: random sequences of the changes
// scripts make (layers moved, shown, hidden, redrawn, views scrolled,
// characters revealed, dynamic layers added, animated, hovered and
// removed, the canvas drawn on by others) are played on a screen whose
// frame check composes everything in full beside it; no step may differ.
// And a change of a few pixels presents only a small rectangle.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/DirtyRegion.h"
#include "graphics/DynamicLayerList.h"
#include "graphics/FrameCheck.h"
#include "graphics/LasScreen.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {
namespace {

// Remembers what each paint presented.
class TRecordingPlatform : public THeadlessPlatform {
 public:
  TRecordingPlatform() : THeadlessPlatform(Quiet()) {}
  void Present() override { Presented.push_back({TRect{0, 0, 1 << 20, 1 << 20}}); }
  void PresentRects(const std::vector<TRect>& rects) override { Presented.push_back(rects); }
  std::vector<std::vector<TRect>> Presented;

 private:
  static THeadlessOptions Quiet() {
    THeadlessOptions o;
    o.EchoToStderr = false;
    return o;
  }
};

class ScreenTracking : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }

  // A picture of stripes in colour seed, with an alpha plane of the given
  // kind in a checker pattern.
  static void Picture(TLasGraphic& g, int w, int h, uint32_t seed, TAlphaType alpha) {
    g.SetAlphaType(TAlphaType::None);
    g.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) g.Row(y)[x] = (seed * 2654435761u) ^ static_cast<uint32_t>(x * 31 + y * 7);
    }
    if (alpha == TAlphaType::None) return;
    g.SetAlphaType(alpha);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) g.AlphaRow(y)[x] = static_cast<uint8_t>(((x / 5 + y / 3) % 3) * 120);
    }
  }

  std::unique_ptr<TDynamicLayerList> Entry(std::mt19937& random) {
    auto e = TDynamicLayerList::Create();
    e->ImageFileName = "entry.png";
    e->AnimeCount = 2;
    e->DivideCount = 2;
    TLasGraphic picture;
    Picture(picture, 2 * (8 + random() % 40), 2 * (8 + random() % 30), random(),
            random() % 2 ? TAlphaType::Mask : TAlphaType::Blend);
    e->BuildImage(&picture);
    e->AreaLeft = static_cast<int>(random() % 200) - 20;
    e->AreaTop = static_cast<int>(random() % 150) - 20;
    e->ImageIndexActive = 1;
    return e;
  }

  TRecordingPlatform FPlatform;
};

TEST_F(ScreenTracking, RandomChangesLookAsAFullComposition) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    TLasScreen screen;
    screen.Create(160, 120);
    TCanvas canvas;
    canvas.SetSize(160, 120);
    screen.Canvas = &canvas;
    Picture(screen.BaseLayer()->Graphic, 160, 120, 1, TAlphaType::None);
    std::vector<TLasLayer*> layers;
    for (int i = 0; i < 4; ++i) {
      TLasLayer* layer = screen.AddLayerAfter(layers.empty() ? screen.BaseLayer() : layers.back());
      Picture(layer->Graphic, 40 + 30 * i, 30 + 20 * i, 10 + i, static_cast<TAlphaType>(i % 2 ? 1 : 3 * (i / 2)));
      layer->Visible = true;
      layers.push_back(layer);
    }
    screen.SetFrameCheck(true);
    TRect overlay;
    screen.PaintOverlay = [&overlay](TCanvas& c) {
      for (int y = overlay.Top; y < overlay.Top + overlay.Height; ++y) {
        for (int x = overlay.Left; x < overlay.Left + overlay.Width; ++x) c.Row(y)[x] ^= 0x00808080;
      }
      return overlay;
    };
    screen.Compose();
    screen.Paint();
    for (int step = 0; step < 300; ++step) {
      TLasLayer* layer = layers[random() % layers.size()];
      const int what = static_cast<int>(random() % 14);
      switch (what) {
        case 0: layer->Left = static_cast<int>(random() % 200) - 40; layer->Top = static_cast<int>(random() % 160) - 40; break;
        case 1: layer->Visible = !layer->Visible; break;
        case 2: layer->ViewLeft = static_cast<int>(random() % 20); layer->ViewTop = static_cast<int>(random() % 20); break;
        // 1 or less reaches the window's edge.
        case 3: layer->Width = static_cast<int>(random() % 4) - 1; layer->Height = static_cast<int>(random() % 90); break;
        case 4: layer->Graphic.FillRect(static_cast<int>(random() % 40), static_cast<int>(random() % 30), 9, 7, random()); break;
        case 5: {
          // A character revealed straight onto the composition.
          const TLasLayer& text = *layers.back();
          screen.DrawOnComposition(text.Graphic, static_cast<int>(random() % 150), static_cast<int>(random() % 110),
                                   8, 10, static_cast<int>(random() % 20), 0);
          break;
        }
        case 6: screen.DynamicLayers.Add(Entry(random)); break;
        case 7: screen.DynamicLayers.RemoveByAttrID(0); break;
        case 8: (void)screen.DynamicLayers.AnimateStep(); break;
        case 9: (void)screen.DynamicLayers.HitTest(static_cast<int>(random() % 160), static_cast<int>(random() % 120), true); break;
        case 10: overlay = random() % 2 ? TRect{} : TRect{100, 4, 50, 12}; break;
        case 11: canvas.Row(static_cast<int>(random() % 120))[random() % 160] = 0x123456; break;
        case 12:
          // The base picture no longer covers everything, then again does.
          Picture(screen.BaseLayer()->Graphic, random() % 2 ? 100 : 160, 120, random(), TAlphaType::None);
          break;
        default: if (TDynamicLayerList* e = screen.DynamicLayers.GetNewest()) e->AreaLeft += 3; break;
      }
      // Scripts compose, or only update the frame, or paint without either.
      const int show = static_cast<int>(random() % 4);
      if (show == 0) screen.Compose();
      if (show == 1) screen.UpdateFrame();
      if (show != 3) screen.Paint();
    }
    ASSERT_NE(screen.FrameCheck(), nullptr);
    EXPECT_GT(screen.FrameCheck()->Checks(), 600);
    EXPECT_EQ(screen.FrameCheck()->Differences(), 0) << "seed " << seed << ": " << screen.FrameCheck()->FirstDifference();
  }
}

TEST_F(ScreenTracking, ACharacterPresentsOnlyItsRectangleAndAMovedLayerBothPlaces) {
  TLasScreen screen;
  screen.Create(640, 480);
  TCanvas canvas;
  canvas.SetSize(640, 480);
  screen.Canvas = &canvas;
  TLasLayer* layer = screen.AddLayerAfter(screen.BaseLayer());
  Picture(layer->Graphic, 50, 40, 3, TAlphaType::Mask);
  layer->Visible = true;
  screen.Compose();
  screen.Paint();
  ASSERT_EQ(FPlatform.Presented.size(), 1u);  // the first paint shows all

  TLasGraphic glyph;
  Picture(glyph, 16, 21, 4, TAlphaType::Mask);
  screen.DrawOnComposition(glyph, 100, 200, 16, 21, 0, 0);
  screen.UpdateFrame();
  screen.Paint();
  ASSERT_EQ(FPlatform.Presented.size(), 2u);
  EXPECT_EQ(FPlatform.Presented[1], (std::vector<TRect>{{100, 200, 16, 21}}));

  layer->Left = 300;
  layer->Top = 300;
  screen.Compose();
  screen.Paint();
  ASSERT_EQ(FPlatform.Presented.size(), 3u);
  // The old place, the new place and the character the composition takes
  // back (the text layer is not visible), nothing else.
  int64_t area = 0;
  for (const TRect& r : FPlatform.Presented[2]) area += r.Area();
  EXPECT_EQ(area, 2 * 50 * 40 + 16 * 21);
  // The character is gone again: the composition shows the layers.
  EXPECT_EQ(canvas.Row(205)[105], screen.BaseLayer()->Graphic.Row(205)[105]);
}

TEST(DirtyRegion, MergesNearRectanglesKeepsFarOnesAndStaysInside) {
  TDirtyRegion region;
  region.SetBounds(640, 480);
  region.Add({-10, -10, 20, 20});
  EXPECT_EQ(region.Rects(), (std::vector<TRect>{{0, 0, 10, 10}}));
  region.Add({12, 0, 10, 10});  // close by: one rectangle
  EXPECT_EQ(region.Rects(), (std::vector<TRect>{{0, 0, 22, 10}}));
  region.Add({400, 300, 16, 21});  // far away: a second one
  EXPECT_EQ(region.Rects().size(), 2u);
  region.Add({2, 2, 5, 5});  // inside: nothing new
  EXPECT_EQ(region.Area(), 22 * 10 + 16 * 21);
  region.Add({700, 10, 5, 5});  // outside the bounds
  EXPECT_EQ(region.Rects().size(), 2u);
  for (int i = 0; i < 40; ++i) region.Add({(i % 8) * 80, (i / 8) * 90 + 100, 4, 4});
  EXPECT_LE(region.Rects().size(), static_cast<size_t>(TDirtyRegion::kMaxRects));
  for (const TRect& r : region.Rects()) EXPECT_TRUE(region.Bounds().Contains(r));
  region.AddAll();
  EXPECT_TRUE(region.IsFull());
}

TEST(FrameCheck, ReportsAFrameThatMissedAChange) {
  TLasScreen screen;
  screen.Create(40, 30);
  screen.SetFrameCheck(true);
  screen.Compose();
  // A layer appears, but the frame is compared without composing it.
  TLasLayer* layer = screen.AddLayerAfter(screen.BaseLayer());
  layer->Graphic.FillRect(0, 0, 10, 10, 0x0000FF);
  layer->Visible = true;
  TFrameCheck check;
  check.Start(screen.Composition, screen.Frame);
  check.Composed(screen);
  EXPECT_EQ(check.Differences(), 1);
  EXPECT_EQ(check.FirstDifference(), "composition differs at (0, 0)");
}

}  // namespace
}  // namespace pelto5
