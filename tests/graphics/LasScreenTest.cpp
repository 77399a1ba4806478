// Layer chains and the per-window compositor: stacking, composition with
// hidden, clipped, masked and blended layers (expected pixels worked out
// here from the drawing rules), the frame with dynamic layers, painting and
// transitions.
#include "graphics/LasScreen.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {
namespace {

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

class LasScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }
  THeadlessPlatform FPlatform{Quiet()};
  std::mt19937 FRandom{7};
};

void Fill(TLasGraphic& g, int w, int h, uint32_t (*pixel)(int, int)) {
  g.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) g.Row(y)[x] = pixel(x, y);
  }
}

uint32_t BlendChannelwise(uint32_t d, uint32_t s, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= (((255 - a) * ((d >> shift) & 0xFF) + a * ((s >> shift) & 0xFF)) / 256) << shift;
  }
  return out;
}

TEST_F(LasScreenTest, CreateGivesAnOpaqueVisibleBaseLayerAndNoCanvas) {
  TLasScreen s;
  s.Create(12, 8);
  EXPECT_EQ(s.Width, 12);
  EXPECT_EQ(s.Height, 8);
  EXPECT_EQ(s.GetLayerCount(), 1);
  TLasLayer* base = s.GetLayer(0);
  ASSERT_EQ(base, s.BaseLayer());
  EXPECT_EQ(s.GetTopLayer(), base);
  EXPECT_TRUE(base->Visible);
  EXPECT_EQ(base->LayerName, "");
  EXPECT_EQ(base->Graphic.Width(), 12);
  EXPECT_EQ(base->Graphic.Height(), 8);
  EXPECT_FALSE(base->Graphic.HasAlpha());
  EXPECT_EQ(base->Graphic.GetPixel(11, 7), 0x00FFFFFFu);
  EXPECT_EQ(base->Width, 12);
  EXPECT_EQ(base->Height, 8);
  EXPECT_EQ(s.Frame.Width(), 12);
  EXPECT_EQ(s.Composition.Height(), 8);
  EXPECT_EQ(s.Canvas, nullptr);
  EXPECT_FALSE(s.InEffect);
  EXPECT_EQ(s.DynamicLayers.Count(), 0);
}

TEST_F(LasScreenTest, ASizeBeyondWhatASurfaceHoldsIsTheSurfacesSize) {
  // The window's size is what its pictures really have, so the window and
  // its canvas are never made larger than the frame.
  TLasScreen s;
  s.Create(100000, 3);
  EXPECT_EQ(s.Width, s.Frame.Width());
  EXPECT_EQ(s.Width, TLasGraphic::kMaxSide);
  EXPECT_EQ(s.Height, 3);
  EXPECT_EQ(s.BaseLayer()->Width, s.Width);
  s.Create(-5, 10);
  EXPECT_EQ(s.Width, 0);
  EXPECT_EQ(s.Height, 0);
  s.Compose();  // nothing to draw, nothing broken
  EXPECT_EQ(s.Frame.Width(), 0);
}

TEST_F(LasScreenTest, LayersAreLinkedDirectlyAboveTheGivenOne) {
  TLasScreen s;
  s.Create(4, 4);
  TLasLayer* first = s.AddLayerAfter(s.BaseLayer());
  TLasLayer* second = s.AddLayerAfter(s.BaseLayer());
  TLasLayer* top = s.AddLayerAfter(first);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(s.GetLayerCount(), 4);
  EXPECT_EQ(s.GetLayer(1), second);
  EXPECT_EQ(s.GetLayer(2), first);
  EXPECT_EQ(s.GetLayer(3), top);
  EXPECT_EQ(s.GetLayer(4), nullptr);
  EXPECT_EQ(s.GetLayer(-1), nullptr);
  EXPECT_EQ(s.GetTopLayer(), top);
  EXPECT_EQ(second->LowerLayer, s.BaseLayer());
  EXPECT_EQ(second->UpperLayer, first);
  EXPECT_EQ(first->LowerLayer, second);
  EXPECT_EQ(top->UpperLayer, nullptr);
  EXPECT_EQ(s.AddLayerAfter(nullptr), nullptr);
  EXPECT_EQ(s.GetLayerCount(), 4);

  // A new layer: 10 x 10 white picture, nothing shown, hidden, unnamed.
  EXPECT_EQ(first->Graphic.Width(), 10);
  EXPECT_EQ(first->Graphic.GetPixel(9, 9), 0x00FFFFFFu);
  EXPECT_FALSE(first->Visible);
  EXPECT_EQ(first->Width, 0);
  EXPECT_EQ(first->ViewLeft, 0);
  EXPECT_EQ(first->FileName, "");
}

