// The decoder table: its order (the built-in decoders, then the native
// plug-ins), which decoders a file name may use, the alpha rule of each,
// when the plug-in route is prepared, and warnings passed on as they come.
// Pictures of every format are made by the tests' own encoders.
#include "image/ImageDecoderTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "graphics/PngTestSupport.h"
#include "image/BmpEncoder.h"
#include "image/ImageTestSupport.h"
#include "image/MagTestSupport.h"
#include "image/SusiePlugIn.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

// One small picture of each format the player decodes itself.
struct TSamples {
  std::string Png, Bmp, Mag, Jpeg, Gif;

  TSamples() {
    test::TPngImage png;
    png.Width = 2;
    png.ColorType = PNG_COLOR_TYPE_RGB_ALPHA;
    png.Data = {1, 2, 3, 0x80, 4, 5, 6, 0xFF};
    Png = test::EncodePng(png);
    TPicture bmp;
    bmp.Width = 1;
    bmp.Height = 1;
    bmp.Pixels = {0x00123456};
    Bmp = EncodeBmp32(ViewOf(bmp));
    test::TMagBuild mag;
    mag.FlagA = std::string(1, '\0');
    mag.Pixels = "\x12\x34\x56\x78";
    Mag = mag.Bytes();
    Jpeg = test::EncodeJpeg(8, 8, std::vector<uint32_t>(64, 0x00808080));
    Gif = test::EncodeGif(2, 1, {0, 1}, {0x00FF0000, 0x0000FF00});
  }
};

const TSamples& Samples() {
  static const TSamples samples;
  return samples;
}

// A table over a plug-in list, recording what a decode asks of its caller.
class ImageDecoderTableTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }

  std::string Mask() const { return FDir.Path() + "/*.spi"; }
  void Place(const std::string& source, const std::string& name) {
    std::filesystem::copy_file(source, FDir.Path() + "/" + name);
  }

  // Decodes; Events gets "prepare" and "warn: text" in the order they came.
  bool Decode(const std::string& name, const std::string& data, TDecodedImage& image) {
    return FTable.Decode(
        name, data, image,
        [this] {
          Events.push_back("prepare");
          if (LoadOnPrepare) FPlugIns.OpenPlugIn(Mask());
        },
        [this](const std::string& text) { Events.push_back("warn: " + text); });
  }
  bool Decodes(const std::string& name, const std::string& data) {
    TDecodedImage image;
    return Decode(name, data, image);
  }

  THeadlessPlatform FPlatform{[] {
    THeadlessOptions o;
    o.EchoToStderr = false;
    return o;
  }()};
  test::TTempDir FDir;
  TSusiePlugIn FPlugIns;
  TImageDecoderTable FTable{FPlugIns};
  std::vector<std::string> Events;
  bool LoadOnPrepare = false;
};

TEST_F(ImageDecoderTableTest, BuiltInDecodersComeFirst) {
  Place(PELTO5_SAMPLE_PLUGIN, "ppm.spi");
  ASSERT_EQ(FPlugIns.OpenPlugIn(Mask()), 1);
  std::vector<TImageDecoderEntry> entries = FTable.Entries();
  ASSERT_EQ(entries.size(), 6u);
  const std::vector<std::string> builtIns = {"PNG", "BMP", "MAG", "JPEG", "GIF"};
  for (size_t i = 0; i < builtIns.size(); ++i) {
    EXPECT_EQ(entries[i].Decoder->FormatName(), builtIns[i]);
    EXPECT_EQ(entries[i].PlugIn, nullptr) << i;  // built-ins have no record and no path
  }
  ASSERT_NE(entries[5].PlugIn, nullptr);
  EXPECT_EQ(entries[5].PlugIn->FileName, FDir.Path() + "/ppm.spi");
  EXPECT_EQ(entries[5].Decoder->FormatName(), "Portable pixmap / graymap");
  EXPECT_EQ(FPlugIns.CheckPlug(""), -1);
  // Opening the plug-ins again adds nothing, built-ins included.
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 0);
  EXPECT_EQ(FTable.Entries().size(), 6u);
}

