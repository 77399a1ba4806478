// The player's screen end to end, headless: the opening picture named in
// the header (PNG or BMP, written here beside the script) on the shot taken
// at shutdown, compared pixel by pixel with what the drawing rules give,
// and the layer stack in the state dump.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "image/BmpEncoder.h"
#include "graphics/LasGraphic.h"
#include "graphics/PngTestSupport.h"
#include "base/SjisText.h"
#include "support/PlayerRun.h"
#include "support/PngRead.h"

namespace pelto5::test {
namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

// A picture whose every pixel says where it is (colour value 0x00BBGGRR).
uint32_t Pattern(int x, int y) { return 0x00400000u | ((y * 16) << 8) | (x * 20 + 10); }

std::string PatternPng(int width, int height, const std::function<uint8_t(int, int)>* alpha = nullptr) {
  TPngImage png;
  png.Width = width;
  png.Height = height;
  png.ColorType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = Pattern(x, y);
      png.Data.push_back(c & 0xFF);
      png.Data.push_back((c >> 8) & 0xFF);
      png.Data.push_back((c >> 16) & 0xFF);
      if (alpha) png.Data.push_back((*alpha)(x, y));
    }
  }
  return EncodePng(png);
}

std::string PatternBmp(int width, int height) {
  TLasGraphic g;
  g.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) g.FillRect(x, y, 1, 1, Pattern(x, y));
  }
  return EncodeBmp32(g.View());
}

struct TRun {
  TPlayerResult Result;
  TLasGraphic Shot;
  std::string Dump;
};

// Runs a one-command script with the header lines (and extra header
// blocks) in dir, taking the shot and the state dump.
TRun RunWithHeader(const TTempDir& dir, const std::vector<std::string>& header,
                   const std::vector<std::string>& blocks = {}) {
  std::vector<std::string> lines = ScriptWithPage({"@rem"}, header);
  lines.insert(lines.begin() + 3 + header.size() + 1, blocks.begin(), blocks.end());
  const std::string script = dir.Write("game.pf5", MakeScript(lines));
  TRun run;
  run.Result = RunPlayer({"--headless", "--screenshot", dir.Path() + "/shot.png", "--dump-state",
                          dir.Path() + "/dump.txt", script});
  EXPECT_TRUE(LoadPngFileInto(run.Shot, dir.Path() + "/shot.png"));
  run.Dump = ReadFileText(dir.Path() + "/dump.txt");
  return run;
}

void ExpectShot(const TLasGraphic& shot, int width, int height, const std::function<uint32_t(int, int)>& expected) {
  ASSERT_EQ(shot.Width(), width);
  ASSERT_EQ(shot.Height(), height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_EQ(shot.GetPixel(x, y), expected(x, y)) << x << "," << y;
  }
}

std::string LayersSection(const std::string& dump) {
  const size_t start = dump.find("[layers]\n");
  const size_t end = dump.find("[dynamic-layers]\n");
  if (start == std::string::npos || end == std::string::npos || end < start) return "";
  return dump.substr(start, end - start);
}