// The scene of the composition test on a 12 x 8 window.
uint32_t BasePixel(int x, int y) { return 0x00200000u | (y << 8) | x; }
uint32_t PlainPixel(int x, int y) { return 0x00A00000u | (y << 8) | x; }
uint32_t WidePixel(int x, int y) { return 0x00C00000u | (y << 8) | x; }
uint32_t Blue(int, int) { return 0x000000FFu; }
uint32_t MaskPixel(int x, int y) { return 0x00770000u | (y << 8) | x; }
uint32_t BlendSource(int, int) { return 0x00FF8040u; }
constexpr uint8_t kBlendAlpha[2][2] = {{255, 128}, {0, 1}};

uint32_t ExpectedScenePixel(int x, int y) {
  uint32_t d = BasePixel(x, y);
  // Plain layer at (2, 1), width 3, height 0: to the bottom edge but only
  // as far as its 4 x 3 picture goes.
  if (x >= 2 && x < 5 && y >= 1 && y < 4) d = PlainPixel(x - 2, y - 1);
  // The hidden full-window blue layer adds nothing.
  // Wide picture 10 x 2 seen from column 7 at (0, 5): three columns remain.
  if (x < 3 && y >= 5 && y < 7) d = WidePixel(x + 7, y - 5);
  // Mask layer 3 x 3 at (8, 0): drawn only on its diagonal.
  if (x >= 8 && x < 11 && y < 3 && x - 8 == y) d = MaskPixel(x - 8, y);
  // Blend layer 2 x 2 at (10, 6); alpha 0 leaves the pixel, 255 gives 254.
  if (x >= 10 && y >= 6) {
    const uint8_t a = kBlendAlpha[y - 6][x - 10];
    if (a != 0) d = BlendChannelwise(d, BlendSource(0, 0), a);
  }
  return d;
}

class ComposeTest : public LasScreenTest {
 protected:
  void SetUp() override {
    LasScreenTest::SetUp();
    S.Create(12, 8);
    Fill(S.BaseLayer()->Graphic, 12, 8, BasePixel);
    Plain = S.AddLayerAfter(S.BaseLayer());
    Fill(Plain->Graphic, 4, 3, PlainPixel);
    Plain->Left = 2;
    Plain->Top = 1;
    Plain->Width = 3;
    Plain->Visible = true;
    Hidden = S.AddLayerAfter(Plain);
    Fill(Hidden->Graphic, 12, 8, Blue);
    Wide = S.AddLayerAfter(Hidden);
    Fill(Wide->Graphic, 10, 2, WidePixel);
    Wide->Top = 5;
    Wide->ViewLeft = 7;
    Wide->Visible = true;
    Masked = S.AddLayerAfter(Wide);
    Fill(Masked->Graphic, 3, 3, MaskPixel);
    Masked->Graphic.SetAlphaType(TAlphaType::Mask);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 3; ++x) Masked->Graphic.AlphaRow(y)[x] = x == y ? 200 : 0;
    }
    Masked->Left = 8;
    Masked->Width = 3;
    Masked->Height = 3;
    Masked->Visible = true;
    Blended = S.AddLayerAfter(Masked);
    Fill(Blended->Graphic, 2, 2, BlendSource);
    Blended->Graphic.SetAlphaType(TAlphaType::Blend);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) Blended->Graphic.AlphaRow(y)[x] = kBlendAlpha[y][x];
    }
    Blended->Left = 10;
    Blended->Top = 6;
    Blended->Visible = true;
  }

  TLasScreen S;
  TLasLayer* Plain = nullptr;
  TLasLayer* Hidden = nullptr;
  TLasLayer* Wide = nullptr;
  TLasLayer* Masked = nullptr;
  TLasLayer* Blended = nullptr;
};