TEST_F(ImageDecoderTableTest, PngAndBmpNamesUseTheirOwnDecoderAlone) {
  TDecodedImage image;
  ASSERT_TRUE(Decode("a.PNG", Samples().Png, image));
  EXPECT_EQ(image.Alpha, TAlphaRule::FromPicture);
  EXPECT_EQ(image.Picture.Alpha, TPictureAlpha::Blend);
  ASSERT_TRUE(Decode("b.Bmp", Samples().Bmp, image));
  EXPECT_EQ(image.Alpha, TAlphaRule::Opaque);
  EXPECT_EQ(image.Picture.Pixels, std::vector<uint32_t>{0x00123456u});
  for (const std::string* other : {&Samples().Bmp, &Samples().Mag, &Samples().Jpeg, &Samples().Gif}) {
    EXPECT_FALSE(Decodes("a.png", *other));
  }
  for (const std::string* other : {&Samples().Png, &Samples().Mag, &Samples().Jpeg, &Samples().Gif}) {
    EXPECT_FALSE(Decodes("a.bmp", *other));
  }
  EXPECT_TRUE(Events.empty()) << "the plug-in route is never prepared for .png and .bmp";
}

TEST_F(ImageDecoderTableTest, MagNamesTryMagThenThePlugInRoute) {
  TDecodedImage image;
  ASSERT_TRUE(Decode("bg.mag", Samples().Mag, image));
  EXPECT_EQ(image.Picture.Width, 8);
  EXPECT_EQ(image.Alpha, TAlphaRule::Opaque);
  EXPECT_TRUE(Events.empty()) << "a MAG that decodes loads no plug-ins";

  ASSERT_TRUE(Decode("photo.MAG", Samples().Jpeg, image));
  EXPECT_EQ(image.Picture.Width, 8);
  EXPECT_EQ(Events, std::vector<std::string>{"prepare"});
  ASSERT_TRUE(Decodes("anim.mag", Samples().Gif));
  // PNG and BMP are not on the plug-in route.
  EXPECT_FALSE(Decodes("a.mag", Samples().Png));
  EXPECT_FALSE(Decodes("a.mag", Samples().Bmp));
}

TEST_F(ImageDecoderTableTest, OtherNamesGoThePlugInRouteAlone) {
  EXPECT_TRUE(Decodes("a.gif", Samples().Jpeg));  // the data decides, not the extension
  EXPECT_TRUE(Decodes("noext", Samples().Gif));
  for (const std::string* notPlugIn : {&Samples().Png, &Samples().Bmp, &Samples().Mag}) {
    EXPECT_FALSE(Decodes("a.jpg", *notPlugIn));
  }
  // Empty data still prepares the route, then nothing is asked.
  Events.clear();
  EXPECT_FALSE(Decodes("a.jpg", ""));
  EXPECT_EQ(Events, std::vector<std::string>{"prepare"});
}

TEST_F(ImageDecoderTableTest, PlugInsLoadedWhileTheRouteIsPreparedDecodeInTheSameCall) {
  Place(std::string(PELTO5_TEST_PLUGINS) + "/red.spi", "red.spi");
  LoadOnPrepare = true;
  const std::string ppm = "P6 1 1 255\n\x01\x02\x03";
  EXPECT_FALSE(Decodes("a.png", ppm));
  EXPECT_EQ(FPlugIns.GetPlugNum(), 0);
  TDecodedImage image;
  ASSERT_TRUE(Decode("a.ppm", ppm, image));
  EXPECT_EQ(FPlugIns.GetPlugNum(), 1);
  ASSERT_EQ(image.Picture.Width, 2);
  EXPECT_EQ(image.Picture.Pixels[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.Alpha, TAlphaRule::Opaque);
  // A ".mag" name reaches the plug-ins once MAG refuses the data.
  ASSERT_TRUE(Decodes("a.mag", ppm));
}

TEST_F(ImageDecoderTableTest, AWarningComesBeforeTheNextDecoderIsAskedAndFailuresLeaveTheImage) {
  const std::string cut = Samples().Mag.substr(0, Samples().Mag.size() - 1);
  TDecodedImage image;
  image.Picture.Width = 77;
  image.Alpha = TAlphaRule::FromPicture;
  EXPECT_FALSE(Decode("cut.mag", cut, image));
  EXPECT_EQ(Events, (std::vector<std::string>{"warn: Failed by MMAG_MagtoBmp", "prepare"}));
  EXPECT_EQ(image.Picture.Width, 77);
  EXPECT_EQ(image.Alpha, TAlphaRule::FromPicture);
  // Under another name the MAG decoder is not asked, so nothing is said.
  Events.clear();
  EXPECT_FALSE(Decode("cut.jpg", cut, image));
  EXPECT_EQ(Events, std::vector<std::string>{"prepare"});
  EXPECT_TRUE(FPlatform.OutputLines().empty()) << "decoders show no message boxes";
}

}  // namespace
}  // namespace pelto5