TEST(ScreenEndToEnd, AnOpeningPngIsShownAtItsSizeOverTheWhiteWindow) {
  TTempDir dir;
  dir.Write("Title.PNG", PatternPng(6, 4));
  const TRun run = RunWithHeader(dir, {"ImageWidth=16", "ImageHeight=12", "Opening=title.png"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_TRUE(run.Result.ErrorLines.empty()) << run.Result.ErrorLines.front();
  ExpectShot(run.Shot, 16, 12, [](int x, int y) { return x < 6 && y < 4 ? Pattern(x, y) : kWhite; });
}

TEST(ScreenEndToEnd, AnOpeningPngWithAlphaIsBlendedOntoTheWindow) {
  TTempDir dir;
  const std::function<uint8_t(int, int)> alpha = [](int x, int y) { return static_cast<uint8_t>((x + 4 * y) * 17); };
  dir.Write("op.png", PatternPng(4, 4, &alpha));
  const TRun run = RunWithHeader(dir, {"ImageWidth=8", "ImageHeight=8", "Opening=op.png"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  ExpectShot(run.Shot, 8, 8, [&alpha](int x, int y) {
    if (x >= 4 || y >= 4 || alpha(x, y) == 0) return kWhite;
    // ((255 - a) * white + a * s) / 256 per channel: 255 comes out as 254.
    const uint32_t a = alpha(x, y);
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      out |= (((255 - a) * 255 + a * ((Pattern(x, y) >> shift) & 0xFF)) / 256) << shift;
    }
    return out;
  });
}

TEST(ScreenEndToEnd, AnOpeningBmpIsShownAndAMissingOneAsksAndShowsNothing) {
  TTempDir dir;
  dir.Write("op.bmp", PatternBmp(5, 3));
  TRun run = RunWithHeader(dir, {"ImageWidth=12", "ImageHeight=10", "Opening=op.bmp"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  ExpectShot(run.Shot, 12, 10, [](int x, int y) { return x < 5 && y < 3 ? Pattern(x, y) : kWhite; });

  run = RunWithHeader(dir, {"ImageWidth=12", "ImageHeight=10", "Opening=gone.bmp"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_TRUE(run.Result.HasLine(
      "message (error, ignore): 画像ファイル「gone.bmp」の読み込みに失敗しました\\nこのファイルが存在しないか、"
      "このファイルを読み込むためのSusieプラグインが必要です。"));
  ExpectShot(run.Shot, 12, 10, [](int, int) { return kWhite; });

  // "Default" shows no opening picture and asks nothing.
  run = RunWithHeader(dir, {"ImageWidth=12", "ImageHeight=10", "Opening=Default"});
  EXPECT_TRUE(run.Result.ErrorLines.empty());
  ExpectShot(run.Shot, 12, 10, [](int, int) { return kWhite; });
}

TEST(ScreenEndToEnd, TheStateDumpListsTheLayerStackFromTheBaseUp) {
  TTempDir dir;
  dir.Write("op.png", PatternPng(2, 2));
  const TRun run = RunWithHeader(dir, {"ImageWidth=20", "ImageHeight=10", "Opening=op.png"},
                                 {"<Head=\"LayerList\">", "LayerCount=3", "Layer.1.LayerName=A",
                                  "Layer.2.LayerName=絵B", "Layer.2.FileName=b.png", "<Head End>"});
  EXPECT_EQ(run.Result.ExitStatus, 0);
  EXPECT_EQ(LayersSection(run.Dump),
            "[layers]\n"
            "0=|1||0|0|20|10|0|0\n"
            "1=背景レイヤー|1|op.png|0|0|0|0|0|0\n"
            "2=A|0||0|0|0|0|0|0\n"
            "3=絵B|0||0|0|0|0|0|0\n"
            "4=テキストレイヤー|0||0|0|0|0|0|0\n")
      << run.Dump;

  // Without a section or an opening picture: base, background (hidden), text.
  const TRun plain = RunWithHeader(dir, {"ImageWidth=20", "ImageHeight=10"});
  EXPECT_EQ(LayersSection(plain.Dump),
            "[layers]\n"
            "0=|1||0|0|20|10|0|0\n"
            "1=背景レイヤー|0||0|0|0|0|0|0\n"
            "2=テキストレイヤー|0||0|0|0|0|0|0\n")
      << plain.Dump;
}

// The font the settings name ("System.Font") stands in for a window font
// that is not installed from the first frame on: the message is drawn in
// it, as if the header had named it.
TEST(ScreenEndToEnd, TheSettingsFontIsUsedFromTheFirstFrame) {
  const auto shot = [](const std::string& fontName, const std::string& settingsFont) {
    TTempDir dir;
    std::filesystem::create_directory(dir.Path() + "/game");
    if (!settingsFont.empty()) {
      dir.Write("game/p_save00.svi", sjis::FromUtf8("System.Font=" + settingsFont) + "\r\n");
    }
    const std::string script = dir.Write(
        "game.pf5", MakeScript(ScriptWithPage({"System.Command=MessageDirect", "@System",
                                               "MessageDraw.Text=漢字のテスト文", "@MessageDraw"},
                                              {"FontName=" + fontName})));
    const TPlayerResult r = RunPlayer({"--headless", "--screenshot", dir.Path() + "/shot.png", script});
    EXPECT_EQ(r.ExitStatus, 0);
    return ReadPng(dir.Path() + "/shot.png");
  };
  const TRgbImage fromSettings = shot("NoSuchFacePelto5", "ＭＳ 明朝");
  const TRgbImage named = shot("ＭＳ 明朝", "");
  const TRgbImage fallback = shot("NoSuchFacePelto5", "");
  ASSERT_GT(fromSettings.Width, 0);
  EXPECT_EQ(CountDifferentPixels(fromSettings, named), 0);
  // The two faces draw differently, so the comparison above means something.
  EXPECT_GT(CountDifferentPixels(fallback, named), 0);
}

}  // namespace
}  // namespace pelto5::test