TEST_F(ComposeTest, VisibleLayersAreDrawnBottomUpByTheirRules) {
  S.Compose();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      ASSERT_EQ(S.Composition.Row(y)[x] & 0x00FFFFFFu, ExpectedScenePixel(x, y)) << x << "," << y;
      ASSERT_EQ(S.Frame.Row(y)[x], S.Composition.Row(y)[x]) << x << "," << y;
    }
  }
  // The hidden layer keeps its picture.
  EXPECT_EQ(Hidden->Graphic.GetPixel(5, 5), 0x00FF0000u);
  // 255 through the blend formula: 0xFF stays 0xFE, 0x80 -> 0x7F.
  EXPECT_EQ(S.Composition.Row(6)[10] & 0x00FFFFFFu, 0x00FE7F3Fu);

  // Showing the hidden layer covers everything below it.
  Hidden->Visible = true;
  S.Compose();
  EXPECT_EQ(S.Composition.Row(2)[3] & 0x00FFFFFFu, 0x000000FFu);
  EXPECT_EQ(S.Composition.Row(5)[1] & 0x00FFFFFFu, WidePixel(8, 0));
}

TEST_F(ComposeTest, ComposeToStopsAtTheLayerItStartsFrom) {
  TLasGraphic dest;
  dest.SetSize(12, 8);
  Wide->ComposeTo(dest);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      uint32_t expected = BasePixel(x, y);
      if (x >= 2 && x < 5 && y >= 1 && y < 4) expected = PlainPixel(x - 2, y - 1);
      if (x < 3 && y >= 5 && y < 7) expected = WidePixel(x + 7, y - 5);
      ASSERT_EQ(dest.Row(y)[x] & 0x00FFFFFFu, expected) << x << "," << y;
    }
  }
  // DrawTo draws a layer whatever its visibility.
  TLasGraphic plain;
  plain.SetSize(12, 8);
  Hidden->DrawTo(plain);
  EXPECT_EQ(plain.GetPixel(11, 7), 0x00FF0000u);
}

TEST_F(ComposeTest, TheFrameIsTheCompositionWithTheDynamicLayersOnTop) {
  S.Compose();
  auto entry = TDynamicLayerList::Create();
  entry->ImageFileName = "mark.png";
  TLasGraphic picture;
  Fill(picture, 2, 2, Blue);
  ASSERT_TRUE(entry->BuildImage(&picture));
  entry->AreaLeft = 5;
  entry->AreaTop = 4;
  S.DynamicLayers.Add(std::move(entry));
  S.UpdateFrame();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool covered = x >= 5 && x < 7 && y >= 4 && y < 6;
      ASSERT_EQ(S.Frame.Row(y)[x] & 0x00FFFFFFu, covered ? 0x000000FFu : ExpectedScenePixel(x, y));
      ASSERT_EQ(S.Composition.Row(y)[x] & 0x00FFFFFFu, ExpectedScenePixel(x, y));
    }
  }

  // Revealing on the composition leaves the frame until it is updated.
  TLasGraphic text;
  Fill(text, 4, 4, Blue);
  S.DrawOnComposition(text, 9, 5, 2, 2, 1, 1);
  EXPECT_EQ(S.Composition.Row(5)[9] & 0x00FFFFFFu, 0x000000FFu);
  EXPECT_EQ(S.Composition.Row(6)[10] & 0x00FFFFFFu, 0x000000FFu);
  EXPECT_EQ(S.Composition.Row(7)[9] & 0x00FFFFFFu, ExpectedScenePixel(9, 7));
  EXPECT_EQ(S.Composition.Row(5)[11] & 0x00FFFFFFu, ExpectedScenePixel(11, 5));
  EXPECT_EQ(S.Frame.Row(6)[9] & 0x00FFFFFFu, ExpectedScenePixel(9, 6));
  S.UpdateFrame();
  EXPECT_EQ(S.Frame.Row(6)[9] & 0x00FFFFFFu, 0x000000FFu);
}

