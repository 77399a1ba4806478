// PNG pictures on a surface: every colour type ends up as four bytes per
// pixel with the alpha plane the image calls for; failures leave the
// surface untouched.
#include <gtest/gtest.h>

#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "content/PackageTestSupport.h"
#include "graphics/LasGraphic.h"
#include "graphics/PngTestSupport.h"

namespace pelto5 {
namespace {

using test::EncodePng;
using test::LoadPngFileInto;
using test::LoadPngInto;
using test::TPngImage;

TPngImage Rgb2x1() {
  TPngImage image;
  image.Width = 2;
  image.Height = 1;
  image.ColorType = PNG_COLOR_TYPE_RGB;
  image.Data = {0x11, 0x22, 0x33, 0xA0, 0xB0, 0xC0};
  return image;
}

void ExpectUnchanged(const TLasGraphic& g) {
  EXPECT_EQ(g.Width(), 3);
  EXPECT_EQ(g.Height(), 3);
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);
  EXPECT_EQ(g.Row(2)[2], 0x00FFFFFFu);
}

TEST(LasGraphicPng, RgbIsOpaqueWithFillerByte) {
  TLasGraphic g;
  ASSERT_TRUE(LoadPngInto(g, EncodePng(Rgb2x1())));
  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(g.Height(), 1);
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);
  EXPECT_EQ(g.Row(0)[0], 0xFF112233u);  // blue, green, red, 255
  EXPECT_EQ(g.GetPixel(1, 0), 0x00C0B0A0u);
}

TEST(LasGraphicPng, RgbaBlendsAndFillsAlphaPlane) {
  TPngImage image;
  image.Width = 2;
  image.ColorType = PNG_COLOR_TYPE_RGB_ALPHA;
  image.Data = {0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x20, 0x30, 0x40};
  TLasGraphic g;
  ASSERT_TRUE(LoadPngInto(g, EncodePng(image)));
  EXPECT_EQ(g.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(g.AlphaRow(0)[0], 255);
  EXPECT_EQ(g.AlphaRow(0)[1], 0x40);
  EXPECT_EQ(g.Row(0)[1], 0x40102030u);

  // A fully opaque white pixel drawn with Blend onto black comes out 254.
  TLasGraphic black;
  black.SetSize(1, 1);
  black.FillRect(0, 0, 1, 1, 0);
  g.DrawTo(black, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(black.Row(0)[0], 0x00FEFEFEu);
}

TEST(LasGraphicPng, PaletteWithTransparencyIsMask) {
  TPngImage image;
  image.Width = 3;
  image.ColorType = PNG_COLOR_TYPE_PALETTE;
  image.BitDepth = 4;
  image.Palette = {{0x01, 0x02, 0x03}, {0xF1, 0xF2, 0xF3}, {0x80, 0x81, 0x82}};
  image.PaletteAlpha = {0, 255};
  image.Data = {0x01, 0x20};  // indices 0, 1, 2
  TLasGraphic g;
  ASSERT_TRUE(LoadPngInto(g, EncodePng(image)));
  EXPECT_EQ(g.AlphaType(), TAlphaType::Mask);
  EXPECT_EQ(g.AlphaRow(0)[0], 0);
  EXPECT_EQ(g.AlphaRow(0)[1], 255);
  EXPECT_EQ(g.AlphaRow(0)[2], 255);  // entries past tRNS are opaque
  EXPECT_EQ(g.Row(0)[1] & 0xFFFFFF, 0xF1F2F3u);
  EXPECT_EQ(g.Row(0)[2] & 0xFFFFFF, 0x808182u);
}

TEST(LasGraphicPng, GreyDepthsAndInterlacingConvert) {
  TPngImage grey;
  grey.Width = 9;
  grey.ColorType = PNG_COLOR_TYPE_GRAY;
  grey.BitDepth = 1;
  grey.Data = {0x80, 0x80};  // pixel 0 and pixel 8 white
  TLasGraphic g;
  ASSERT_TRUE(LoadPngInto(g, EncodePng(grey)));
  EXPECT_EQ(g.Width(), 9);
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);
  EXPECT_EQ(g.Row(0)[0], 0xFFFFFFFFu);
  EXPECT_EQ(g.Row(0)[1], 0xFF000000u);
  EXPECT_EQ(g.Row(0)[8], 0xFFFFFFFFu);

  TPngImage greyAlpha;
  greyAlpha.Width = 1;
  greyAlpha.ColorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.BitDepth = 16;
  greyAlpha.Data = {0x12, 0x34, 0x80, 0x00};
  ASSERT_TRUE(LoadPngInto(g, EncodePng(greyAlpha)));
  EXPECT_EQ(g.AlphaType(), TAlphaType::Blend);
  EXPECT_EQ(g.GetPixel(0, 0), 0x00121212u);
  EXPECT_EQ(g.AlphaRow(0)[0], 0x80);

  TPngImage rgb16;
  rgb16.Width = 1;
  rgb16.ColorType = PNG_COLOR_TYPE_RGB;
  rgb16.BitDepth = 16;
  rgb16.Data = {0xAA, 0x00, 0xBB, 0xFF, 0xCC, 0x01};
  ASSERT_TRUE(LoadPngInto(g, EncodePng(rgb16)));
  EXPECT_EQ(g.GetPixel(0, 0), 0x00CCBBAAu);

  TPngImage interlaced;
  interlaced.Width = 9;
  interlaced.Height = 9;
  interlaced.Interlaced = true;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) {
      interlaced.Data.push_back(static_cast<uint8_t>(x * 10));
      interlaced.Data.push_back(static_cast<uint8_t>(y * 10));
      interlaced.Data.push_back(7);
    }
  }
  ASSERT_TRUE(LoadPngInto(g, EncodePng(interlaced)));
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) {
      ASSERT_EQ(g.GetPixel(x, y), (7u << 16) | (y * 10u) << 8 | (x * 10u)) << x << "," << y;
    }
  }
}

