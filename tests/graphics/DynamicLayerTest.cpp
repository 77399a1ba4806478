// Dynamic layers: stacking and removal, building the pictures of image,
// text and transparent entries, hover hit tests, clicks, animation and
// countdown ticks, and drawing onto a frame. Expected pixels are worked out
// here from the copy and blend rules, channel by channel.
#include "graphics/DynamicLayer.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "graphics/DynamicLayerList.h"
#include "graphics/ImageSource.h"
#include "graphics/LasGraphic.h"
#include "platform/FontService.h"

namespace pelto5 {
namespace {

// Font metrics easy to reason about: every byte takes a 10-pixel cell whose
// left 5 columns are "ink"; a run is Size + 4 pixels high.
class TBlockFontService : public TFontService {
 public:
  static constexpr int kCell = 10;
  static constexpr int kInk = 5;
  TBlockFontService() { InstallFontService(this); }
  ~TBlockFontService() override { InstallFontService(nullptr); }

  bool IsInstalled(const std::string&) override { return true; }
  TTextExtent Measure(std::string_view run, const TFont& font) override {
    return {static_cast<int>(run.size()) * kCell, font.Size + 4};
  }
  void DrawRun(const TTextTarget& target, int x, int y, std::string_view run,
               const TFont& font) override {
    const uint32_t c = font.Color & 0xFFFFFF;
    const uint32_t pixel = ((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16);
    for (size_t i = 0; i < run.size(); ++i) {
      for (int py = y; py < y + font.Size + 4; ++py) {
        for (int px = x + static_cast<int>(i) * kCell; px < x + static_cast<int>(i) * kCell + kInk;
             ++px) {
          if (px < 0 || py < 0 || px >= target.Width || py >= target.Height) continue;
          target.Pixels[py * target.Stride + px] = pixel;
          if (target.Alpha) target.Alpha[py * target.AlphaStride + px] = 255;
        }
      }
    }
  }
};

class TFakeImageSource : public TImageSource {
 public:
  bool LoadImage(const std::string& name, TLasGraphic& graphic) override {
    auto it = Images.find(name);
    if (it == Images.end()) return false;
    graphic.Assign(it->second);
    return true;
  }
  std::map<std::string, TLasGraphic> Images;
};

uint32_t Blend(uint32_t d, uint32_t s, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t dc = (d >> shift) & 0xFF;
    const uint32_t sc = (s >> shift) & 0xFF;
    out |= (((255 - a) * dc + a * sc) / 256) << shift;
  }
  return out;
}

// A picture of cols x rows cells of cellW x cellH with Blend alpha: pixel
// (x, y) has colour 0x00..(cell number)..(x)(y) and alpha that varies, some 0.
TLasGraphic GridPicture(int cols, int rows, int cellW, int cellH) {
  TLasGraphic g;
  g.SetAlphaType(TAlphaType::Blend);
  g.SetSize(cols * cellW, rows * cellH);
  for (int y = 0; y < g.Height(); ++y) {
    for (int x = 0; x < g.Width(); ++x) {
      const uint32_t cell = static_cast<uint32_t>((y / cellH) * cols + x / cellW);
      g.Row(y)[x] = (cell * 40 + 20) << 16 | static_cast<uint32_t>(x * 7) << 8 |
                    static_cast<uint32_t>(y * 11);
      g.AlphaRow(y)[x] = static_cast<uint8_t>((x + y) % 3 == 0 ? 0 : (x * 37 + y * 13) % 256);
    }
  }
  return g;
}

std::unique_ptr<TDynamicLayerList> AreaEntry(int attr, int left, int top, int width, int height) {
  auto e = TDynamicLayerList::Create();
  e->AttrID = attr;
  e->AreaLeft = left;
  e->AreaTop = top;
  e->AreaWidth = width;
  e->AreaHeight = height;
  e->ActiveArea = TDynamicActiveArea::All;
  e->ActiveMode = TDynamicActiveMode::Waiting;
  EXPECT_TRUE(e->BuildImage(nullptr));
  return e;
}

std::vector<int> AttrsTopDown(const TDynamicLayer& layers) {
  std::vector<int> attrs;
  for (const TDynamicLayerList* e = layers.GetNewest(); e != nullptr; e = e->Older) {
    attrs.push_back(e->AttrID);
  }
  return attrs;
}

TEST(DynamicLayerEntry, DefaultsOfANewEntry) {
  auto e = TDynamicLayerList::Create();
  EXPECT_EQ(e->AttrID, 0);
  EXPECT_EQ(e->ActiveArea, TDynamicActiveArea::None);
  EXPECT_EQ(e->ActiveMode, TDynamicActiveMode::Disable);
  EXPECT_EQ(e->PageChange, TDynamicPageChange::Move);
  EXPECT_FALSE(e->AutoClear);
  EXPECT_TRUE(e->Cursor);
  EXPECT_EQ(e->AnimeCount, 1);
  EXPECT_EQ(e->DivideCount, 1);
  EXPECT_EQ(e->TextFontName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
  EXPECT_EQ(e->TextFontSize, 16);
  EXPECT_EQ(e->Status, TDynamicStatus::Idle);
  EXPECT_TRUE(e->Changed);
  EXPECT_EQ(e->Image, nullptr);
}

TEST(DynamicLayerStack, AddAndRemoveKeepTheLinksInOrder) {
  TDynamicLayer layers;
  for (int attr : {1, 2, 1, 3, 1}) layers.Add(AreaEntry(attr, 0, 0, 10, 10));
  EXPECT_EQ(AttrsTopDown(layers), (std::vector<int>{1, 3, 1, 2, 1}));
  // Newer links mirror the Older links.
  for (const TDynamicLayerList* e = layers.GetNewest(); e != nullptr; e = e->Older) {
    if (e->Older != nullptr) {
      EXPECT_EQ(e->Older->Newer, e);
    }
  }
  EXPECT_EQ(layers.GetNewest()->Newer, nullptr);

  EXPECT_TRUE(layers.RemoveByAttrID(1));  // top, middle and bottom at once
  EXPECT_EQ(AttrsTopDown(layers), (std::vector<int>{3, 2}));
  EXPECT_EQ(layers.GetNewest()->Newer, nullptr);
  EXPECT_EQ(layers.GetNewest()->Older->Newer, layers.GetNewest());
  EXPECT_EQ(layers.GetNewest()->Older->Older, nullptr);
  EXPECT_FALSE(layers.RemoveByAttrID(1));

  layers.Add(AreaEntry(4, 0, 0, 10, 10));
  EXPECT_EQ(AttrsTopDown(layers), (std::vector<int>{4, 3, 2}));
  layers.Clear();
  EXPECT_EQ(layers.GetNewest(), nullptr);
  EXPECT_EQ(layers.Count(), 0);
  layers.Add(nullptr);
  EXPECT_EQ(layers.Count(), 0);
}

TEST(DynamicLayerBuild, ImageEntryCopiesThePictureAndTakesTheCellSize) {
  TFakeImageSource source;
  source.Images["button.png"] = GridPicture(3, 2, 8, 5);
  auto e = TDynamicLayerList::Create();
  e->ImageFileName = "button.png";
  e->AnimeCount = 3;
  e->DivideCount = 2;
  e->AreaWidth = 999;
  ASSERT_TRUE(e->BuildImageFrom(source));
  ASSERT_NE(e->Image, nullptr);
  EXPECT_EQ(e->AreaWidth, 8);
  EXPECT_EQ(e->AreaHeight, 5);
  EXPECT_EQ(e->Image->GetPixel(17, 7), source.Images["button.png"].GetPixel(17, 7));
  EXPECT_EQ(e->Image->AlphaType(), TAlphaType::Blend);

  auto zero = TDynamicLayerList::Create();
  zero->ImageFileName = "button.png";
  zero->AnimeCount = 0;
  zero->DivideCount = -4;
  ASSERT_TRUE(zero->BuildImageFrom(source));
  EXPECT_EQ(zero->AnimeCount, 1);
  EXPECT_EQ(zero->DivideCount, 1);
  EXPECT_EQ(zero->AreaWidth, 24);
  EXPECT_EQ(zero->AreaHeight, 10);

  auto missing = TDynamicLayerList::Create();
  missing->ImageFileName = "nothing.png";
  EXPECT_FALSE(missing->BuildImageFrom(source));
  EXPECT_FALSE(missing->BuildImage(nullptr));
  EXPECT_EQ(missing->Image, nullptr);
}

TEST(DynamicLayerBuild, TransparentEntryHasNoPicture) {
  auto e = TDynamicLayerList::Create();
  e->AnimeCount = 4;
  e->DivideCount = 3;
  e->AreaWidth = 30;
  ASSERT_TRUE(e->BuildImage(nullptr));
  EXPECT_EQ(e->Image, nullptr);
  EXPECT_EQ(e->AnimeCount, 1);
  EXPECT_EQ(e->DivideCount, 1);
  EXPECT_EQ(e->AreaWidth, 30);
}

TEST(DynamicLayerBuild, TextEntryShowsTextOnClearGroundAndOnABlueBar) {
  TBlockFontService fonts;
  auto e = TDynamicLayerList::Create();
  e->Text = std::string(25, 'a');  // 20 characters fit in 200 pixels: two lines
  e->AreaWidth = 200;
  e->TextFontSize = 16;
  e->TextFontColor = 0x000000FF;  // red
  ASSERT_TRUE(e->BuildImage(nullptr));
  ASSERT_NE(e->Image, nullptr);
  const int th = 2 * (16 + 4);
  EXPECT_EQ(e->AreaWidth, 200);
  EXPECT_EQ(e->AreaHeight, th);
  EXPECT_EQ(e->Image->Width(), 200);
  EXPECT_EQ(e->Image->Height(), 2 * th);
  EXPECT_EQ(e->AnimeCount, 1);
  EXPECT_EQ(e->DivideCount, 2);
  EXPECT_EQ(e->ImageIndexEnable, 0);
  EXPECT_EQ(e->ImageIndexActive, 1);

  const TLasGraphic& s = *e->Image;
  auto alpha = [&](int x, int y) { return s.AlphaRow(y)[x]; };
  for (int half = 0; half < 2; ++half) {
    const int top = half * th;
    // Ink of the first character of line 1, the gap after it, ink of the
    // fifth character of line 2 and the empty rest of line 2.
    EXPECT_EQ(s.GetPixel(2, top + 3), 0x0000FFu);
    EXPECT_EQ(alpha(2, top + 3), 255);
    EXPECT_EQ(s.GetPixel(41, top + 25), 0x0000FFu);
    EXPECT_EQ(alpha(41, top + 25), 255);
    const uint8_t groundAlpha = half == 0 ? 0 : 128;
    EXPECT_EQ(alpha(7, top + 3), groundAlpha);
    EXPECT_EQ(alpha(150, top + 25), groundAlpha);
    if (half == 1) {
      EXPECT_EQ(s.GetPixel(150, top + 25), 0xFF0000u);  // blue bar
    }
  }

  auto narrow = TDynamicLayerList::Create();
  narrow->Text = "abc";
  narrow->AreaWidth = 0;
  EXPECT_FALSE(narrow->BuildImage(nullptr));
}

// Two overlapping entries: upper at (10,10)-(30,30), lower at (20,20)-(50,50).
class DynamicLayerHit : public ::testing::Test {
 protected:
  void SetUp() override {
    auto lower = AreaEntry(5, 20, 20, 30, 30);
    lower->ClickBookName = "book";
    lower->ClickPageName = "lower";
    lower->PageChange = TDynamicPageChange::Call;
    lower->Cursor = false;
    Lower = lower.get();
    Layers.Add(std::move(lower));
    auto upper = AreaEntry(6, 10, 10, 20, 20);
    upper->ClickBookName = "book";
    upper->ClickPageName = "upper";
    upper->PageChange = TDynamicPageChange::KeepCall;
    Upper = upper.get();
    Layers.Add(std::move(upper));
  }
  TDynamicLayer Layers;
  TDynamicLayerList* Lower = nullptr;
  TDynamicLayerList* Upper = nullptr;
};

TEST_F(DynamicLayerHit, TopmostEntryWinsAndChangesAreReportedOnce) {
  EXPECT_TRUE(Layers.HitTest(25, 25, true));
  EXPECT_EQ(Upper->Status, TDynamicStatus::Active);
  EXPECT_EQ(Lower->Status, TDynamicStatus::Idle);
  EXPECT_TRUE(Layers.GetActiveCursor());
  EXPECT_FALSE(Layers.HitTest(26, 26, true));  // same entry, no change

  Upper->Changed = false;
  EXPECT_TRUE(Layers.HitTest(40, 40, true));  // the lower one's free part
  EXPECT_EQ(Upper->Status, TDynamicStatus::Idle);
  EXPECT_TRUE(Upper->Changed);
  EXPECT_EQ(Lower->Status, TDynamicStatus::Active);
  EXPECT_FALSE(Layers.GetActiveCursor());  // the lower entry asks for no cursor

  EXPECT_TRUE(Layers.HitTest(25, 25, true));  // back onto the upper one
  EXPECT_EQ(Upper->Status, TDynamicStatus::Active);
  EXPECT_EQ(Lower->Status, TDynamicStatus::Idle);

  EXPECT_TRUE(Layers.HitTest(100, 100, true));  // off everything
  EXPECT_EQ(Upper->Status, TDynamicStatus::Idle);
  EXPECT_FALSE(Layers.HitTest(100, 100, true));
  EXPECT_FALSE(Layers.GetActiveCursor());
  // Right and bottom edges are exclusive.
  EXPECT_FALSE(Layers.HitTest(50, 49, true));
  EXPECT_TRUE(Layers.HitTest(49, 49, true));
}

TEST_F(DynamicLayerHit, ActivationNeedsAWaitUnlessAlways) {
  EXPECT_FALSE(Layers.HitTest(25, 25, false));
  EXPECT_EQ(Upper->Status, TDynamicStatus::Idle);
  // The idle upper entry still shadows the lower one.
  Lower->ActiveMode = TDynamicActiveMode::Always;
  EXPECT_FALSE(Layers.HitTest(25, 25, false));
  EXPECT_EQ(Lower->Status, TDynamicStatus::Idle);
  EXPECT_TRUE(Layers.HitTest(45, 45, false));
  EXPECT_EQ(Lower->Status, TDynamicStatus::Active);

  // A Disable status never activates but shadows what lies below.
  Upper->Status = TDynamicStatus::Disable;
  EXPECT_TRUE(Layers.HitTest(25, 25, true));
  EXPECT_EQ(Upper->Status, TDynamicStatus::Disable);
  EXPECT_EQ(Lower->Status, TDynamicStatus::Idle);

  Upper->ActiveArea = TDynamicActiveArea::None;  // no longer reacts at all
  EXPECT_TRUE(Layers.HitTest(25, 25, true));
  EXPECT_EQ(Lower->Status, TDynamicStatus::Active);
}

TEST_F(DynamicLayerHit, TakeClickHandsOutTheTargetAndHonoursAutoClear) {
  TDynamicClick none = Layers.TakeClick();
  EXPECT_FALSE(none.Found);

  Layers.HitTest(40, 40, true);
  TDynamicClick click = Layers.TakeClick();
  EXPECT_TRUE(click.Found);
  EXPECT_EQ(click.PageName, "lower");
  EXPECT_EQ(click.PageChange, TDynamicPageChange::Call);
  EXPECT_EQ(Lower->Status, TDynamicStatus::Idle);
  EXPECT_FALSE(Layers.TakeClick().Found);

  // Auto-clear removes every entry of the clicked entry's attribute.
  Upper->AutoClear = true;
  Lower->AttrID = Upper->AttrID;
  Layers.Add(AreaEntry(9, 0, 0, 5, 5));
  Layers.HitTest(12, 12, true);
  click = Layers.TakeClick();
  EXPECT_TRUE(click.Found);
  EXPECT_EQ(click.BookName, "book");
  EXPECT_EQ(click.PageName, "upper");
  EXPECT_EQ(click.PageChange, TDynamicPageChange::KeepCall);
  EXPECT_EQ(AttrsTopDown(Layers), (std::vector<int>{9}));
}

TEST(DynamicLayerHitOpaque, OpacityIsReadOnTheTopLeftCell) {
  TDynamicLayer layers;
  auto e = TDynamicLayerList::Create();
  TLasGraphic picture;
  picture.SetAlphaType(TAlphaType::Blend);
  picture.SetSize(20, 20);  // two columns, two rows of 10 x 10
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) picture.AlphaRow(y)[x] = 255;
  }
  picture.AlphaRow(3)[4] = 15;
  picture.AlphaRow(3)[5] = 16;
  picture.AlphaRow(13)[14] = 0;  // other cells do not matter
  e->ImageFileName = "x.png";
  e->AnimeCount = 2;
  e->DivideCount = 2;
  e->AreaLeft = 100;
  e->AreaTop = 50;
  e->ActiveArea = TDynamicActiveArea::Opaque;
  ASSERT_TRUE(e->BuildImage(&picture));
  e->Status = TDynamicStatus::Active;
  e->AnimeIndex = 1;
  TDynamicLayerList* entry = e.get();
  layers.Add(std::move(e));
  EXPECT_FALSE(entry->HitsPoint(104, 53));
  EXPECT_TRUE(entry->HitsPoint(105, 53));
  EXPECT_TRUE(entry->HitsPoint(104, 53 + 1));
  EXPECT_TRUE(entry->HitsPoint(109, 59));
  EXPECT_FALSE(entry->HitsPoint(110, 59));  // outside the 10 x 10 area
  EXPECT_TRUE(layers.HitTest(104, 53, true));  // not hit: the active entry goes idle
  EXPECT_EQ(entry->Status, TDynamicStatus::Idle);
}

TEST(DynamicLayerTicks, RepeatAndOnceAnimations) {
  TDynamicLayer layers;
  auto repeat = AreaEntry(0, 0, 0, 10, 10);
  repeat->AnimeType = TDynamicAnimeType::Repeat;
  repeat->AnimeCount = 3;
  TDynamicLayerList* r = repeat.get();
  layers.Add(std::move(repeat));
  auto once = AreaEntry(0, 50, 0, 10, 10);
  once->AnimeType = TDynamicAnimeType::Once;
  once->AnimeCount = 4;
  TDynamicLayerList* o = once.get();
  layers.Add(std::move(once));

  std::vector<int> repeatFrames;
  std::vector<int> onceFrames;
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(layers.AnimateStep());
    repeatFrames.push_back(r->AnimeIndex);
    onceFrames.push_back(o->AnimeIndex);
  }
  EXPECT_EQ(repeatFrames, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(onceFrames, (std::vector<int>{0, 0, 0, 0}));  // not started yet

  r->AnimeType = TDynamicAnimeType::None;
  EXPECT_FALSE(layers.AnimateStep());
  EXPECT_TRUE(layers.HitTest(55, 5, true));  // activation starts the one-shot
  EXPECT_EQ(o->AnimeIndex, 1);
  onceFrames.clear();
  for (int i = 0; i < 3; ++i) {
    o->Changed = false;
    EXPECT_TRUE(layers.AnimateStep());
    EXPECT_TRUE(o->Changed);
    onceFrames.push_back(o->AnimeIndex);
  }
  EXPECT_EQ(onceFrames, (std::vector<int>{2, 3, 0}));
  EXPECT_FALSE(layers.AnimateStep());
  EXPECT_EQ(o->AnimeIndex, 0);

  // A frame number beyond the count (as a restored entry may carry) wraps.
  o->AnimeIndex = 9;
  EXPECT_TRUE(layers.AnimateStep());
  EXPECT_EQ(o->AnimeIndex, 0);
}

TEST(DynamicLayerTicks, CountdownFollowsRemainingSecondsAndExpires) {
  TDynamicLayer layers;
  auto gauge = AreaEntry(1500, 0, 0, 10, 10);
  gauge->AnimeType = TDynamicAnimeType::Timer;
  gauge->AnimeCount = 5;
  gauge->AnimeIndex = 1;
  TDynamicLayerList* g = gauge.get();
  layers.Add(std::move(gauge));
  layers.Add(AreaEntry(1500, 0, 0, 10, 10));  // not a countdown

  EXPECT_TRUE(layers.TimerStep(5));
  EXPECT_EQ(g->AnimeIndex, 0);
  EXPECT_FALSE(layers.TimerStep(9));  // more time than frames: still frame 0
  EXPECT_TRUE(layers.TimerStep(2));
  EXPECT_EQ(g->AnimeIndex, 3);
  EXPECT_FALSE(layers.TimerStep(2));
  EXPECT_TRUE(layers.TimerStep(1));
  EXPECT_EQ(g->AnimeIndex, 4);
  EXPECT_EQ(g->AttrID, 1500);

  EXPECT_TRUE(layers.TimerStep(0));
  EXPECT_EQ(g->AnimeIndex, 0);
  EXPECT_EQ(g->AnimeType, TDynamicAnimeType::None);
  EXPECT_EQ(g->AttrID, kAttrExpiredCountdown);
  EXPECT_FALSE(layers.TimerStep(3));  // no longer a countdown
  EXPECT_TRUE(layers.RemoveByAttrID(kAttrExpiredCountdown));
  EXPECT_EQ(AttrsTopDown(layers), (std::vector<int>{1500}));

  // A one-frame countdown at frame 0 expires without a visible change.
  auto choice = AreaEntry(kAttrSelectChoice, 0, 0, 10, 10);
  choice->AnimeType = TDynamicAnimeType::Timer;
  TDynamicLayerList* c = choice.get();
  layers.Add(std::move(choice));
  EXPECT_FALSE(layers.TimerStep(-1));
  EXPECT_EQ(c->AttrID, kAttrExpiredCountdown);
}

TEST(DynamicLayerDraw, ImageCellLandsAtTheAreaWithTheBlendRule) {
  const TLasGraphic picture = GridPicture(2, 3, 6, 4);
  auto e = TDynamicLayerList::Create();
  e->ImageFileName = "grid.png";
  e->AnimeCount = 2;
  e->DivideCount = 3;
  e->ImageIndexEnable = 0;
  e->ImageIndexActive = 2;
  e->AreaLeft = 7;
  e->AreaTop = 3;
  ASSERT_TRUE(e->BuildImage(&picture));
  e->Status = TDynamicStatus::Active;
  e->AnimeIndex = 1;
  TDynamicLayerList* entry = e.get();
  TDynamicLayer layers;
  layers.Add(std::move(e));

  TLasGraphic frame;
  frame.SetSize(20, 15);
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 20; ++x) frame.Row(y)[x] = 0x00102030u + static_cast<uint32_t>(x + y);
  }
  const TLasGraphic before = [&] {
    TLasGraphic copy;
    copy.Assign(frame);
    return copy;
  }();
  layers.DrawTo(frame);
  EXPECT_FALSE(entry->Changed);
  EXPECT_EQ(entry->FocusIndex, 2);

  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 20; ++x) {
      const uint32_t d = before.Row(y)[x];
      uint32_t expected = d;
      if (x >= 7 && x < 13 && y >= 3 && y < 7) {
        const int sx = 6 * 1 + (x - 7);
        const int sy = 4 * 2 + (y - 3);
        const uint32_t a = picture.AlphaRow(sy)[sx];
        if (a != 0) expected = Blend(d, picture.Row(sy)[sx], a);
      }
      EXPECT_EQ(frame.Row(y)[x] & 0xFFFFFF, expected & 0xFFFFFF) << x << "," << y;
    }
  }

  // Frame numbers past the count restart at 0; Idle shows row 0.
  entry->AnimeIndex = 5;
  entry->Status = TDynamicStatus::Idle;
  TLasGraphic other;
  other.SetSize(20, 15);
  layers.DrawTo(other);
  EXPECT_EQ(entry->AnimeIndex, 0);
  EXPECT_EQ(entry->FocusIndex, 0);
  const uint32_t a = picture.AlphaRow(1)[1];
  ASSERT_NE(a, 0u);
  EXPECT_EQ(other.Row(3 + 1)[7 + 1] & 0xFFFFFF, Blend(0xFFFFFF, picture.Row(1)[1], a));
}

