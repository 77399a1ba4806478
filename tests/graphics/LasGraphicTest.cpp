// Surface sizes, alpha planes, clipping and the pixel arithmetic of copies,
// blends, fills and alpha preparation, checked against values worked out
// from the rules by hand (channel by channel) rather than by the bit tricks
// the implementation uses.
#include "graphics/LasGraphic.h"

#include <gtest/gtest.h>

#include "platform/Canvas.h"

namespace pelto5 {
namespace {

// Reference blend of one channel value.
uint32_t BlendChannel(uint32_t d, uint32_t s, uint32_t a) { return ((255 - a) * d + a * s) / 256; }

uint32_t BlendReference(uint32_t d, uint32_t s, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= BlendChannel((d >> shift) & 0xFF, (s >> shift) & 0xFF, a) << shift;
  }
  return out;
}

// A surface whose pixel (x, y) is base + x + 16 * y in every channel's low
// bits, with the fourth byte set, so that moved rectangles are recognisable.
void FillPattern(TLasGraphic& g, uint32_t base) {
  for (int y = 0; y < g.Height(); ++y) {
    for (int x = 0; x < g.Width(); ++x) g.Row(y)[x] = 0xAB000000u | (base + x + 16 * y);
  }
}

uint32_t Pattern(uint32_t base, int x, int y) { return 0xAB000000u | (base + x + 16 * y); }

TEST(LasGraphicSurface, CreationAndSizes) {
  TLasGraphic g;
  EXPECT_EQ(g.Width(), 10);
  EXPECT_EQ(g.Height(), 10);
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);
  EXPECT_FALSE(g.HasAlpha());
  EXPECT_EQ(g.FontSize, 10);
  EXPECT_EQ(g.Font.Size, 10);
  EXPECT_EQ(g.Font.Color, 0u);
  EXPECT_EQ(g.Row(9)[9], 0x00FFFFFFu);

  g.SetAlphaType(TAlphaType::Blend);
  g.SetSize(3, 2);
  ASSERT_TRUE(g.HasAlpha());
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(g.Row(y)[x], 0x00FFFFFFu);
      EXPECT_EQ(g.AlphaRow(y)[x], 0);
    }
  }
  g.SetSize(0, 5);
  EXPECT_EQ(g.Width(), 0);
  EXPECT_EQ(g.Height(), 0);
  EXPECT_EQ(g.GetPixel(0, 0), 0u);
  g.SetSize(-4, 100000);
  EXPECT_EQ(g.Width(), 0);
  g.SetSize(100000, 100000);  // clamped, never an unbounded allocation
  EXPECT_LE(static_cast<int64_t>(g.Width()) * g.Height(), TLasGraphic::kMaxArea);
}

TEST(LasGraphicSurface, AlphaTypeTransitions) {
  TLasGraphic g;
  g.SetSize(2, 2);
  g.SetAlphaType(TAlphaType::Mask);
  ASSERT_TRUE(g.HasAlpha());
  EXPECT_EQ(g.AlphaRow(1)[1], 255);
  g.AlphaRow(0)[0] = 7;
  g.SetAlphaType(TAlphaType::Blend);
  EXPECT_EQ(g.AlphaRow(0)[0], 7);  // unchanged between Mask and Blend
  EXPECT_EQ(g.AlphaType(), TAlphaType::Blend);
  g.SetAlphaType(TAlphaType::None);
  EXPECT_FALSE(g.HasAlpha());
  EXPECT_TRUE(g.IsOpaqueAt(1, 1));
}

TEST(LasGraphicSurface, GetPixelAndOpacity) {
  TLasGraphic g;
  g.SetSize(4, 4);
  g.Row(1)[2] = 0xEE112233u;  // bytes 33 22 11 EE: red 0x11, green 0x22, blue 0x33
  EXPECT_EQ(g.GetPixel(2, 1), 0x00332211u);
  EXPECT_FALSE(g.IsOpaqueAt(-1, 0));
  EXPECT_FALSE(g.IsOpaqueAt(4, 0));
  EXPECT_TRUE(g.IsOpaqueAt(0, 0));
  g.SetAlphaType(TAlphaType::Mask);
  g.AlphaRow(0)[0] = 15;
  g.AlphaRow(0)[1] = 16;
  EXPECT_FALSE(g.IsOpaqueAt(0, 0));
  EXPECT_TRUE(g.IsOpaqueAt(1, 0));
}