TEST(LasGraphicPng, OpaqueImageAfterATranslucentOneIsOpaqueAgain) {
  TPngImage rgba;
  rgba.Width = 1;
  rgba.ColorType = PNG_COLOR_TYPE_RGB_ALPHA;
  rgba.Data = {0x10, 0x20, 0x30, 0x40};
  TLasGraphic g;
  ASSERT_TRUE(LoadPngInto(g, EncodePng(rgba)));
  ASSERT_EQ(g.AlphaType(), TAlphaType::Blend);
  ASSERT_TRUE(LoadPngInto(g, EncodePng(Rgb2x1())));
  EXPECT_EQ(g.AlphaType(), TAlphaType::None);
  EXPECT_FALSE(g.HasAlpha());
  // Drawn as it is, not one level darker.
  TLasGraphic black;
  black.SetSize(2, 1);
  black.FillRect(0, 0, 2, 1, 0);
  g.DrawTo(black, 0, 0, 2, 1, 0, 0);
  EXPECT_EQ(black.GetPixel(1, 0), 0x00C0B0A0u);
  // A surface made translucent by hand takes the new picture's kind too.
  TLasGraphic masked;
  masked.SetAlphaType(TAlphaType::Mask);
  ASSERT_TRUE(LoadPngInto(masked, EncodePng(Rgb2x1())));
  EXPECT_EQ(masked.AlphaType(), TAlphaType::None);
}

TEST(LasGraphicPng, CorruptDataLeavesSurfaceAsItWas) {
  TPngImage big;
  big.Width = 64;
  big.Height = 64;
  for (int i = 0; i < 64 * 64 * 3; ++i) big.Data.push_back(static_cast<uint8_t>(i * 7));
  const std::string good = EncodePng(big);
  TLasGraphic g;
  g.SetSize(3, 3);
  EXPECT_FALSE(LoadPngInto(g, good.substr(0, good.size() / 2)));  // truncated
  ExpectUnchanged(g);
  std::string flipped = good;
  flipped[good.size() / 2] ^= 0x5A;  // CRC mismatch inside the image data
  EXPECT_FALSE(LoadPngInto(g, flipped));
  ExpectUnchanged(g);
  std::string badSignature = good;
  badSignature[1] = 'Q';
  EXPECT_FALSE(LoadPngInto(g, badSignature));
  EXPECT_FALSE(LoadPngInto(g, ""));
  EXPECT_FALSE(LoadPngInto(g, good.substr(0, 8)));
  ExpectUnchanged(g);
  EXPECT_TRUE(LoadPngInto(g, good));
  EXPECT_EQ(g.Width(), 64);
}

TEST(LasGraphicPng, FilesAndPackageEntries) {
  test::TTempFolder folder;
  const std::string png = EncodePng(Rgb2x1());
  test::WriteFileBytes(folder.File("pic.PNG"), png);
  test::WriteFileBytes(folder.File("pic.bmp"), png);
  test::WriteFileBytes(folder.File("fake.png"), "not a png at all");
  TLasGraphic g;
  g.SetSize(3, 3);
  EXPECT_FALSE(LoadPngFileInto(g, folder.File("pic.bmp")));  // extension decides
  EXPECT_FALSE(LoadPngFileInto(g, folder.File("fake.png")));
  EXPECT_FALSE(LoadPngFileInto(g, folder.File("missing.png")));
  ExpectUnchanged(g);
  ASSERT_TRUE(LoadPngFileInto(g, folder.File("pic.PNG")));
  EXPECT_EQ(g.Width(), 2);

  const std::string path = folder.File("content.pkg");
  PackageWriter writer;
  ASSERT_TRUE(SetWriterMagic(writer, "PV5PKG"));
  ASSERT_TRUE(CreatePackage(writer, path));
  ASSERT_TRUE(AddEntryFromStream(writer, png, "image\\pic.png"));
  ASSERT_TRUE(AddEntryFromStream(writer, "garbage", "bad.png"));
  ASSERT_TRUE(FinishPackage(writer));
  PackageReader reader;
  ASSERT_TRUE(OpenPackage(path, reader));
  // An entry is read out of the package and decoded like any PNG bytes.
  auto loadEntry = [&reader](TLasGraphic& graphic, const std::string& name) {
    std::string bytes;
    return ExtractEntry(reader, name, bytes) && LoadPngInto(graphic, bytes);
  };
  TLasGraphic p;
  p.SetSize(3, 3);
  EXPECT_FALSE(loadEntry(p, "nothere.png"));
  EXPECT_FALSE(loadEntry(p, "bad.png"));
  ExpectUnchanged(p);
  ASSERT_TRUE(loadEntry(p, "IMAGE\\PIC.png"));
  EXPECT_EQ(p.GetPixel(0, 0), 0x00332211u);
  ClosePackage(reader);
}

}  // namespace
}  // namespace pelto5
