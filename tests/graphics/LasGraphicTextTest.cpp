// Text layout, markup tags, the recorded text steps and their replay, and
// page continuation, with the exact metrics of the fake font service: a
// single-byte character is Size pixels wide, every run Size + 2 high.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "graphics/FakeFontService.h"
#include "graphics/LasGraphic.h"
#include "base/SjisText.h"

namespace pelto5 {
namespace {

using Steps = std::vector<std::pair<int, int>>;

Steps Recorded(const TLasGraphic& g) {
  Steps steps;
  for (size_t i = 0; i < g.Steps().Count(); ++i) {
    steps.emplace_back(g.Steps().Entry(i).Code, g.Steps().Entry(i).Value);
  }
  return steps;
}

// The steps of one line header.
void AppendLine(Steps& s, int top, int height) {
  s.insert(s.end(), {{tsLineX, 0}, {tsCharWidthReset, 0}, {tsLineTop, top}, {tsLineHeight, height}});
}

class LasGraphicText : public testing::Test {
 protected:
  test::TFakeFontService Fonts;
};

TEST_F(LasGraphicText, LinesStepsAndRenderedMask) {
  TLasGraphic g;
  g.Text = "ab#c";
  EXPECT_EQ(g.DrawTextFit(100, 0), 24);
  EXPECT_EQ(g.Width(), 100);
  EXPECT_EQ(g.Height(), 24);
  EXPECT_EQ(g.AlphaType(), TAlphaType::Mask);
  EXPECT_EQ(g.Text, "");
  EXPECT_EQ(g.LastText, "ab#c");

  Steps expected = {{tsSpeedNormal, 0}};
  AppendLine(expected, 0, 12);
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 20}, {tsCharEnd, 20}});
  AppendLine(expected, 12, 12);
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 10}, {tsEnd, 0}});
  EXPECT_EQ(Recorded(g), expected);

  // "ab" covers x 0..19 of line 0, "c" x 0..9 of line 1; the rest is white
  // and transparent.
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool ink = y < 12 ? x < 20 : x < 10;
      ASSERT_EQ(g.AlphaRow(y)[x], ink ? 255 : 0) << x << "," << y;
      ASSERT_EQ(g.Row(y)[x], ink ? 0x00000000u : 0x00FFFFFFu) << x << "," << y;
    }
  }

  // Replay: CharEnd steps carry the character's left edge and width.
  TTextStep s = g.NextTextStep();
  EXPECT_EQ(s.Code, tsCharEnd);
  EXPECT_EQ(s.X, 0);
  EXPECT_EQ(s.CharWidth, 10);
  EXPECT_EQ(s.Y, 0);
  EXPECT_EQ(s.LineHeight, 12);
  EXPECT_EQ(s.Delay, 60);
  s = g.NextTextStep();
  EXPECT_EQ(s.X, 10);
  EXPECT_EQ(s.CharWidth, 10);
  s = g.NextTextStep();  // the line break: width 0
  EXPECT_EQ(s.X, 20);
  EXPECT_EQ(s.CharWidth, 0);
  s = g.NextTextStep();
  EXPECT_EQ(s.Code, tsCharEnd);
  EXPECT_EQ(s.X, 0);
  EXPECT_EQ(s.Y, 12);
  EXPECT_EQ(s.CharWidth, 10);
  g.NextTextStep();
  EXPECT_EQ(g.NextTextStep().Code, tsEnd);
  EXPECT_EQ(g.NextTextStep().Code, tsEnd);  // End stays
}

TEST_F(LasGraphicText, DrawTextClearsAndWrapsAtTheSurfaceWidth) {
  TLasGraphic g;
  g.SetSize(25, 100);
  g.FillRect(0, 0, 25, 100, 0x123456);
  g.Text = "abcde";
  EXPECT_EQ(g.DrawText(), 36);
  EXPECT_EQ(g.Height(), 100);  // DrawText keeps the size
  EXPECT_EQ(g.Row(99)[24], 0x00FFFFFFu);
  EXPECT_EQ(g.AlphaRow(99)[24], 0);
  Steps expected = {{tsSpeedNormal, 0}};
  AppendLine(expected, 0, 12);
  // "c" does not fit: its CharEnd is still recorded, then it starts line 2
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 20}, {tsCharEnd, 30}});
  AppendLine(expected, 12, 12);
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 20}, {tsCharEnd, 30}});
  AppendLine(expected, 24, 12);
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 10}, {tsEnd, 0}});
  EXPECT_EQ(Recorded(g), expected);
  EXPECT_EQ(g.AlphaRow(30)[9], 255);
  EXPECT_EQ(g.AlphaRow(30)[10], 0);
}