TEST(LasGraphicSurface, AssignCopiesPixelsAndAlpha) {
  TLasGraphic source;
  source.SetAlphaType(TAlphaType::Blend);
  source.SetSize(3, 2);
  FillPattern(source, 0x100);
  source.AlphaRow(1)[2] = 77;
  TLasGraphic copy;
  copy.Assign(source);
  EXPECT_EQ(copy.AlphaType(), TAlphaType::Blend);
  ASSERT_EQ(copy.Width(), 3);
  ASSERT_EQ(copy.Height(), 2);
  EXPECT_EQ(copy.Row(1)[2], Pattern(0x100, 2, 1));
  EXPECT_EQ(copy.AlphaRow(1)[2], 77);

  TPicture picture;
  picture.Width = 2;
  picture.Height = 1;
  picture.Pixels = {0x00010203u, 0x00040506u};
  copy.AssignGraphic(picture);
  EXPECT_EQ(copy.AlphaType(), TAlphaType::None);
  EXPECT_EQ(copy.Width(), 2);
  EXPECT_EQ(copy.Row(0)[1], 0x00040506u);
}

TEST(LasGraphicClipping, PlainCopyRectangles) {
  TLasGraphic source;
  source.SetSize(8, 8);
  FillPattern(source, 0x10000);

  // Width 1 extends to the destination's right edge, limited by the source
  // width from srcX; height 0 likewise to the bottom.
  TLasGraphic dest;
  dest.SetSize(20, 6);
  source.DrawTo(dest, 4, 1, 1, 0, 2, 3);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 20; ++x) {
      // columns 4..9 (source 2..7), rows 1..5 (source 3..7)
      const bool inside = x >= 4 && x <= 9 && y >= 1 && y <= 5;
      const uint32_t expected = inside ? Pattern(0x10000, x - 4 + 2, y - 1 + 3) : 0x00FFFFFFu;
      ASSERT_EQ(dest.Row(y)[x], expected) << x << "," << y;
    }
  }

  // destX = -20 shows the source from srcX + 20 at the left edge, 20 narrower.
  TLasGraphic wide;
  wide.SetSize(40, 1);
  FillPattern(wide, 0x200);
  TLasGraphic target;
  target.SetSize(30, 1);
  wide.DrawTo(target, -20, 0, 30, 1, 0, 0);
  for (int x = 0; x < 30; ++x) {
    EXPECT_EQ(target.Row(0)[x], x < 10 ? Pattern(0x200, x + 20, 0) : 0x00FFFFFFu) << x;
  }

  // A negative width behaves as a width of 1; beyond the right edge nothing.
  TLasGraphic small;
  small.SetSize(5, 1);
  wide.DrawTo(small, 2, 0, -7, 1, 0, 0);
  EXPECT_EQ(small.Row(0)[1], 0x00FFFFFFu);
  EXPECT_EQ(small.Row(0)[2], Pattern(0x200, 0, 0));
  EXPECT_EQ(small.Row(0)[4], Pattern(0x200, 2, 0));
  TLasGraphic untouched;
  untouched.SetSize(5, 1);
  wide.DrawTo(untouched, 5, 0, 3, 1, 0, 0);
  wide.DrawTo(untouched, 0, 0, 3, 1, 40, 0);  // source exhausted
  for (int x = 0; x < 5; ++x) EXPECT_EQ(untouched.Row(0)[x], 0x00FFFFFFu);
}

TEST(LasGraphicDraw, MaskCopiesWhereAlphaAndOrsAlphaPlanes) {
  TLasGraphic source;
  source.SetAlphaType(TAlphaType::Mask);
  source.SetSize(3, 1);
  FillPattern(source, 0x300);
  source.AlphaRow(0)[0] = 0;
  source.AlphaRow(0)[1] = 0x21;
  source.AlphaRow(0)[2] = 0x84;

  TLasGraphic dest;
  dest.SetAlphaType(TAlphaType::Blend);
  dest.SetSize(3, 1);
  dest.AlphaRow(0)[0] = 0x10;
  dest.AlphaRow(0)[1] = 0x12;
  dest.AlphaRow(0)[2] = 0x01;
  source.DrawTo(dest, 0, 0, 3, 1, 0, 0);
  EXPECT_EQ(dest.Row(0)[0], 0x00FFFFFFu);
  EXPECT_EQ(dest.Row(0)[1], Pattern(0x300, 1, 0));  // all four bytes
  EXPECT_EQ(dest.Row(0)[2], Pattern(0x300, 2, 0));
  EXPECT_EQ(dest.AlphaRow(0)[0], 0x10);
  EXPECT_EQ(dest.AlphaRow(0)[1], 0x12 | 0x21);
  EXPECT_EQ(dest.AlphaRow(0)[2], 0x01 | 0x84);

  TLasGraphic plain;
  plain.SetSize(3, 1);
  source.DrawTo(plain, 0, 0, 3, 1, 0, 0);
  EXPECT_FALSE(plain.HasAlpha());
  EXPECT_EQ(plain.Row(0)[2], Pattern(0x300, 2, 0));
}

