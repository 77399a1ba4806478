// The transitions run on the headless platform, whose virtual clock jumps to
// each frame's deadline: frame counts and total time are exact, and every
// painted frame is checked through the frame hook against the reveal rule
// of the routine, worked out here independently of the implementation.
#include "graphics/TransitionEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {
namespace {

// Old pixels carry 0x40 in the red byte, new ones 0x80, with the position
// in blue and green, so each pixel tells where it came from.
uint32_t OldPixel(int x, int y) { return 0x00400000u | ((y & 0xFF) << 8) | (x & 0xFF); }
uint32_t NewPixel(int x, int y) { return 0x00800000u | ((y & 0xFF) << 8) | ((x * 3) & 0xFF); }

void Fill(TLasGraphic& g, int w, int h, uint32_t (*pixel)(int, int)) {
  g.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) g.Row(y)[x] = pixel(x, y);
  }
}

uint32_t BlendReference(uint32_t d, uint32_t s, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= (((255 - a) * ((d >> shift) & 0xFF) + a * ((s >> shift) & 0xFF)) / 256) << shift;
  }
  return out;
}

THeadlessOptions QuietOptions() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

struct TRectI {
  int X, Y, W, H;
  bool Contains(int x, int y) const { return x >= X && y >= Y && x < X + W && y < Y + H; }
};

class TransitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    Resize(80, 60);
  }
  void TearDown() override { InstallPlatform(nullptr); }

  void Resize(int w, int h) {
    Fill(FOld, w, h, OldPixel);
    Fill(FNew, w, h, NewPixel);
    FCanvas.SetSize(w, h);
    FCanvas.Fill(0x00123456);
  }

  // Runs an effect, recording the clock at each paint and checking each
  // painted frame with check(paintCount) when given.
  void RunEffect(int effect, TRectI r, std::function<void(int)> check = {}) {
    FPaintTimes.clear();
    FStart = FPlatform.GetTickCount();
    TTransitionEffects effects(FCanvas, FRandom);
    effects.SetFrameHook([&](int paint) {
      FPaintTimes.push_back(FPlatform.GetTickCount() - FStart);
      if (check) check(paint);
    });
    ASSERT_TRUE(effects.Run(effect, FOld, FNew, r.X, r.Y, r.W, r.H));
  }

  uint32_t Elapsed() { return FPlatform.GetTickCount() - FStart; }

  // Paint n of a paced run happens at (n - 1) x frame time.
  void ExpectPacing(int frames, uint32_t frameTime, int extraPaints) {
    ASSERT_EQ(FPaintTimes.size(), static_cast<size_t>(frames + extraPaints));
    for (int n = 0; n < frames; ++n) EXPECT_EQ(FPaintTimes[n], n * frameTime) << "paint " << n;
    for (int n = frames; n < frames + extraPaints; ++n) EXPECT_EQ(FPaintTimes[n], frames * frameTime);
    EXPECT_EQ(Elapsed(), frames * frameTime);
  }

  // Counts canvas pixels that differ from expected(x, y).
  int Mismatches(const std::function<uint32_t(int, int)>& expected) const {
    int bad = 0;
    for (int y = 0; y < FCanvas.Height(); ++y) {
      for (int x = 0; x < FCanvas.Width(); ++x) bad += FCanvas.Row(y)[x] != expected(x, y);
    }
    return bad;
  }

  // Inside r the new picture where revealed(x, y) says so, else the old.
  int RevealMismatches(TRectI r, const std::function<bool(int, int)>& revealed) const {
    return Mismatches([&](int x, int y) {
      return r.Contains(x, y) && revealed(x - r.X, y - r.Y) ? NewPixel(x, y) : OldPixel(x, y);
    });
  }

  THeadlessPlatform FPlatform{QuietOptions()};
  TLasGraphic FOld;
  TLasGraphic FNew;
  TCanvas FCanvas;
  std::mt19937 FRandom{12345};
  std::vector<uint32_t> FPaintTimes;
  uint32_t FStart = 0;
};