TEST_F(LasGraphicText, SizeTagsShareTheLineBottom) {
  TLasGraphic g;
  g.Text = "a<+5>b<-5>c";
  EXPECT_EQ(g.DrawTextFit(100, 0), 17);
  EXPECT_EQ(g.FontSize, 10);  // +5 then -5 restores
  Steps expected = {{tsSpeedNormal, 0}};
  AppendLine(expected, 0, 17);
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 25}, {tsCharEnd, 35}, {tsCharEnd, 35}, {tsEnd, 0}});
  EXPECT_EQ(Recorded(g), expected);
  // "a" is 12 high sitting on the bottom (rows 5..16), "b" 17 high.
  EXPECT_EQ(g.AlphaRow(4)[5], 0);
  EXPECT_EQ(g.AlphaRow(5)[5], 255);
  EXPECT_EQ(g.AlphaRow(0)[12], 255);
  EXPECT_EQ(g.AlphaRow(4)[30], 0);

  g.Text = "<+123>x";  // only two digits count: +12
  g.DrawTextFit(100, 0);
  EXPECT_EQ(g.FontSize, 22);
  g.Text = "<*7>x<-ab>";  // not a number: 0
  g.DrawTextFit(100, 0);
  EXPECT_EQ(g.FontSize, 7);
  // The empty run before the first tag was measured at size 10 and counts.
  EXPECT_EQ(g.Height(), 12);
  EXPECT_EQ(g.Steps().Entry(5).Value, 7);
}

TEST_F(LasGraphicText, SpeedWaitAndKeyTagsRecordSteps) {
  TLasGraphic g;
  g.Text = "<FAST>a<W3><KEY><SLOW><W><NORMAL><WAIT>";
  g.DrawTextFit(100, 0);
  Steps expected = {{tsSpeedNormal, 0}};
  AppendLine(expected, 0, 12);
  expected.insert(expected.end(),
                  {{tsSpeedFast, 0}, {tsCharEnd, 10}, {tsWait, 300}, {tsKeyWaitMark, 0},
                   {tsKeyWait, 0}, {tsKeyWaitClear, 0}, {tsSpeedSlow, 0}, {tsWait, 0},
                   {tsSpeedNormal, 0}, {tsWait, 0} /* "WAIT": W with "AI", not a number */,
                   {tsCharEnd, 10}, {tsEnd, 0}});
  EXPECT_EQ(Recorded(g), expected);

  TTextStep s = g.NextTextStep();
  EXPECT_EQ(s.Code, tsCharEnd);
  EXPECT_EQ(s.Delay, 20);
  s = g.NextTextStep();
  EXPECT_EQ(s.Code, tsWait);
  EXPECT_EQ(s.Value, 300);
  EXPECT_EQ(g.NextTextStep().Code, tsKeyWaitMark);
  EXPECT_EQ(g.NextTextStep().Code, tsKeyWait);
  EXPECT_EQ(g.NextTextStep().Code, tsKeyWaitClear);
  s = g.NextTextStep();
  EXPECT_EQ(s.Code, tsWait);
  EXPECT_EQ(s.Delay, 120);
}

TEST_F(LasGraphicText, StyleAndColourTags) {
  TLasGraphic g;
  g.Text = "<B>a<N>b<clRed>c<0x0000FF00>d<clNoSuchColour>e<$FF>f";
  g.DrawTextFit(100, 0);
  // bold "a" is 11 wide, then plain
  const Steps steps = Recorded(g);
  ASSERT_GE(steps.size(), 6u);
  EXPECT_EQ(steps[5], std::make_pair(static_cast<int>(tsCharEnd), 11));
  EXPECT_EQ(steps[6], std::make_pair(static_cast<int>(tsCharEnd), 21));
  EXPECT_EQ(g.FontColor, 0x0000FF00u);  // the unknown name is ignored
  EXPECT_EQ(g.GetPixel(25, 5), 0x0000FFu);  // c is red
  EXPECT_EQ(g.GetPixel(35, 5), 0x00FF00u);  // d green
  EXPECT_EQ(g.GetPixel(45, 5), 0x00FF00u);  // e keeps green
  EXPECT_EQ(g.GetPixel(55, 5), 0x00FF00u);
  EXPECT_FALSE(g.Bold);

  // The font's own style and colour apply until a tag changes them.
  TLasGraphic h;
  h.Font.Bold = true;
  h.Font.Color = 0x00112233;
  h.Text = "a<N>a";
  h.DrawTextFit(100, 0);
  EXPECT_EQ(Recorded(h)[5].second, 11);
  EXPECT_EQ(Recorded(h)[6].second, 21);
  EXPECT_EQ(h.GetPixel(1, 1), 0x00112233u);
}

