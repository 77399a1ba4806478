// Content that asks for unbounded memory: pictures of a few hundred bytes
// whose headers claim huge sizes, a script line of 100 MB, a page of a
// million commands. The player refuses them with a message and its peak
// resident size, measured against a run of the same scenario without them,
// stays small; a picture that really is large shows that the measure sees
// one.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "graphics/PngTestSupport.h"
#include "image/ImageTestSupport.h"
#include "image/MagTestSupport.h"
#include "support/PlayerRun.h"
#include "support/Sanitizers.h"

namespace pelto5::test {
namespace {

constexpr long kPictureBoundKb = 32 * 1024;

std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

// A 4-bit RLE bitmap of 58 bytes claiming 4000 x 4000: its runs end at once.
std::string ShortRleBitmap() {
  std::string s = "BM" + Le32(58) + Le32(0) + Le32(54) + Le32(40) + Le32(4000) + Le32(4000);
  s += std::string("\1\0\4\0", 4) + Le32(2) + Le32(4) + std::string(16, '\0');
  return s + std::string("\0\1\0\0", 4);
}

// A small JPEG whose frame header claims 8192 x 8192.
std::string ShortJpeg() {
  std::string jpeg = EncodeJpeg(16, 16, std::vector<uint32_t>(256, 0x808080));
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (static_cast<uint8_t>(jpeg[i]) == 0xFF && static_cast<uint8_t>(jpeg[i + 1]) == 0xC0) {
      jpeg[i + 5] = jpeg[i + 7] = '\x20';
      jpeg[i + 6] = jpeg[i + 8] = '\0';
      break;
    }
  }
  return jpeg;
}

// A 4 x 4 GIF on a screen of 8192 x 8192.
std::string ShortGif() {
  TGifOptions options;
  options.ScreenWidth = options.ScreenHeight = 8192;
  return EncodeGif(4, 4, std::vector<uint8_t>(16, 1), {0, 0xFFFFFF}, options);
}

// A PNG claiming 8192 x 8192 with a few bytes of pixel data.
std::string ShortPng() {
  TPngImage small;
  small.Width = small.Height = 8;
  std::string png = EncodePng(small);
  // IHDR's width and height, and its CRC made to match.
  const size_t ihdr = 8;
  for (const size_t at : {ihdr + 8, ihdr + 12}) png.replace(at, 4, std::string("\0\0\x20\0", 4));
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + ihdr + 4), 17);
  for (int i = 0; i < 4; ++i) png[ihdr + 21 + i] = static_cast<char>(crc >> (8 * (3 - i)));
  return png;
}

std::string ShortMag() {
  TMagBuild m;
  m.XEnd = m.YEnd = 8191;
  m.FlagA = std::string(16, '\0');
  m.Pixels = std::string(64, '\x11');
  return m.Bytes();
}

// Binary PPM for the sample plug-in, claiming 16384 x 16384.
std::string ShortPpm() { return "P6 16384 16384 255\n" + std::string(64, '\x40'); }

// A scenario whose start page loads each picture into the background
// layer, in a folder holding them and the sample plug-in.
std::string SceneLoading(const TTempDir& dir, const std::vector<std::pair<std::string, std::string>>& pictures) {
  std::vector<std::string> page;
  for (const auto& [name, bytes] : pictures) {
    dir.Write(name, bytes);
    for (const char* line : {"Layer.Name=背景レイヤー", "Layer.Image.Change=1"}) page.push_back(line);
    page.push_back("Layer.Image.FileName=" + name);
    page.push_back("@LayerCtrl");
  }
  std::filesystem::copy_file(PELTO5_SAMPLE_PLUGIN, dir.Path() + "/ppm.spi");
  return dir.Write("game.pf5", MakeScript(ScriptWithPage(page, {"ImageWidth=32", "ImageHeight=24"})));
}

std::string SmallBitmap() {
  return "BM" + Le32(58) + Le32(0) + Le32(54) + Le32(40) + Le32(1) + Le32(1) + std::string("\1\0\x18\0", 4) +
         std::string(24, '\0') + std::string(4, '\x7F');
}

