// Image loading by name: the order of the sources (an open save container,
// then the package or else the disk, then the runtime library), PNG and BMP
// by extension, MAG from any source, and failures that leave the surface
// alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "image/BmpEncoder.h"
#include "image/MagTestSupport.h"
#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "exec/PeltoAccessControl.h"
#include "graphics/LasGraphic.h"
#include "graphics/PngTestSupport.h"
#include "image/ImageLoader.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

// A 2 x 1 PNG of one colour (colour value 0x00BBGGRR).
std::string PngOf(uint32_t color) {
  test::TPngImage png;
  png.Width = 2;
  png.Height = 1;
  const uint8_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  png.Data = {r, g, b, r, g, b};
  return test::EncodePng(png);
}

// An 8 x 1 MAG of 16 colours: palette entries 1, 2, 3 ... 8 from left to right.
std::string MagOf() {
  test::TMagBuild m;
  m.FlagA = std::string(1, '\0');
  m.Pixels = "\x12\x34\x56\x78";
  return m.Bytes();
}

// A 1 x 3 BMP of one colour.
std::string BmpOf(uint32_t color) {
  TLasGraphic g;
  g.SetSize(1, 3);
  g.FillRect(0, 0, 1, 3, color);
  return EncodeBmp32(g.View());
}

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

class LoadImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&FPlatform);
    FAccess.SetContentDirectory(FDir.Path() + "/");
    FAccess.SetDataDirectory(FDir.Path() + "/data/");
  }
  void TearDown() override { InstallPlatform(nullptr); }

  // Writes a container with the given entries and opens it into reader.
  void OpenContainer(const std::string& magic, const std::vector<std::pair<std::string, std::string>>& entries,
                     PackageReader& reader) {
    const std::string path = FDir.Path() + "/" + magic + ".bin";
    PackageWriter writer;
    ASSERT_TRUE(SetWriterMagic(writer, magic));
    ASSERT_TRUE(CreatePackage(writer, path));
    for (const auto& [name, bytes] : entries) ASSERT_TRUE(AddEntryFromStream(writer, bytes, name));
    ASSERT_TRUE(FinishPackage(writer));
    ASSERT_TRUE(OpenPackage(path, reader)) << reader.FailureReason;
  }

  // The colour value of the top-left pixel after loading, or 1 on failure.
  uint32_t Load(const std::string& name) {
    TLasGraphic g;
    g.SetSize(5, 5);
    if (!FAccess.LoadImage(name, g)) {
      EXPECT_EQ(g.Width(), 5) << name;  // left as it was
      return 1;
    }
    return g.GetPixel(0, 0);
  }

  THeadlessPlatform FPlatform{Quiet()};
  test::TTempDir FDir;
  TPeltoAccessControl FAccess;
};

constexpr uint32_t kSave = 0x00000011, kPackage = 0x00002200, kDisk = 0x00330000, kLibrary = 0x00444444;