TEST_F(LasGraphicText, MalformedTags) {
  TLasGraphic g;
  g.Text = "a<>b>c";  // ">" right after "<" does not close: the tag is ">b"
  g.DrawTextFit(100, 0);
  Steps expected = {{tsSpeedNormal, 0}};
  AppendLine(expected, 0, 12);
  expected.insert(expected.end(), {{tsCharEnd, 10}, {tsCharEnd, 20}, {tsCharEnd, 20}, {tsEnd, 0}});
  EXPECT_EQ(Recorded(g), expected);

  g.Text = "ab<cd";  // no ">": "<" and the byte after it are consumed
  g.DrawTextFit(100, 0);
  EXPECT_EQ(g.Steps().Entry(7).Value, 30);  // "d" after "ab"
  EXPECT_EQ(g.Text, "");
  g.Text = "a<";
  g.DrawTextFit(100, 0);
  EXPECT_EQ(g.Text, "");
}

TEST_F(LasGraphicText, DoubleByteCharactersAreOneStep) {
  TLasGraphic g;
  g.Text = "\x82\xa0\x83\x5c" "a";  // あ ソ (trail byte 0x5C) a
  g.DrawTextFit(100, 0);
  Steps expected = {{tsSpeedNormal, 0}};
  AppendLine(expected, 0, 12);
  expected.insert(expected.end(), {{tsCharEnd, 20}, {tsCharEnd, 40}, {tsCharEnd, 50}, {tsCharEnd, 50}, {tsEnd, 0}});
  EXPECT_EQ(Recorded(g), expected);
}

TEST_F(LasGraphicText, PageContinuationKeepsStyle) {
  TLasGraphic g;
  g.SetSize(100, 30);
  g.Text = "<B>a#b#c#d";
  EXPECT_EQ(g.DrawText(), 24);
  EXPECT_EQ(g.Text, "<*10><clBlack><B>c#d");
  const Steps all = Recorded(g);
  Steps tail(all.end() - 5, all.end());
  EXPECT_EQ(tail, (Steps{{tsPageWaitMark, 0}, {tsPageKeyWait, 0}, {tsPageWaitClear, 0},
                         {tsNewPage, 30}, {tsEnd, 0}}));
  // Page two starts bold, at the same size, and ends the text.
  EXPECT_EQ(g.DrawText(), 24);
  EXPECT_EQ(g.Text, "");
  EXPECT_EQ(Recorded(g)[5].second, 11);

  g.Text = "<*12><I><0x00123456>a#b#c";
  g.SetSize(100, 20);
  g.DrawText();
  EXPECT_EQ(g.Text, "<*12><0x00123456><I>b#c");  // a custom colour is read back
  g.DrawText();
  EXPECT_EQ(g.GetPixel(1, 1), 0x00123456u);
  EXPECT_EQ(g.Text, "<*12><0x00123456><I>c");
}

TEST_F(LasGraphicText, EachLayoutStartsFromTheSurfacesOwnColour) {
  TLasGraphic g;
  g.SetSize(100, 20);
  g.Text = "<clRed>a";
  g.DrawText();
  EXPECT_EQ(g.FontColor, 0x000000FFu);
  // A later text without a colour tag continues its pages in the surface's
  // colour, not in the red of the text before.
  g.Text = "a#b";
  g.DrawText();
  EXPECT_EQ(g.Text, "<*10><clBlack>b");
  g.DrawText();
  EXPECT_EQ(g.GetPixel(1, 1), 0x00000000u);
  g.Font.Color = 0x00FF0000;
  g.Text = "a#b";
  g.DrawText();
  EXPECT_EQ(g.Text, "<*10><clBlue>b");
}