TEST(DynamicLayerDraw, OldestIsDrawnFirstAndTransparentEntriesDrawNothing) {
  TLasGraphic red;
  red.SetSize(4, 4);
  red.FillRect(0, 0, 4, 4, 0x000000FF);
  TLasGraphic green;
  green.SetSize(4, 4);
  green.FillRect(0, 0, 4, 4, 0x0000FF00);
  TDynamicLayer layers;
  for (const TLasGraphic* g : {&red, &green}) {
    auto e = TDynamicLayerList::Create();
    e->ImageFileName = "solid.png";
    e->AreaLeft = g == &red ? 0 : 2;
    ASSERT_TRUE(e->BuildImage(g));
    layers.Add(std::move(e));
  }
  layers.Add(AreaEntry(0, 0, 0, 8, 8));  // transparent, on top

  TLasGraphic frame;
  frame.SetAlphaType(TAlphaType::Mask);
  frame.SetSize(8, 8);
  layers.DrawTo(frame);
  EXPECT_EQ(frame.GetPixel(1, 1), 0x0000FFu);
  EXPECT_EQ(frame.GetPixel(2, 1), 0x00FF00u);  // the newer one covers the older
  EXPECT_EQ(frame.GetPixel(5, 1), 0x00FF00u);
  EXPECT_EQ(frame.GetPixel(6, 1), 0xFFFFFFu);
  EXPECT_EQ(frame.AlphaRow(1)[5], 255);  // opaque sources make the frame opaque
  EXPECT_EQ(frame.AlphaRow(1)[6], 0);
  EXPECT_EQ(frame.AlphaRow(6)[1], 0);  // the transparent entry left no trace

  // ... yet it is hit and clicked.
  layers.GetNewest()->ClickPageName = "under";
  EXPECT_TRUE(layers.HitTest(7, 7, true));
  EXPECT_EQ(layers.TakeClick().PageName, "under");
}