TEST_F(LoadImageTest, PngSourcesAreTriedSaveThenPackageThenLibrary) {
  FDir.Write("a.png", PngOf(kDisk));
  OpenContainer("PV5LIB", {{"a.png", PngOf(kLibrary)}, {"b.png", PngOf(kLibrary)}, {"c.png", PngOf(kLibrary)}},
                FAccess.Sources().Reader(TContainer::Library));
  OpenContainer("PV5PKG", {{"a.png", PngOf(kPackage)}, {"b.png", PngOf(kPackage)}}, FAccess.Sources().Reader(TContainer::Package));
  OpenContainer("PV5SAVE", {{"A.PNG", PngOf(kSave)}}, FAccess.Sources().Reader(TContainer::Save));
  EXPECT_EQ(Load("a.png"), kSave);  // entry names fold ASCII letters
  EXPECT_EQ(Load("b.png"), kPackage);
  // With a package open the disk is not looked at.
  EXPECT_EQ(Load("c.png"), kLibrary);
  EXPECT_EQ(Load("d.png"), 1u);

  FAccess.CloseSaveContainer();
  EXPECT_EQ(Load("a.png"), kPackage);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(LoadImageTest, WithoutAPackageTheDiskComesBeforeTheLibrary) {
  FDir.Write("a.png", PngOf(kDisk));
  FDir.Write("data/b.PNG", PngOf(kDisk | 0x01));
  OpenContainer("PV5LIB", {{"a.png", PngOf(kLibrary)}, {"c.png", PngOf(kLibrary)}}, FAccess.Sources().Reader(TContainer::Library));
  EXPECT_EQ(Load("a.png"), kDisk);
  EXPECT_EQ(Load("B.png"), kDisk | 0x01u);  // data directory, any letter case
  EXPECT_EQ(Load("c.png"), kLibrary);       // "No Entry" on disk
  ClosePackage(FAccess.Sources().Reader(TContainer::Library));
  EXPECT_EQ(Load("c.png"), 1u);
}

TEST_F(LoadImageTest, BmpFollowsTheSameOrder) {
  FDir.Write("a.bmp", BmpOf(kDisk));
  FDir.Write("b.bmp", BmpOf(kDisk));
  OpenContainer("PV5LIB", {{"a.bmp", BmpOf(kLibrary)}, {"c.bmp", BmpOf(kLibrary)}}, FAccess.Sources().Reader(TContainer::Library));
  OpenContainer("PV5SAVE", {{"b.bmp", BmpOf(kSave)}}, FAccess.Sources().Reader(TContainer::Save));
  EXPECT_EQ(Load("A.BMP"), kDisk);
  EXPECT_EQ(Load("b.bmp"), kSave);
  EXPECT_EQ(Load("c.bmp"), kLibrary);
  EXPECT_EQ(Load("d.bmp"), 1u);

  OpenContainer("PV5PKG", {{"a.bmp", BmpOf(kPackage)}}, FAccess.Sources().Reader(TContainer::Package));
  EXPECT_EQ(Load("a.bmp"), kPackage);
  EXPECT_EQ(Load("b.bmp"), kSave);
  // b.bmp is on disk but the package is open: the save gone, none is found.
  FAccess.CloseSaveContainer();
  EXPECT_EQ(Load("b.bmp"), 1u);
}

TEST_F(LoadImageTest, DataThatDoesNotDecodeFallsThroughToTheNextSource) {
  OpenContainer("PV5SAVE", {{"a.png", "not a png"}, {"b.bmp", PngOf(kSave)}}, FAccess.Sources().Reader(TContainer::Save));
  OpenContainer("PV5PKG", {{"a.png", PngOf(kPackage)}, {"b.bmp", "BM broken"}}, FAccess.Sources().Reader(TContainer::Package));
  OpenContainer("PV5LIB", {{"b.bmp", BmpOf(kLibrary)}}, FAccess.Sources().Reader(TContainer::Library));
  EXPECT_EQ(Load("a.png"), kPackage);
  EXPECT_EQ(Load("b.bmp"), kLibrary);
}

TEST_F(LoadImageTest, OtherKindsAndNamesThatLeaveTheFolderFail) {
  FDir.Write("a.jpg", PngOf(kDisk));
  FDir.Write("noext", PngOf(kDisk));
  FDir.Write("a.png", PngOf(kDisk));
  EXPECT_EQ(Load("a.jpg"), 1u);
  EXPECT_EQ(Load("noext"), 1u);
  EXPECT_EQ(Load("a.png"), kDisk);
  // From the data directory "..\\a.png" is a.png beside the content: inside
  // the content's folder, so found; one more level leaves it.
  EXPECT_EQ(Load("..\\a.png"), kDisk);
  EXPECT_EQ(Load("..\\..\\a.png"), 1u);
  EXPECT_EQ(Load(""), 1u);
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(LoadImageTest, MagIsDecodedWhereverItIs) {
  FDir.Write("bg.mag", MagOf());
  FDir.Write("data/cut.mag", MagOf().substr(0, MagOf().size() - 1));
  FDir.Write("png.mag", PngOf(kDisk));
  TLasGraphic g;
  ASSERT_TRUE(FAccess.LoadImage("BG.MAG", g));
  ASSERT_EQ(g.Width(), 8);
  ASSERT_EQ(g.Height(), 1);
  for (int x = 0; x < 8; ++x) {
    const uint32_t rgb = test::MagTestColor(x + 1);  // 0x00RRGGBB
    const uint32_t expected = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    EXPECT_EQ(g.GetPixel(x, 0), expected) << x;
  }
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_EQ(Load("png.mag"), 1u);  // not MAG data: no decoder takes it
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_EQ(Load("cut.mag"), 1u);
  ASSERT_EQ(FPlatform.OutputLines().size(), 1u);
  EXPECT_NE(FPlatform.OutputLines()[0].find("Failed by MMAG_MagtoBmp"), std::string::npos);

  // Entries go to the MAG decoder too, from memory.
  OpenContainer("PV5SAVE", {{"bg.mag", MagOf()}}, FAccess.Sources().Reader(TContainer::Save));
  OpenContainer("PV5LIB", {{"lib.mag", MagOf()}}, FAccess.Sources().Reader(TContainer::Library));
  EXPECT_EQ(Load("bg.mag"), g.GetPixel(0, 0));
  EXPECT_EQ(Load("lib.mag"), g.GetPixel(0, 0));
  FAccess.CloseSaveContainer();
  OpenContainer("PV5PKG", {{"pkg.mag", MagOf()}}, FAccess.Sources().Reader(TContainer::Package));
  EXPECT_EQ(Load("pkg.mag"), g.GetPixel(0, 0));
  EXPECT_EQ(Load("bg.mag"), 1u);  // on disk, but the package is open
  EXPECT_EQ(FPlatform.OutputLines().size(), 1u);
}

TEST_F(LoadImageTest, PlugInsLoadOnTheFirstPictureThatNeedsThemAfterTheMagWarning) {
  THeadlessOptions traced = Quiet();
  traced.Trace = true;
  THeadlessPlatform platform(traced);
  InstallPlatform(&platform);
  // The content's folder holds a plug-in, and a Windows DLL that --trace
  // names whenever the plug-ins are loaded.
  std::filesystem::copy_file(std::string(PELTO5_TEST_PLUGINS) + "/red.spi", FDir.Path() + "/red.spi");
  FDir.Write("win.spi", "MZ" + std::string(64, '\0'));
  FDir.Write("bg.mag", MagOf());
  FDir.Write("cut.mag", MagOf().substr(0, MagOf().size() - 1));
  FDir.Write("a.ppm", "P6 1 1 255\n\x01\x02\x03");
  // The index of the first line from start that names the DLL, or -1.
  auto dllLine = [&platform](size_t start = 0) -> int {
    for (size_t i = start; i < platform.OutputLines().size(); ++i) {
      if (platform.OutputLines()[i].find("win.spi") != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  };
  TImageLoader& loader = FAccess.ImageLoader();

  TLasGraphic g;
  ASSERT_TRUE(FAccess.LoadImage("bg.mag", g));
  EXPECT_FALSE(loader.PlugInsLoaded()) << "a MAG that decodes needs no plug-ins";
  EXPECT_EQ(dllLine(), -1);

  // A MAG that fails: the warning box first, then the plug-ins load (and
  // refuse it).
  EXPECT_EQ(Load("cut.mag"), 1u);
  EXPECT_TRUE(loader.PlugInsLoaded());
  ASSERT_FALSE(platform.OutputLines().empty());
  EXPECT_EQ(platform.OutputLines()[0], "message (warning, ok): Failed by MMAG_MagtoBmp");
  EXPECT_GT(dllLine(), 0);

  ASSERT_TRUE(FAccess.LoadImage("a.ppm", g));
  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(g.GetPixel(0, 0), 0x000000FFu);  // the plug-in's red
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);

  // Closing the content releases them; the next picture that needs them
  // loads them again.
  FAccess.CloseContent();
  EXPECT_FALSE(loader.PlugInsLoaded());
  EXPECT_EQ(loader.PlugIns().GetPlugNum(), 0);
  const size_t before = platform.OutputLines().size();
  ASSERT_TRUE(FAccess.LoadImage("a.ppm", g));
  EXPECT_GE(dllLine(before), static_cast<int>(before));
  InstallPlatform(&FPlatform);
}

}  // namespace
}  // namespace pelto5