TEST_F(LasGraphicText, LargeAndZeroSizeTagsSurviveThePageBreak) {
  TLasGraphic g;
  g.SetSize(300, 130);
  // 10 + 99 + 14: two digits per tag, and the continuation must say 123.
  g.Text = "<+99><+14>a#b";
  g.DrawText();
  EXPECT_EQ(g.FontSize, 123);
  EXPECT_EQ(g.Text, "<*99><+24><clBlack>b");
  g.DrawText();
  EXPECT_EQ(g.FontSize, 123);
  EXPECT_EQ(g.Text, "");
  // Sizes the size tag cannot write directly: 0 and below -9.
  g.Text = "<-10>a#b";
  g.SetSize(300, 3);
  g.DrawText();
  EXPECT_EQ(g.Text, "<*1><-1><clBlack>b");
  g.DrawText();
  EXPECT_EQ(g.FontSize, 0);
  // A size tag of 0, or an empty one, is the surface's own size.
  for (const char* text : {"<*0>ab", "<*>ab", "<*x>ab"}) {
    g.SetSize(300, 100);
    g.Text = text;
    EXPECT_EQ(g.DrawText(), 12) << text;
    EXPECT_EQ(g.FontSize, 10) << text;
    EXPECT_EQ(g.Steps().Entry(7).Value, 20) << text;
  }
}

TEST_F(LasGraphicText, LineBoundsAndOversizedCharacters) {
  TLasGraphic g;
  g.Text = std::string(400, '#');
  EXPECT_EQ(g.DrawTextFit(50, 0), 300 * 12);  // "#" lines are as high as an empty run
  EXPECT_EQ(g.Text, "<*10><clBlack>" + std::string(100, '#'));

  // A character wider than the line stands alone on it and is consumed.
  g.Text = "ab";
  EXPECT_EQ(g.DrawTextFit(5, 0), 24);
  EXPECT_EQ(g.Text, "");
  EXPECT_EQ(g.AlphaRow(3)[4], 255);
  g.Text = "xyz";
  EXPECT_EQ(g.DrawTextFit(0, 0), 36);
  EXPECT_EQ(g.Text, "");

  // The first line is drawn even when it is taller than the limit.
  g.Text = "<*30>a#b";
  EXPECT_EQ(g.DrawTextFit(100, 10), 32);
  EXPECT_EQ(g.Height(), 32);
  EXPECT_EQ(g.Text, "<*30><clBlack>b");
}

TEST_F(LasGraphicText, FullStepListStillEnds) {
  TLasGraphic g;
  g.Text = std::string(5000, 'a');
  g.DrawTextFit(100000, 0);
  EXPECT_EQ(g.Steps().Count(), TTextStepList::kCapacity);
  int returned = 0;
  while (g.NextTextStep().Code != tsEnd) ++returned;
  EXPECT_EQ(returned, static_cast<int>(TTextStepList::kCapacity) - 5);
  EXPECT_EQ(g.Steps().Position(), TTextStepList::kCapacity);
}

// Lays text out in a 100-pixel-wide surface (ten characters), translated
// or not.
TLasGraphic LaidOut(const std::string& text, bool translated) {
  TLasGraphic g;
  g.Translated = translated;
  g.Text = text;
  g.DrawTextFit(100, 0);
  return g;
}

// The same height and the same pixels.
void ExpectSamePicture(const TLasGraphic& a, const TLasGraphic& b, const std::string& what) {
  ASSERT_EQ(a.Height(), b.Height()) << what;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      ASSERT_EQ(a.AlphaRow(y)[x], b.AlphaRow(y)[x]) << what << " at " << x << "," << y;
    }
  }
}

TEST_F(LasGraphicText, TranslatedTextWrapsAtTheLastSpaceThatFits) {
  // Each translation is laid out as the text with its breaks written out.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"alpha beta gamma", "alpha beta#gamma"},      // the space that does not fit
      {"ab cdefghij", "ab#cdefghij"},                // the last space on the line
      {"aaa bbbbbbbbbbbbbb", "aaa#bbbbbbbbbb#bbbb"},  // a longer word still breaks
      {"aaaa <*20>bbbb", "aaaa#<*20>bbbb"},          // a tag after the break is the next line's
      {"<B>ab cd<N> efghijk", "<B>ab cd<N>#efghijk"},
      {"  abcdefghijkl", "  abcdefgh#ijkl"},         // no character before the spaces
  };
  for (const auto& [translated, broken] : cases) {
    ExpectSamePicture(LaidOut(translated, true), LaidOut(broken, false), translated);
  }
  // The scenario's own text wraps where the line is full, as it always did.
  ExpectSamePicture(LaidOut("alpha beta gamma", false), LaidOut("alpha beta# gamma", false), "untranslated");
  ExpectSamePicture(LaidOut("ab cdefghij", false), LaidOut("ab cdefghi#j", false), "untranslated");
}

