// The FreeType font service: name resolution with the Windows Japanese
// aliases, 96-dpi sizes, metrics and the two-level glyph mask. Glyph shapes
// are not compared; the checks are structural.
#include "platform/fonts/FreeTypeFontService.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <vector>

#include "platform/FontService.h"

namespace pelto5 {
namespace {

// "ＭＳ ゴシック", "ＭＳ Ｐ明朝"
const char* const kMsGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
const char* const kMsPMincho = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";
// "あ"
const char* const kA = "\x82\xa0";

TFreeTypeFontService& Service() {
  static TFreeTypeFontService service;
  return service;
}

TFont Gothic(int size) {
  TFont font;
  font.Name = kMsGothic;
  font.Size = size;
  return font;
}

struct TSurface {
  int Width;
  int Height;
  std::vector<uint32_t> Pixels;
  std::vector<uint8_t> Alpha;
  TSurface(int w, int h) : Width(w), Height(h), Pixels(w * h, 0x00FFFFFF), Alpha(w * h, 0) {}
  TTextTarget Target() {
    TTextTarget t;
    t.Pixels = Pixels.data();
    t.Stride = Width;
    t.Alpha = Alpha.data();
    t.AlphaStride = Width;
    t.Width = Width;
    t.Height = Height;
    return t;
  }
  int Inked() const {
    int n = 0;
    for (uint8_t a : Alpha) n += a != 0;
    return n;
  }
};

bool JapaneseFacesInstalled() { return Service().IsInstalled("IPAGothic"); }

TEST(FontService, EmPixelsAt96Dpi) {
  EXPECT_EQ(FontEmPixels(16), 21);
  EXPECT_EQ(FontEmPixels(10), 13);
  EXPECT_EQ(FontEmPixels(12), 16);
  EXPECT_EQ(FontEmPixels(-16), 21);
  EXPECT_EQ(FontEmPixels(0), 1);
  EXPECT_EQ(FontEmPixels(1 << 30), 1000);
}

TEST(FontService, ResolvesWindowsJapaneseNames) {
  if (!JapaneseFacesInstalled()) GTEST_SKIP() << "IPA fonts are not installed";
  EXPECT_TRUE(Service().IsInstalled(kMsGothic));
  EXPECT_TRUE(Service().IsInstalled(kMsPMincho));
  EXPECT_TRUE(Service().IsInstalled("ipagothic"));
  EXPECT_FALSE(Service().IsInstalled("No Such Family 4711"));
  EXPECT_FALSE(Service().IsInstalled(""));
  TFont ipa = Gothic(16);
  ipa.Name = "IPAGothic";
  EXPECT_EQ(Service().FaceFile(Gothic(16)), Service().FaceFile(ipa));
  TFont mincho = Gothic(16);
  mincho.Name = kMsPMincho;
  ipa.Name = "IPAPMincho";
  EXPECT_EQ(Service().FaceFile(mincho), Service().FaceFile(ipa));
  EXPECT_NE(Service().FaceFile(mincho), Service().FaceFile(Gothic(16)));
  // A missing family falls back to an installed Japanese face.
  TFont missing = Gothic(16);
  missing.Name = "No Such Family 4711";
  EXPECT_FALSE(Service().FaceFile(missing).empty());
  EXPECT_GT(Service().Measure(kA, missing).Width, 0);
}

TEST(FontService, OwnFamiliesKeepTheFaceMetrics) {
  if (!JapaneseFacesInstalled()) GTEST_SKIP() << "IPA fonts are not installed";
  TFont font = Gothic(16);
  font.Name = "IPAGothic";  // found by fontconfig under its own name
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face = nullptr;
  ASSERT_EQ(FT_New_Face(library, Service().FaceFile(font).c_str(), 0, &face), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 21), 0);
  const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  const int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
  FT_Done_Face(face);
  FT_Done_FreeType(library);

