#include "save/Thumbnail.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "image/BmpDecoder.h"
#include "graphics/LasGraphic.h"
#include "graphics/LasLayer.h"
#include "graphics/LasScreen.h"
#include "image/Picture.h"

namespace pelto5 {
namespace {

// Colour values are 0x00BBGGRR; decoded BMP pixels are 0x00RRGGBB.
constexpr uint32_t kRed = 0x000000FF;
constexpr uint32_t kBlue = 0x00FF0000;
constexpr uint32_t kGreen = 0x0000FF00;
constexpr uint32_t kRedPixel = 0x00FF0000;
constexpr uint32_t kBluePixel = 0x000000FF;

void FillLayer(TLasLayer& layer, int left, int top, int width, int height, uint32_t color) {
  layer.Graphic.SetSize(width, height);
  layer.Graphic.FillRect(0, 0, width, height, color);
  layer.Left = left;
  layer.Top = top;
  layer.Width = width;
  layer.Height = height;
  layer.Visible = true;
}

uint32_t PixelAt(const TPicture& picture, int x, int y) {
  return picture.Pixels[static_cast<size_t>(y) * picture.Width + x] & 0x00FFFFFFu;
}

TEST(ThumbnailTest, ShowsEveryVisibleLayerButTheTopOneAt80By60) {
  TLasScreen screen;
  screen.Create(640, 480);
  FillLayer(*screen.BaseLayer(), 0, 0, 640, 480, kRed);
  TLasLayer* picture = screen.AddLayerAfter(screen.BaseLayer());
  FillLayer(*picture, 0, 0, 320, 480, kBlue);
  TLasLayer* hidden = screen.AddLayerAfter(picture);
  FillLayer(*hidden, 0, 0, 640, 240, kGreen);
  hidden->Visible = false;
  TLasLayer* text = screen.AddLayerAfter(hidden);
  FillLayer(*text, 0, 0, 640, 480, kGreen);

  TPicture thumbnail;
  ASSERT_TRUE(DecodeBmp(MakeThumbnailBmp(screen), thumbnail));
  ASSERT_EQ(thumbnail.Width, kThumbnailWidth);
  ASSERT_EQ(thumbnail.Height, kThumbnailHeight);
  EXPECT_EQ(PixelAt(thumbnail, 0, 0), kBluePixel);
  EXPECT_EQ(PixelAt(thumbnail, 39, 59), kBluePixel);
  EXPECT_EQ(PixelAt(thumbnail, 40, 0), kRedPixel);
  EXPECT_EQ(PixelAt(thumbnail, 79, 59), kRedPixel);
}

TEST(ThumbnailTest, AScreenWithOnlyItsBaseLayerShowsTheBaseLayer) {
  TLasScreen screen;
  screen.Create(100, 50);
  FillLayer(*screen.BaseLayer(), 0, 0, 100, 50, kRed);
  TPicture thumbnail;
  ASSERT_TRUE(DecodeBmp(MakeThumbnailBmp(screen), thumbnail));
  EXPECT_EQ(thumbnail.Width, 80);
  EXPECT_EQ(thumbnail.Height, 60);
  EXPECT_EQ(PixelAt(thumbnail, 79, 59), kRedPixel);
}

TEST(ThumbnailTest, StretchAveragesTheCoveredPixelsAndGrowsSmallPictures) {
  // A 4 x 2 chequer of black and white shrinks to mid grey.
  TLasGraphic chequer;
  chequer.SetSize(4, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) chequer.Row(y)[x] = ((x + y) % 2) ? 0x00FFFFFF : 0;
  }
  TLasGraphic small;
  StretchGraphic(chequer, small, 2, 1);
  ASSERT_EQ(small.Width(), 2);
  ASSERT_EQ(small.Height(), 1);
  EXPECT_EQ(small.Row(0)[0] & 0x00FFFFFFu, 0x00808080u);

  // A 2 x 1 picture grows by repeating its pixels.
  TLasGraphic two;
  two.SetSize(2, 1);
  two.Row(0)[0] = 0x00112233;
  two.Row(0)[1] = 0x00445566;
  TLasGraphic wide;
  StretchGraphic(two, wide, 80, 60);
  EXPECT_EQ(wide.Row(59)[0] & 0x00FFFFFFu, 0x00112233u);
  EXPECT_EQ(wide.Row(0)[39] & 0x00FFFFFFu, 0x00112233u);
  EXPECT_EQ(wide.Row(30)[40] & 0x00FFFFFFu, 0x00445566u);
  EXPECT_FALSE(wide.HasAlpha());

  // An empty source leaves a black picture of the asked size.
  TLasGraphic empty;
  empty.SetSize(0, 0);
  TLasGraphic out;
  StretchGraphic(empty, out, 80, 60);
  EXPECT_EQ(out.Width(), 80);
  EXPECT_EQ(out.Row(10)[10] & 0x00FFFFFFu, 0u);
}

}  // namespace
}  // namespace pelto5
