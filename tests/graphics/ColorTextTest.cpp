// The colour text form: names both ways, "$" + 8 digits otherwise, and the
// numeric forms of the system's integer conversion.
#include "graphics/ColorText.h"

#include <gtest/gtest.h>

namespace pelto5 {
namespace {

TEST(ColorText, NamesAndHexForm) {
  EXPECT_EQ(ColorToText(0x000000), "clBlack");
  EXPECT_EQ(ColorToText(0xC0C0C0), "clSilver");
  EXPECT_EQ(ColorToText(0x0000FF), "clRed");
  EXPECT_EQ(ColorToText(0x80000005), "clWindow");
  EXPECT_EQ(ColorToText(0x00123456), "$00123456");
  EXPECT_EQ(ColorToText(0xFF00ABCD), "$FF00ABCD");
  for (uint32_t c : {0x000080u, 0x808000u, 0xFFFF00u, 0x80000018u, 0x00ABCDEFu}) {
    uint32_t back = 1;
    ASSERT_TRUE(TextToColor(ColorToText(c), back)) << ColorToText(c);
    EXPECT_EQ(back, c);
  }
}

TEST(ColorText, ParsesNamesAndNumbers) {
  uint32_t c = 7;
  EXPECT_TRUE(TextToColor("CLYELLOW", c));
  EXPECT_EQ(c, 0x00FFFFu);
  EXPECT_TRUE(TextToColor("0x00FF00", c));
  EXPECT_EQ(c, 0x00FF00u);
  EXPECT_TRUE(TextToColor("$FFFFFFFF", c));
  EXPECT_EQ(c, 0xFFFFFFFFu);
  EXPECT_TRUE(TextToColor("255", c));
  EXPECT_EQ(c, 255u);
  c = 7;
  EXPECT_FALSE(TextToColor("clNotAColour", c));
  EXPECT_FALSE(TextToColor("", c));
  EXPECT_FALSE(TextToColor("12ab", c));
  EXPECT_EQ(c, 7u);
}

TEST(ColorText, PixelConversion) {
  EXPECT_EQ(ColorToPixel(0x00332211), 0x00112233u);
  EXPECT_EQ(PixelToColor(0xEE112233), 0x00332211u);
  EXPECT_EQ(ColorToRgb(0x7F332211), 0x00332211u);
  EXPECT_EQ(ColorToRgb(0x80000005), 0x00FFFFFFu);  // clWindow
  EXPECT_EQ(ColorToRgb(0x800000FF), 0u);           // no such system colour
}

}  // namespace
}  // namespace pelto5