  const TTextExtent empty = Service().Measure("", font);
  EXPECT_EQ(empty.Width, 0);
  EXPECT_EQ(empty.Height, ascent + descent);
  EXPECT_GT(empty.Height, 21);
}

TEST(FontService, WindowsFamiliesTakeTheWindowsCellMetrics) {
  if (!JapaneseFacesInstalled()) GTEST_SKIP() << "IPA fonts are not installed";
  // The line pitch is the em (points * 96 / 72, rounded); the fixed-pitch
  // faces advance one em per full-width and half an em per half-width
  // character.
  struct TCase {
    int Size;
    int Em;
  };
  for (const TCase c : {TCase{9, 12}, TCase{10, 13}, TCase{12, 16}, TCase{16, 21}, TCase{24, 32},
                        TCase{-16, 21}}) {
    SCOPED_TRACE(c.Size);
    const TFont font = Gothic(c.Size);
    EXPECT_EQ(Service().Measure("", font).Height, c.Em);
    EXPECT_EQ(Service().Measure(kA, font).Height, c.Em);
    EXPECT_EQ(Service().Measure(kA, font).Width, c.Em);
    EXPECT_EQ(Service().Measure("a", font).Width, c.Em / 2);
    EXPECT_EQ(Service().Measure("Wi", font).Width, 2 * (c.Em / 2));
    EXPECT_EQ(Service().Measure(std::string(kA) + "a" + kA, font).Width, 2 * c.Em + c.Em / 2);
  }
  // The same names in ASCII, and the mincho.
  TFont ascii = Gothic(16);
  ascii.Name = "MS Gothic";
  EXPECT_EQ(Service().Measure("a", ascii).Width, 10);
  EXPECT_EQ(Service().Measure(kA, ascii).Height, 21);
  TFont mincho = Gothic(16);
  mincho.Name = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // "ＭＳ 明朝"
  EXPECT_EQ(Service().Measure(std::string(kA) + kA, mincho).Width, 42);
  // The proportional faces keep their own advances but take the cell.
  TFont pmincho = Gothic(16);
  pmincho.Name = kMsPMincho;
  EXPECT_EQ(Service().Measure(kA, pmincho).Height, 21);
  EXPECT_LT(Service().Measure("i", pmincho).Width, Service().Measure("W", pmincho).Width);

  // Glyphs sit on the Windows baseline (ascent 18 of 21): nothing is
  // inked below the cell.
  TSurface surface(40, 40);
  Service().DrawRun(surface.Target(), 0, 0, "gy", Gothic(16));
  int lowest = -1;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (surface.Alpha[y * 40 + x]) lowest = y;
    }
  }
  EXPECT_GE(lowest, 17);
  EXPECT_LT(lowest, 21);

  TFont bold = Gothic(16);
  bold.Bold = true;
  EXPECT_GT(Service().Measure("abc", bold).Width, Service().Measure("abc", Gothic(16)).Width);
  EXPECT_GT(Service().Measure(kA, Gothic(32)).Height, Service().Measure(kA, Gothic(16)).Height);
}

TEST(FontService, GlyphsAreTwoLevelAndStayInTheirCell) {
  if (!JapaneseFacesInstalled()) GTEST_SKIP() << "IPA fonts are not installed";
  TFont font = Gothic(16);
  font.Color = 0x00332211;  // drawn as pixel 0x00112233
  const TTextExtent extent = Service().Measure(kA, font);
  TSurface s(60, 60);
  Service().DrawRun(s.Target(), 10, 12, kA, font);
  ASSERT_GT(s.Inked(), 20);
  for (int y = 0; y < s.Height; ++y) {
    for (int x = 0; x < s.Width; ++x) {
      const size_t i = static_cast<size_t>(y) * s.Width + x;
      const bool inked = s.Alpha[i] != 0;
      if (inked) {
        EXPECT_EQ(s.Alpha[i], 255);
        EXPECT_EQ(s.Pixels[i], 0x00112233u);
        EXPECT_GE(x, 10);
        EXPECT_LT(x, 10 + extent.Width);
        EXPECT_GE(y, 12);
        EXPECT_LT(y, 12 + extent.Height);
      } else {
        EXPECT_EQ(s.Pixels[i], 0x00FFFFFFu);  // no grey fringe, nothing else touched
      }
    }
  }

  TFont bold = font;
  bold.Bold = true;
  TSurface b(60, 60);
  Service().DrawRun(b.Target(), 10, 12, kA, bold);
  EXPECT_GT(b.Inked(), s.Inked());

  TFont italic = font;
  italic.Italic = true;
  TSurface it(60, 60);
  Service().DrawRun(it.Target(), 10, 12, kA, italic);
  EXPECT_GT(it.Inked(), 20);
  EXPECT_NE(it.Alpha, s.Alpha);
}

TEST(FontService, ClipsAtTheTargetEdgesAndSurvivesBadText) {
  TFont font = Gothic(40);
  TSurface s(20, 20);
  Service().DrawRun(s.Target(), -15, -20, std::string(kA) + kA, font);
  Service().DrawRun(s.Target(), 12, 10, std::string(kA) + kA, font);
  Service().DrawRun(s.Target(), 1000, -1000, kA, font);
  // A lone lead byte, a broken pair and control bytes measure and draw.
  const std::string bad = std::string("\x82") + "\x81\x01\xff" + "\x82";
  EXPECT_GE(Service().Measure(bad, font).Width, 0);
  Service().DrawRun(s.Target(), 0, 0, bad, font);
  TTextTarget none;
  Service().DrawRun(none, 0, 0, kA, font);  // no pixels: nothing happens
  if (JapaneseFacesInstalled()) {
    EXPECT_GT(s.Inked(), 0);
  }
}

TEST(FontService, ServiceCanBeReplaced) {
  struct TCounting : TFontService {
    bool IsInstalled(const std::string&) override { return true; }
    TTextExtent Measure(std::string_view, const TFont&) override { return {7, 9}; }
    void DrawRun(const TTextTarget&, int, int, std::string_view, const TFont&) override {}
  } counting;
  InstallFontService(&counting);
  EXPECT_EQ(FontService().Measure("x", TFont{}).Width, 7);
  InstallFontService(nullptr);
  EXPECT_NE(&FontService(), static_cast<TFontService*>(&counting));
}

}  // namespace
}  // namespace pelto5