TEST_F(ComposeTest, PaintCopiesTheFrameOnlyWithACanvasAndOutsideATransition) {
  S.Compose();
  S.Paint();  // no canvas: nothing happens
  TCanvas canvas;
  canvas.SetSize(12, 8);
  canvas.Fill(0x00123456u);
  S.Canvas = &canvas;
  S.InEffect = true;
  S.Paint();
  EXPECT_EQ(canvas.Row(3)[3], 0x00123456u);
  S.InEffect = false;
  S.Paint();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) ASSERT_EQ(canvas.Row(y)[x], S.Frame.Row(y)[x]);
  }
}

TEST_F(LasScreenTest, WideMaskAndBlendLayersFollowThePixelRulesOnEveryColumn) {
  // Rows long enough for the four-pixels-at-a-time paths and their tails,
  // with every kind of alpha byte: 0, 255 and values between.
  constexpr int kW = 37, kH = 3;
  std::mt19937 random(11);
  TLasScreen s;
  s.Create(kW, kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) s.BaseLayer()->Graphic.Row(y)[x] = random() & 0x00FFFFFFu;
  }
  TLasLayer* mask = s.AddLayerAfter(s.BaseLayer());
  TLasLayer* blend = s.AddLayerAfter(mask);
  for (TLasLayer* layer : {mask, blend}) {
    layer->Visible = true;
    layer->Left = 1;
    layer->Graphic.SetSize(kW, kH);
    layer->Graphic.SetAlphaType(layer == mask ? TAlphaType::Mask : TAlphaType::Blend);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        layer->Graphic.Row(y)[x] = random();
        const uint32_t kind = random() % 4;
        layer->Graphic.AlphaRow(y)[x] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(random());
      }
    }
  }
  s.Compose();
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      uint32_t expected = s.BaseLayer()->Graphic.Row(y)[x];
      if (x >= 1) {
        if (mask->Graphic.AlphaRow(y)[x - 1] != 0) expected = mask->Graphic.Row(y)[x - 1];
        const uint8_t a = blend->Graphic.AlphaRow(y)[x - 1];
        if (a != 0) expected = BlendChannelwise(expected, blend->Graphic.Row(y)[x - 1], a);
      }
      ASSERT_EQ(s.Composition.Row(y)[x], expected) << x << "," << y;
    }
  }
}

TEST_F(LasScreenTest, EffectOfSizeZeroCoversTheWholeWindow) {
  TLasScreen s;
  s.Create(12, 8);
  s.BaseLayer()->Graphic.FillRect(0, 0, 12, 8, 0);
  s.Compose();
  s.BaseLayer()->Graphic.FillRect(0, 0, 12, 8, 0x00FFFFFF);

  // Without a canvas nothing happens, not even the composition.
  s.Effect(0, 0, 0, 0, 0, FRandom);
  EXPECT_EQ(s.Frame.GetPixel(0, 0), 0u);
  EXPECT_EQ(FPlatform.GetTickCount(), 0u);

  TCanvas canvas;
  canvas.SetSize(12, 8);
  canvas.Fill(0x00123456u);
  s.Canvas = &canvas;
  // An unknown effect composes the new picture but plays nothing.
  s.Effect(42, 0, 0, 0, 0, FRandom);
  EXPECT_EQ(s.Frame.GetPixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(canvas.Row(0)[0], 0x00123456u);

  s.BaseLayer()->Graphic.FillRect(0, 0, 12, 8, 0);
  s.Compose();
  s.BaseLayer()->Graphic.FillRect(0, 0, 12, 8, 0x00FFFFFF);
  // A cross-fade from black to white: its last frame blends with 255, so
  // every pixel of the window comes out 0xFE.
  s.Effect(0, 0, 0, 0, 0, FRandom);
  EXPECT_FALSE(s.InEffect);
  EXPECT_EQ(FPlatform.GetTickCount(), 8 * 150u);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) ASSERT_EQ(canvas.Row(y)[x] & 0x00FFFFFFu, 0x00FEFEFEu) << x << "," << y;
  }
  EXPECT_EQ(s.Frame.GetPixel(11, 7), 0x00FFFFFFu);
}

}  // namespace
}  // namespace pelto5
