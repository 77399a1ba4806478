// JPEG, GIF and MAG pictures shown by the player from the disk, from a
// package and from a save, checked pixel by pixel on the screenshot (JPEG
// against libjpeg-turbo's own decode of the same bytes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "graphics/LasGraphic.h"
#include "graphics/PngTestSupport.h"
#include "image/ImageTestSupport.h"
#include "image/MagTestSupport.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

int Pack(const std::vector<std::string>& args) { return RunPack(args).ExitStatus; }

// A picture file and the colours (0x00BBGGRR colour values) it should show.
struct TSample {
  std::string Name;
  std::string Bytes;
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Expected;  // colour values, rows top first
  int Tolerance = 0;
};

uint32_t ColorOf(uint32_t rgb) { return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16; }

TSample JpegSample(int seed, bool progressive) {
  TSample s;
  s.Name = "pic.jpg";
  s.Width = 19;
  s.Height = 11;
  std::vector<uint32_t> pattern;
  for (int y = 0; y < s.Height; ++y) {
    for (int x = 0; x < s.Width; ++x) pattern.push_back(ImagePattern(x + seed, y));
  }
  TJpegOptions options;
  options.Progressive = progressive;
  s.Bytes = EncodeJpeg(s.Width, s.Height, pattern, options);
  int w = 0, h = 0;
  for (uint32_t rgb : ReferenceJpegDecode(s.Bytes, w, h)) s.Expected.push_back(ColorOf(rgb));
  s.Tolerance = 1;
  return s;
}

TSample GifSample(int seed) {
  TSample s;
  s.Name = "pic.gif";
  s.Width = 9;
  s.Height = 10;
  const std::vector<uint32_t> palette = {0x102030, 0xFF8000, 0x00FF7F, 0x4040FF, 0xEEEEEE};
  std::vector<uint8_t> indices;
  for (int y = 0; y < s.Height; ++y) {
    for (int x = 0; x < s.Width; ++x) {
      indices.push_back(static_cast<uint8_t>((x * 3 + y + seed) % 5));
      s.Expected.push_back(ColorOf(palette[indices.back()]));
    }
  }
  TGifOptions options;
  options.Interlaced = true;
  options.TransparentIndex = 1;
  s.Bytes = EncodeGif(s.Width, s.Height, indices, palette, options);
  return s;
}

// An 8 x 2 MAG of 16 colours; the second line copies the first shifted by
// the seed's flag choice.
TSample MagSample(int seed) {
  TSample s;
  s.Name = "pic.mag";
  s.Width = 8;
  s.Height = 1;
  TMagBuild m;
  m.FlagA = std::string(1, '\0');
  const uint8_t a = static_cast<uint8_t>(0x10 * (seed % 8) + 1), b = 0x23, c = 0x45, d = 0x67;
  m.Pixels = std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
  for (uint8_t byte : {a, b, c, d}) {
    s.Expected.push_back(ColorOf(MagTestColor(byte >> 4)));
    s.Expected.push_back(ColorOf(MagTestColor(byte & 0x0F)));
  }
  s.Bytes = m.Bytes();
  return s;
}

std::vector<TSample> Samples(int seed) { return {JpegSample(seed, seed % 2 == 1), GifSample(seed), MagSample(seed)}; }

// The shot holds the sample at (0, 0) over a white window.
void ExpectShows(const std::string& shotPath, const TSample& s) {
  TLasGraphic shot;
  ASSERT_TRUE(LoadPngFileInto(shot, shotPath)) << s.Name;
  ASSERT_GE(shot.Width(), s.Width + 2);
  ASSERT_GE(shot.Height(), s.Height + 2);
  for (int y = 0; y < s.Height + 2; ++y) {
    for (int x = 0; x < s.Width + 2; ++x) {
      const uint32_t got = shot.GetPixel(x, y);
      const uint32_t want = x < s.Width && y < s.Height ? s.Expected[static_cast<size_t>(y) * s.Width + x] : kWhite;
      for (int shift = 0; shift < 24; shift += 8) {
        const int diff = std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF));
        ASSERT_LE(diff, s.Tolerance) << s.Name << " at " << x << "," << y << ": " << std::hex << got << " vs " << want;
      }
    }
  }
}