TEST(LasGraphicDraw, OpaqueSourceSetsDestinationAlpha) {
  TLasGraphic source;
  source.SetSize(2, 1);
  FillPattern(source, 0x400);
  TLasGraphic dest;
  dest.SetAlphaType(TAlphaType::Mask);
  dest.SetSize(4, 1);  // alpha 0
  source.DrawTo(dest, 1, 0, 2, 1, 0, 0);
  EXPECT_EQ(dest.AlphaRow(0)[0], 0);
  EXPECT_EQ(dest.AlphaRow(0)[1], 255);
  EXPECT_EQ(dest.AlphaRow(0)[2], 255);
  EXPECT_EQ(dest.AlphaRow(0)[3], 0);
  EXPECT_EQ(dest.Row(0)[1], Pattern(0x400, 0, 0));
}

TEST(LasGraphicDraw, BlendArithmetic) {
  TLasGraphic source;
  source.SetAlphaType(TAlphaType::Blend);
  source.SetSize(4, 1);
  const uint32_t s = 0xFFC8641Eu;  // red C8, green 64, blue 1E
  const uint32_t d = 0x7F5A3CF0u;
  for (int x = 0; x < 4; ++x) source.Row(0)[x] = s;
  source.AlphaRow(0)[0] = 0;
  source.AlphaRow(0)[1] = 255;
  source.AlphaRow(0)[2] = 100;
  source.AlphaRow(0)[3] = 1;
  TLasGraphic dest;
  dest.SetSize(4, 1);
  for (int x = 0; x < 4; ++x) dest.Row(0)[x] = d;
  source.DrawTo(dest, 0, 0, 4, 1, 0, 0);
  EXPECT_EQ(dest.Row(0)[0], d);  // alpha 0 leaves the pixel, fourth byte too
  EXPECT_EQ(dest.Row(0)[1], BlendReference(d, s, 255));
  EXPECT_EQ(dest.Row(0)[2], BlendReference(d, s, 100));
  EXPECT_EQ(dest.Row(0)[3], BlendReference(d, s, 1));
  // red: (0*0x5A + 255*0xC8)/256 = 0xC7 -- alpha 255 is one level darker
  EXPECT_EQ(dest.Row(0)[1], 0x00C7631Du);

  TLasGraphic white;
  white.SetAlphaType(TAlphaType::Blend);
  white.SetSize(1, 1);  // white pixel
  white.AlphaRow(0)[0] = 255;
  TLasGraphic onto;
  onto.SetSize(1, 1);
  white.DrawTo(onto, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(onto.Row(0)[0], 0x00FEFEFEu);
}

TEST(LasGraphicDraw, BlendToUsesConstantAlphaOnlyFromOpaqueSources) {
  TLasGraphic source;
  source.SetSize(3, 1);
  const uint32_t s = 0x00102030u;
  const uint32_t d = 0xFFF0E0D0u;
  for (int x = 0; x < 3; ++x) source.Row(0)[x] = s;
  TLasGraphic dest;
  dest.SetAlphaType(TAlphaType::Mask);
  dest.SetSize(3, 1);
  for (int x = 0; x < 3; ++x) dest.Row(0)[x] = d;
  source.BlendTo(dest, 1, 0, 2, 1, 0, 0, 63);
  EXPECT_EQ(dest.Row(0)[0], d);
  EXPECT_EQ(dest.Row(0)[1], BlendReference(d, s, 63));
  EXPECT_EQ(dest.Row(0)[2], BlendReference(d, s, 63));
  EXPECT_EQ(dest.AlphaRow(0)[1], 0);  // the alpha plane is not touched

  TLasGraphic masked;
  masked.SetAlphaType(TAlphaType::Mask);
  masked.SetSize(3, 1);
  TLasGraphic other;
  other.SetSize(3, 1);
  other.Row(0)[0] = 0x00123456u;
  masked.BlendTo(other, 0, 0, 3, 1, 0, 0, 255);
  EXPECT_EQ(other.Row(0)[0], 0x00123456u);
}

TEST(LasGraphicFill, ClipsAndSetsAlpha) {
  TLasGraphic g;
  g.SetAlphaType(TAlphaType::Mask);
  g.SetSize(5, 4);
  g.FillRect(-2, 1, 4, 10, 0x00332211u);  // x -2..1 -> 0..1, y 1..3
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const bool inside = x <= 1 && y >= 1;
      EXPECT_EQ(g.Row(y)[x], inside ? 0x00112233u : 0x00FFFFFFu) << x << "," << y;
      EXPECT_EQ(g.AlphaRow(y)[x], inside ? 255 : 0);
    }
  }
  EXPECT_EQ(g.GetPixel(0, 1), 0x00332211u);
  g.FillRect(3, 0, 0, 4, 0);  // empty
  EXPECT_EQ(g.Row(0)[3], 0x00FFFFFFu);
}