TEST(DynamicLayerDraw, TextEntryActiveRowBlendsOverTheFrame) {
  TBlockFontService fonts;
  auto e = TDynamicLayerList::Create();
  e->Text = "ab";
  e->AreaWidth = 30;
  e->AreaLeft = 2;
  e->AreaTop = 1;
  e->TextFontSize = 6;
  e->TextFontColor = 0x00000000;
  ASSERT_TRUE(e->BuildImage(nullptr));
  e->Status = TDynamicStatus::Active;
  TDynamicLayer layers;
  layers.Add(std::move(e));
  TLasGraphic frame;
  frame.SetSize(40, 20);
  frame.FillRect(0, 0, 40, 20, 0x00808080);
  layers.DrawTo(frame);
  // Ink: alpha 255 over black; ground: the blue bar at alpha 128.
  EXPECT_EQ(frame.Row(1)[2] & 0xFFFFFF, Blend(0x808080, 0x000000, 255));
  EXPECT_EQ(frame.Row(1)[2 + 7] & 0xFFFFFF, Blend(0x808080, 0x0000FF, 128));
  EXPECT_EQ(frame.Row(1)[2 + 25] & 0xFFFFFF, Blend(0x808080, 0x0000FF, 128));
  EXPECT_EQ(frame.Row(1 + 10)[2] & 0xFFFFFF, 0x808080u);  // below the area
}

}  // namespace
}  // namespace pelto5
