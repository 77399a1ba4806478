// The built-in JPEG and GIF decoders on files made by libjpeg-turbo and
// giflib: pixels against libjpeg-turbo's own decode (JPEG) or the palette
// indices written (GIF), the variants of each format, and damaged or
// oversized files refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "image/GifDecoder.h"
#include "image/ImageTestSupport.h"
#include "image/JpegDecoder.h"

namespace pelto5 {
namespace {

using test::ImagePattern;

std::vector<uint32_t> Pattern(int width, int height) {
  std::vector<uint32_t> p;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.push_back(ImagePattern(x, y));
  }
  return p;
}

// Largest channel difference between two 0x..RRGGBB pictures.
int MaxDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return 1000;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      worst = std::max(worst, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF)));
    }
  }
  return worst;
}

std::vector<uint32_t> Rgb(const TPicture& p) {
  std::vector<uint32_t> out;
  for (uint32_t v : p.Pixels) out.push_back(v & 0xFFFFFF);
  return out;
}

// Patches the size in the first start-of-frame segment of a JPEG.
std::string WithJpegSize(std::string jpeg, int width, int height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    const auto m = static_cast<uint8_t>(jpeg[i + 1]);
    if (static_cast<uint8_t>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width);
      return jpeg;
    }
  }
  return "";
}

TEST(JpegDecoder, BaselineAndProgressiveMatchLibjpegTurbosOwnDecode) {
  for (const bool progressive : {false, true}) {
    test::TJpegOptions options;
    options.Progressive = progressive;
    const std::string jpeg = test::EncodeJpeg(37, 21, Pattern(37, 21), options);
    int w = 0, h = 0;
    const std::vector<uint32_t> reference = test::ReferenceJpegDecode(jpeg, w, h);
    TPicture picture;
    ASSERT_TRUE(TJpegDecoder().IsSupported(jpeg));
    ASSERT_TRUE(DecodeJpeg(jpeg, picture)) << progressive;
    EXPECT_EQ(picture.Width, 37);
    EXPECT_EQ(picture.Height, 21);
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_LE(MaxDifference(Rgb(picture), reference), 1) << progressive;
    // And a smooth picture comes back close to what was encoded.
    std::vector<uint32_t> smooth;
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 37; ++x) smooth.push_back(static_cast<uint32_t>(x * 6) << 16 | static_cast<uint32_t>(y * 10) << 8 | 128);
    }
    options.Quality = 95;
    TPicture back;
    ASSERT_TRUE(DecodeJpeg(test::EncodeJpeg(37, 21, smooth, options), back));
    EXPECT_LE(MaxDifference(Rgb(back), smooth), 12) << progressive;
  }
}

TEST(JpegDecoder, GreyAndAdobeCmykBecomeRgb) {
  test::TJpegOptions grey;
  grey.Grey = true;
  std::string jpeg = test::EncodeJpeg(16, 8, Pattern(16, 8), grey);
  int w = 0, h = 0;
  const std::vector<uint32_t> reference = test::ReferenceJpegDecode(jpeg, w, h);
  TPicture picture;
  ASSERT_TRUE(DecodeJpeg(jpeg, picture));
  EXPECT_LE(MaxDifference(Rgb(picture), reference), 0);
  for (uint32_t p : picture.Pixels) {
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
  }

  test::TJpegOptions cmyk;
  cmyk.Cmyk = true;
  cmyk.Quality = 100;
  jpeg = test::EncodeJpeg(16, 8, Pattern(16, 8), cmyk);
  ASSERT_TRUE(DecodeJpeg(jpeg, picture));
  ASSERT_EQ(picture.Width, 16);
  EXPECT_LE(MaxDifference(Rgb(picture), Pattern(16, 8)), 8);
}