long PeakOf(const std::string& script) {
  const TPlayerResult r = RunPlayerMeasured({"--headless", script});
  EXPECT_EQ(r.ExitStatus, 0) << script;
  return r.PeakResidentKb;
}

// The peaks are compared in the plain build only (see Sanitizers.h); the
// boxes and the run going on are checked in every build.
TEST(BoundedContent, ShortPicturesClaimingHugeSizesFailToLoadAndCostLittle) {
  TTempDir base;
  const long baseline = PeakOf(SceneLoading(base, {{"small.bmp", SmallBitmap()}}));
  ASSERT_GT(baseline, 0);

  const std::vector<std::pair<std::string, std::string>> claims = {
      {"rle.bmp", ShortRleBitmap()}, {"claim.png", ShortPng()}, {"claim.jpg", ShortJpeg()},
      {"claim.gif", ShortGif()},     {"claim.mag", ShortMag()}, {"claim.ppm", ShortPpm()}};
  TTempDir dir;
  const std::string script = SceneLoading(dir, claims);
  const TPlayerResult r = RunPlayerMeasured({"--headless", script});
  EXPECT_EQ(r.ExitStatus, 0);
  for (const auto& [name, bytes] : claims) {
    EXPECT_LT(bytes.size(), 1024u) << name;
    EXPECT_EQ(r.LinesStartingWith("message (error, ignore): 画像ファイル「" + name + "」の読み込みに失敗しました").size(),
              1u)
        << name;
  }
  if (!kAddressSanitizer) {
    EXPECT_LT(r.PeakResidentKb - baseline, kPictureBoundKb) << "baseline " << baseline << " kB";
  }

  // A 2048 x 2048 PNG of a few kB really is 16 MB of pixels.
  TPngImage large;
  large.Width = large.Height = 2048;
  TTempDir control;
  const long peak = PeakOf(SceneLoading(control, {{"large.png", EncodePng(large)}}));
  if (!kAddressSanitizer) {
    EXPECT_GT(peak - baseline, 12 * 1024) << "baseline " << baseline << " kB";
  }
}

// A scenario whose start page holds the given lines, as bytes.
std::string ScenarioWithPage(const std::string& pageBytes) {
  std::string script = MakeScript(ScriptWithPage({}));
  const std::string end = "<Page End>\r\n";
  script.insert(script.find(end), pageBytes);
  return script;
}

TEST(BoundedContent, AHugeLineOrAMillionCommandsAreRefusedInMemoryNearTheFilesSize) {
  TTempDir base;
  const long baseline = PeakOf(base.Write("base.pf5", ScenarioWithPage("@rem\r\n")));
  ASSERT_GT(baseline, 0);

  // A message of 100 MB: the parse stops at its line.
  std::string longLine = "MessageDraw.Text=" + std::string(size_t{100} << 20, 'a') + "\r\n@MessageDraw\r\n";
  TTempDir dir;
  const std::string script = dir.Write("long.pf5", ScenarioWithPage(longLine));
  const long fileKb = static_cast<long>(std::filesystem::file_size(script) / 1024);
  longLine.clear();
  longLine.shrink_to_fit();
  TPlayerResult r = RunPlayerMeasured({"--headless", script});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("message (error, ok): ファイルが破損しています\\n[Line too long: line 9]").size(), 1u);
  if (!kAddressSanitizer) {
    EXPECT_LT(r.PeakResidentKb - baseline, 2 * fileKb) << "baseline " << baseline << " kB";
  }
  std::filesystem::remove(script);

  // A page of a million commands.
  std::string commands;
  for (int i = 0; i < 1000000; ++i) commands += "@rem\r\n";
  const std::string million = dir.Write("million.pf5", ScenarioWithPage(commands));
  r = RunPlayerMeasured({"--headless", million});
  EXPECT_EQ(r.ExitStatus, 0);
  EXPECT_EQ(r.LinesStartingWith("message (error, ok): １ページあたりのコマンド数が多すぎます").size(), 1u);
  const long millionKb = static_cast<long>(commands.size() / 1024);
  if (!kAddressSanitizer) {
    EXPECT_LT(r.PeakResidentKb - baseline, 3 * millionKb) << "baseline " << baseline << " kB";
  }
}

}  // namespace
}  // namespace pelto5::test