TEST(TransitionNames, KeywordsMapToTheirNumbers) {
  const char* names[] = {"Fadein", "LeftTo", "TopTo", "RndPanel",
                         "Blind",  "Square", "Wave",  "Mosaic"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(TTransitionEffects::EffectNumber(names[i]), i);
  EXPECT_EQ(TTransitionEffects::EffectNumber("None"), -1);
  EXPECT_EQ(TTransitionEffects::EffectNumber("fadein"), -1);
  EXPECT_EQ(TTransitionEffects::EffectNumber("Fadein "), -1);
  EXPECT_EQ(TTransitionEffects::EffectNumber(""), -1);
}

TEST_F(TransitionTest, UnknownNumberPlaysNothing) {
  TTransitionEffects effects(FCanvas, FRandom);
  const uint32_t start = FPlatform.GetTickCount();
  EXPECT_FALSE(effects.Run(8, FOld, FNew, 0, 0, 80, 60));
  EXPECT_FALSE(effects.Run(-1, FOld, FNew, 0, 0, 80, 60));
  EXPECT_EQ(FPlatform.GetTickCount(), start);
  EXPECT_EQ(FCanvas.Row(0)[0], 0x00123456u);
  EXPECT_EQ(FOld.Row(0)[0], OldPixel(0, 0));
}

TEST_F(TransitionTest, FadeinBlendsInEightSteps) {
  const TRectI r{10, 6, 40, 30};
  RunEffect(0, r, [&](int k) {
    const uint32_t alpha = k < 8 ? 32 * k - 1 : 255;
    EXPECT_EQ(0, Mismatches([&](int x, int y) {
                return r.Contains(x, y) ? BlendReference(OldPixel(x, y), NewPixel(x, y), alpha)
                                        : OldPixel(x, y);
              })) << "frame " << k;
  });
  ExpectPacing(8, 150, 0);
}

TEST_F(TransitionTest, FadeinOnePixelWideRectangleStaysInside) {
  const TRectI r{10, 6, 1, 30};
  RunEffect(0, r);
  EXPECT_EQ(0, Mismatches([&](int x, int y) {
              return r.Contains(x, y) ? BlendReference(OldPixel(x, y), NewPixel(x, y), 255)
                                      : OldPixel(x, y);
            }));
}

// Column pair c of a strip reveal is drawn in frame (10 - c mod 10) + c / 10.
bool StripRevealed(int pair, int frame) { return (10 - pair % 10) + pair / 10 <= frame; }

TEST_F(TransitionTest, LeftToStaggersTenStrips) {
  const TRectI r{10, 6, 60, 40};  // half = 30: strip 0 runs frames 10 to 12
  RunEffect(1, r, [&](int k) {
    EXPECT_EQ(0, RevealMismatches(r, [&](int x, int) { return StripRevealed(x / 2, k); }))
        << "frame " << k;
  });
  ExpectPacing(12, 40, 0);
  EXPECT_EQ(0, RevealMismatches(r, [](int, int) { return true; }));
}

TEST_F(TransitionTest, LeftToOver640RunsFortyOneFrames) {
  Resize(640, 4);
  RunEffect(1, {0, 0, 640, 4});
  ExpectPacing(41, 40, 0);
  EXPECT_EQ(0, RevealMismatches({0, 0, 640, 4}, [](int, int) { return true; }));
}

TEST_F(TransitionTest, TopToStaggersRows) {
  const TRectI r{4, 2, 50, 50};  // half = 25: strip 0 runs frames 10 to 12
  RunEffect(2, r, [&](int k) {
    EXPECT_EQ(0, RevealMismatches(r, [&](int, int y) { return StripRevealed(y / 2, k); }))
        << "frame " << k;
  });
  ExpectPacing(12, 40, 0);
}

TEST_F(TransitionTest, RndPanelRevealsTwelvePanelsPerFrame) {
  const TRectI r{0, 0, 80, 60};  // panels of 6 x 5, column 11 is 14 wide
  // The order the panels must come in: 144 swaps of entry k with entry
  // (next number mod 143), from a generator seeded like the effect's.
  std::mt19937 twin = FRandom;
  std::vector<int> order(144);
  for (int k = 0; k < 144; ++k) order[k] = k;  // panel k is column k / 12, row k mod 12
  for (int k = 0; k < 144; ++k) std::swap(order[k], order[twin() % 143]);
  RunEffect(3, r, [&](int k) {
    if (k > 12) return;
    int revealed = 0;
    for (int col = 0; col < 12; ++col) {
      for (int row = 0; row < 12; ++row) {
        const int left = col * 6, top = row * 5;
        const int w = col == 11 ? 14 : 6;
        const bool isNew = FCanvas.Row(top)[left] == NewPixel(left, top);
        const auto due = std::find(order.begin(), order.end(), col * 12 + row) - order.begin();
        EXPECT_EQ(isNew, due < 12 * k) << "panel " << col << "," << row << " frame " << k;
        revealed += isNew;
        for (int y = top; y < top + 5; ++y) {
          for (int x = left; x < left + w; ++x) {
            ASSERT_EQ(FCanvas.Row(y)[x], isNew ? NewPixel(x, y) : OldPixel(x, y));
          }
        }
      }
    }
    EXPECT_EQ(revealed, 12 * k);
  });
  ExpectPacing(12, 30, 1);
  EXPECT_EQ(0, RevealMismatches(r, [](int, int) { return true; }));
}

TEST_F(TransitionTest, RndPanelRemainderPanelsCoverOddSizes) {
  Resize(645, 30);
  FCanvas.Fill(0);
  bool coveredBeforeFinalPaint = false;
  RunEffect(3, {0, 0, 645, 30}, [&](int k) {
    if (k == 12) coveredBeforeFinalPaint = RevealMismatches({0, 0, 645, 30}, [](int, int) {
                                              return true;
                                            }) == 0;
  });
  EXPECT_TRUE(coveredBeforeFinalPaint);
}

TEST_F(TransitionTest, RndPanelOrderFollowsTheSeed) {
  auto panelOrder = [&](uint32_t seed) {
    Resize(24, 24);
    FRandom.seed(seed);
    std::vector<uint32_t> frames;
    RunEffect(3, {0, 0, 24, 24}, [&](int k) {
      if (k == 1) frames.assign(FCanvas.Pixels(), FCanvas.Pixels() + 24 * 24);
    });
    return frames;
  };
  EXPECT_EQ(panelOrder(7), panelOrder(7));
  EXPECT_NE(panelOrder(7), panelOrder(8));
}

TEST_F(TransitionTest, BlindRevealsWholeBandsOnly) {
  const TRectI r{5, 3, 70, 45};  // two whole bands; the bottom 5 rows stay old
  RunEffect(4, r, [&](int k) {
    EXPECT_EQ(0, RevealMismatches(r, [&](int, int y) { return y < 40 && y % 20 < 2 * k; }))
        << "frame " << k;
  });
  ExpectPacing(10, 40, 0);
}

TEST_F(TransitionTest, SquareRevealsBothWaysWithinTheRectangle) {
  const TRectI r{5, 3, 45, 33};  // remainders 5 and 13 are covered too
  RunEffect(5, r, [&](int k) {
    EXPECT_EQ(0, RevealMismatches(r, [&](int x, int y) { return x % 20 < 2 * k || y % 20 < 2 * k; }))
        << "frame " << k;
  });
  ExpectPacing(10, 40, 0);
}

TEST_F(TransitionTest, WaveShiftsBandsAndSettles) {
  const TRectI r{6, 4, 50, 40};
  RunEffect(6, r, [&](int k) {
    if (k == 1) {
      // n = 19: band i is the new picture shifted right by f = trunc(38 sin((38 + i) pi / 10)).
      for (int y = r.Y; y < r.Y + r.H; ++y) {
        const int i = (y - r.Y) / 2;
        const int f = static_cast<int>(38 * std::sin(((38 + i) % 20) * 3.14159265358979323846 / 10));
        for (int x = r.X; x < r.X + r.W; ++x) {
          const int src = r.X + (((x - r.X - f) % r.W) + r.W) % r.W;
          ASSERT_EQ(FCanvas.Row(y)[x], NewPixel(src, y)) << x << "," << y << " f=" << f;
        }
      }
    }
    if (k == 20) {  // amplitude 0: the new picture inside, the old outside
      EXPECT_EQ(0, RevealMismatches(r, [](int, int) { return true; }));
    }
  });
  ExpectPacing(20, 100, 1);
  EXPECT_EQ(0, Mismatches(NewPixel));  // the closing paint shows the whole new picture
}

TEST_F(TransitionTest, MosaicPixelatesOutAndIn) {
  const TRectI r{0, 0, 80, 60};
  auto blocks = [&](uint32_t (*pixel)(int, int), int g) {
    return [=](int x, int y) {
      const int bx = x / g * g, by = y / g * g;
      return pixel(std::min(bx + g / 2, r.W - 1), std::min(by + g / 2, r.H - 1));
    };
  };
  RunEffect(7, r, [&](int k) {
    if (k == 1) {
      EXPECT_EQ(0, Mismatches(blocks(OldPixel, 2)));
    } else if (k == 5) {
      EXPECT_EQ(0, Mismatches(blocks(OldPixel, 32)));  // 80 x 60 is no multiple of 32
    } else if (k == 6) {
      EXPECT_EQ(0, Mismatches(blocks(NewPixel, 32)));
    }
  });
  ExpectPacing(9, 200, 0);
  EXPECT_EQ(0, Mismatches(blocks(NewPixel, 4)));
}

TEST_F(TransitionTest, MosaicInASmallRectangleLeavesTheRestOld) {
  const TRectI r{20, 10, 16, 16};
  RunEffect(7, r);
  EXPECT_EQ(0, Mismatches([&](int x, int y) {
              if (!r.Contains(x, y)) return OldPixel(x, y);
              return NewPixel(r.X + (x - r.X) / 4 * 4 + 2, r.Y + (y - r.Y) / 4 * 4 + 2);
            }));
}

TEST_F(TransitionTest, SlowFramesShortenTheFollowingWait) {
  RunEffect(4, {0, 0, 80, 60}, [&](int k) {
    if (k % 2 == 1) FPlatform.AdvanceClock(25);  // frame drawing took 25 of 40 ms
  });
  EXPECT_EQ(Elapsed(), 400u);
}

TEST_F(TransitionTest, EmptyOrOffscreenRectanglesDoNothing) {
  const TRectI rects[] = {{0, 0, 0, 60},     {0, 0, 80, 0},       {0, 0, -5, -5},
                          {1000, 1000, 50, 50}, {-60, -60, 40, 40}, {80, 0, 10, 60}};
  for (const TRectI& r : rects) {
    for (int effect = 0; effect < 8; ++effect) {
      RunEffect(effect, r);
      EXPECT_TRUE(FPaintTimes.empty()) << effect;
      EXPECT_EQ(Elapsed(), 0u) << effect;
      EXPECT_EQ(FOld.Row(0)[0], OldPixel(0, 0));
    }
  }
}

TEST_F(TransitionTest, PartlyOffscreenRectangleRevealsOnlyItsVisiblePart) {
  // The visible part is (0, 0, 20, 20); nothing to its right or below may change.
  const TRectI visible{0, 0, 20, 20};
  for (int effect : {1, 2, 4, 5}) {
    Resize(80, 60);
    RunEffect(effect, {-10, -10, 30, 30});
    EXPECT_EQ(0, Mismatches([&](int x, int y) {
                return visible.Contains(x, y) ? NewPixel(x, y) : OldPixel(x, y);
              })) << effect;
  }
}

TEST_F(TransitionTest, HugeRectangleIsCutToThePicture) {
  RunEffect(1, {0, 0, INT_MAX, INT_MAX});
  ExpectPacing(13, 40, 0);  // as for the 80-pixel width
  EXPECT_EQ(0, Mismatches(NewPixel));
}

}  // namespace
}  // namespace pelto5