const std::vector<std::string> kHeader = {"ImageWidth=32", "ImageHeight=24"};

TEST(ImageFormatsEndToEnd, PicturesOnDiskAreShown) {
  for (const TSample& s : Samples(0)) {
    TTempDir dir;
    dir.Write(s.Name, s.Bytes);
    std::vector<std::string> header = kHeader;
    header.push_back("Opening=" + s.Name);
    const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage({"@rem"}, header)));
    const TPlayerResult r = RunPlayer({"--headless", "--screenshot", dir.Path() + "/shot.png", script});
    EXPECT_EQ(r.ExitStatus, 0);
    EXPECT_TRUE(r.LinesStartingWith("message").empty()) << s.Name << ": " << r.LinesStartingWith("message").front();
    ExpectShows(dir.Path() + "/shot.png", s);
  }
}

TEST(ImageFormatsEndToEnd, PicturesInAPackageAreShown) {
  for (const TSample& s : Samples(1)) {
    TTempDir dir;
    dir.Write("src/" + s.Name, s.Bytes);
    std::vector<std::string> header = kHeader;
    header.push_back("Opening=" + s.Name);
    dir.Write("src/pelto.pf5", MakeScript(ScriptWithPage({"@rem"}, header)));
    const std::string package = dir.Path() + "/story.pp5";
    ASSERT_EQ(Pack({"create", "--compress", package, dir.Path() + "/src"}), 0);
    const TPlayerResult r = RunPlayer({"--headless", "--screenshot", dir.Path() + "/shot.png", package});
    EXPECT_EQ(r.ExitStatus, 0);
    EXPECT_TRUE(r.LinesStartingWith("message").empty()) << s.Name << ": " << r.LinesStartingWith("message").front();
    ExpectShows(dir.Path() + "/shot.png", s);
  }
}

// A save file open for reading (a value file) is the first place pictures
// are looked for: with another picture of the same name on the disk, the
// layer shows the one in the save.
TEST(ImageFormatsEndToEnd, PicturesInAnOpenSaveAreShown) {
  for (size_t i = 0; i < 3; ++i) {
    const TSample onDisk = Samples(2)[i];
    const TSample inSave = Samples(3)[i];
    TTempDir dir;
    dir.Write(onDisk.Name, onDisk.Bytes);
    dir.Write("save/savefile.info", "Save.Version=1\r\n");
    dir.Write("save/" + inSave.Name, inSave.Bytes);
    std::filesystem::create_directory(dir.Path() + "/game");  // the data directory
    ASSERT_EQ(Pack({"create", "--magic", "PV5SAVE", dir.Path() + "/game/v.sav", dir.Path() + "/save"}), 0);
    std::vector<std::string> page = {
        "SaveCtrl.Command=Open", "SaveCtrl.FileName=v.sav", "@SaveCtrl",
        "Layer.Name=背景レイヤー", "Layer.Visible.Change=1", "Layer.Visible.Show=1", "Layer.Image.Change=1",
        "Layer.Image.FileName=" + inSave.Name, "@LayerCtrl",
        "SaveCtrl.Command=Close", "@SaveCtrl"};
    const std::string script = dir.Write("game.pf5", MakeScript(ScriptWithPage(page, kHeader)));
    const TPlayerResult r = RunPlayer({"--headless", "--screenshot", dir.Path() + "/shot.png", script});
    EXPECT_EQ(r.ExitStatus, 0);
    EXPECT_TRUE(r.LinesStartingWith("message").empty()) << inSave.Name << ": " << r.LinesStartingWith("message").front();
    ExpectShows(dir.Path() + "/shot.png", inSave);
  }
}

}  // namespace
}  // namespace pelto5::test