TEST(LasGraphicAlpha, ColorKeyFromBottomLeftPixel) {
  TLasGraphic g;
  g.SetSize(3, 2);
  g.Row(1)[0] = 0x11ABCDEFu;  // key ABCDEF, fourth byte ignored
  g.Row(0)[2] = 0x99ABCDEFu;
  g.Row(0)[1] = 0x00ABCDEEu;
  g.SetColorKey();
  EXPECT_EQ(g.AlphaType(), TAlphaType::Mask);
  EXPECT_EQ(g.AlphaRow(1)[0], 0);
  EXPECT_EQ(g.AlphaRow(0)[2], 0);
  EXPECT_EQ(g.AlphaRow(0)[1], 255);
  EXPECT_EQ(g.AlphaRow(0)[0], 255);

  // An existing alpha plane keeps its other bytes.
  TLasGraphic b;
  b.SetAlphaType(TAlphaType::Blend);
  b.SetSize(2, 1);
  b.Row(0)[0] = 0x00000001u;
  b.AlphaRow(0)[0] = 200;
  b.AlphaRow(0)[1] = 9;
  b.SetColorKey();
  EXPECT_EQ(b.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(b.AlphaRow(0)[0], 0);
  EXPECT_EQ(b.AlphaRow(0)[1], 9);
}

TEST(LasGraphicAlpha, HalfTranslucentAndClear) {
  TLasGraphic g;
  g.SetSize(3, 1);
  g.SetHalfTranslucent();
  EXPECT_EQ(g.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(g.AlphaRow(0)[0], 128);

  TLasGraphic m;
  m.SetAlphaType(TAlphaType::Mask);
  m.SetSize(3, 1);
  m.AlphaRow(0)[0] = 129;
  m.AlphaRow(0)[1] = 128;
  m.AlphaRow(0)[2] = 3;
  m.SetHalfTranslucent();
  EXPECT_EQ(m.AlphaRow(0)[0], 128);
  EXPECT_EQ(m.AlphaRow(0)[1], 128);
  EXPECT_EQ(m.AlphaRow(0)[2], 3);

  TLasGraphic c;
  c.SetSize(2, 2);
  c.ClearAlpha();
  EXPECT_EQ(c.AlphaType(), TAlphaType::Mask);
  EXPECT_EQ(c.AlphaRow(1)[1], 0);
  EXPECT_FALSE(c.IsOpaqueAt(1, 1));
}

TEST(LasGraphicCanvas, CopyAndStretch) {
  TLasGraphic g;
  g.SetSize(2, 2);
  FillPattern(g, 0x500);
  TCanvas canvas;
  canvas.SetSize(4, 4);
  canvas.Fill(0);
  g.DrawToCanvas(canvas, 3, -1);  // only (1..) clipped: source (0,1) lands at (3,0)
  EXPECT_EQ(canvas.Row(0)[3], Pattern(0x500, 0, 1));
  EXPECT_EQ(canvas.Row(1)[3], 0u);
  EXPECT_EQ(canvas.Row(0)[2], 0u);

  canvas.Fill(0);
  g.StretchToCanvas(canvas, 0, 0, 4, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.Row(y)[x], Pattern(0x500, x / 2, y / 2));
  }

  TLasGraphic empty;
  empty.SetSize(0, 0);
  canvas.Fill(0x123);
  empty.DrawToCanvas(canvas, 0, 0);
  empty.StretchToCanvas(canvas, 0, 0, 4, 4);
  EXPECT_EQ(canvas.Row(0)[0], 0x123u);
}

}  // namespace
}  // namespace pelto5