TEST(JpegDecoder, DamagedCutAndOversizedFilesFail) {
  const std::string jpeg = test::EncodeJpeg(64, 64, Pattern(64, 64));
  TPicture untouched;
  EXPECT_FALSE(DecodeJpeg(jpeg.substr(0, jpeg.size() / 2), untouched));
  EXPECT_FALSE(DecodeJpeg(jpeg.substr(0, 200), untouched));
  EXPECT_FALSE(DecodeJpeg("", untouched));
  EXPECT_FALSE(DecodeJpeg("\xFF\xD8\xFF", untouched));
  EXPECT_FALSE(DecodeJpeg(WithJpegSize(jpeg, 60000, 60000), untouched));
  EXPECT_FALSE(DecodeJpeg(WithJpegSize(jpeg, 0, 64), untouched));
  std::string garbled = jpeg;
  for (size_t i = garbled.size() / 3; i < garbled.size() / 3 + 40; ++i) garbled[i] = '\xFF';
  EXPECT_FALSE(DecodeJpeg(garbled, untouched));
  EXPECT_EQ(untouched.Width, 0);
  EXPECT_TRUE(untouched.Pixels.empty());
}

std::vector<uint32_t> GifPalette() { return {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF}; }

std::vector<uint8_t> GifIndices(int width, int height) {
  std::vector<uint8_t> indices;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) indices.push_back(static_cast<uint8_t>((x + 2 * y) % 6));
  }
  return indices;
}

TEST(GifDecoder, PlainAndInterlacedFramesGiveTheirPaletteColours) {
  for (const bool interlaced : {false, true}) {
    test::TGifOptions options;
    options.Interlaced = interlaced;
    // 13 rows exercise every interlace pass.
    const std::string gif = test::EncodeGif(7, 13, GifIndices(7, 13), GifPalette(), options);
    ASSERT_TRUE(TGifDecoder().IsSupported(gif));
    TPicture picture;
    ASSERT_TRUE(DecodeGif(gif, picture)) << interlaced;
    ASSERT_EQ(picture.Width, 7);
    ASSERT_EQ(picture.Height, 13);
    EXPECT_FALSE(picture.HasAlpha());
    std::vector<uint32_t> expected;
    for (uint8_t i : GifIndices(7, 13)) expected.push_back(GifPalette()[i]);
    EXPECT_EQ(Rgb(picture), expected) << interlaced;
  }
}

TEST(GifDecoder, TheTransparentIndexKeepsItsColourAndTheScreenIsBackground) {
  test::TGifOptions options;
  options.TransparentIndex = 1;
  options.ScreenWidth = 6;
  options.ScreenHeight = 5;
  options.Left = 2;
  options.Top = 1;
  options.Background = 4;
  const std::string gif = test::EncodeGif(3, 2, {1, 2, 3, 1, 1, 5}, GifPalette(), options);
  TPicture picture;
  ASSERT_TRUE(DecodeGif(gif, picture));
  ASSERT_EQ(picture.Width, 6);
  ASSERT_EQ(picture.Height, 5);
  EXPECT_FALSE(picture.HasAlpha());
  auto at = [&picture](int x, int y) { return picture.Pixels[static_cast<size_t>(y) * 6 + x] & 0xFFFFFF; };
  EXPECT_EQ(at(0, 0), 0x123456u);  // background
  EXPECT_EQ(at(2, 1), 0xFF0000u);  // transparent index, colour kept
  EXPECT_EQ(at(3, 1), 0x00FF00u);
  EXPECT_EQ(at(3, 2), 0xFF0000u);
  EXPECT_EQ(at(4, 2), 0xABCDEFu);
  EXPECT_EQ(at(4, 1), 0x0000FFu);
  EXPECT_EQ(at(5, 4), 0x123456u);
}

TEST(GifDecoder, CutAndOversizedFilesFail) {
  const std::string gif = test::EncodeGif(40, 40, GifIndices(40, 40), GifPalette());
  TPicture untouched;
  EXPECT_FALSE(DecodeGif(gif.substr(0, gif.size() / 2), untouched));
  EXPECT_FALSE(DecodeGif(gif.substr(0, 13), untouched));
  EXPECT_FALSE(DecodeGif("GIF89a", untouched));
  std::string huge = gif;
  huge[6] = huge[7] = huge[8] = huge[9] = '\xFF';  // logical screen 65535 x 65535
  EXPECT_FALSE(DecodeGif(huge, untouched));
  EXPECT_EQ(untouched.Width, 0);
}

}  // namespace
}  // namespace pelto5