TEST_F(LasGraphicText, AWideSequenceIsOneCharacter) {
  std::string text = "caf";
  sjis::AppendWideChar(text, U'\u00E9');
  text += "<B>x";
  TLasGraphic g = LaidOut(text, true);
  int characters = 0;
  for (size_t i = 0; i < g.Steps().Count(); ++i) characters += g.Steps().Entry(i).Code == tsCharEnd ? 1 : 0;
  // c, a, f, é, x and the end of the text.
  EXPECT_EQ(characters, 6);
  EXPECT_EQ(g.AlphaRow(5)[50], 255);  // bold x ends at 51
  EXPECT_EQ(g.AlphaRow(5)[51], 0);
}

TEST_F(LasGraphicText, ASavedTranslationIsTheUntranslatedPageShown) {
  // 100 x 24: two lines of ten characters a page. The original takes three
  // pages, the translation two.
  auto original = [] {
    TLasGraphic g;
    g.SetSize(100, 24);
    g.Text = std::string(60, 'a');
    return g;
  };
  std::vector<std::string> pages;
  TLasGraphic o = original();
  while (pages.empty() || !o.Text.empty()) {
    o.DrawText();
    pages.push_back(o.LastText);
  }
  ASSERT_EQ(pages.size(), 3u);

  TLasGraphic t;
  t.SetSize(100, 24);
  t.Translated = true;
  t.Untranslated = std::string(60, 'a');
  t.Text = std::string(40, 'b');
  t.DrawText();
  EXPECT_EQ(t.UntranslatedLastText(), pages[0]);
  t.DrawText();
  // The translation's last page stands for the original's last.
  EXPECT_EQ(t.UntranslatedLastText(), pages[2]);
  bool last = false;
  EXPECT_EQ(t.UntranslatedPageOf(pages[1], last), 2);
  EXPECT_FALSE(last);
  EXPECT_EQ(t.UntranslatedPageOf(pages[2], last), 3);
  EXPECT_TRUE(last);
  EXPECT_EQ(t.UntranslatedPageOf("bbb", last), 0);

  TLasGraphic plain = original();
  plain.DrawText();
  EXPECT_EQ(plain.UntranslatedLastText(), plain.LastText);
}

}  // namespace
}  // namespace pelto5

namespace pelto5 {
namespace {

// The same layout with the installed gothic face: the line height is the
// face's measured height and the rendered text is a two-level mask.
TEST(LasGraphicTextRealFont, RendersWithTheInstalledFace) {
  if (!FontService().IsInstalled("IPAGothic")) GTEST_SKIP() << "IPA fonts are not installed";
  TLasGraphic g;
  g.Font.Size = 16;
  g.Font.Color = 0x000000FF;  // red
  g.Text = "\x82\xa0" "b#<B>\x82\xa0";  // あb, then bold あ
  const int lineHeight = FontService().Measure("", g.Font).Height;
  EXPECT_EQ(g.DrawTextFit(200, 0), 2 * lineHeight);
  int inked = 0;
  for (int y = 0; y < g.Height(); ++y) {
    for (int x = 0; x < g.Width(); ++x) {
      const uint8_t a = g.AlphaRow(y)[x];
      ASSERT_TRUE(a == 0 || a == 255);
      if (a == 0) {
        ASSERT_EQ(g.Row(y)[x] & 0xFFFFFF, 0xFFFFFFu);
        continue;
      }
      ++inked;
      ASSERT_EQ(g.GetPixel(x, y), 0x0000FFu);
      ASSERT_LT(x, 21 + FontService().Measure("b", g.Font).Width + 2);
    }
  }
  EXPECT_GT(inked, 40);
  EXPECT_EQ(g.Steps().Entry(5).Value, 21);  // あ is one 21-pixel em
}

}  // namespace
}  // namespace pelto5
