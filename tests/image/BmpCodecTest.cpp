// BMP reading in every depth and compression, and the 32-bit writer. The
// bitmaps are assembled byte by byte here, so the expected pixels follow
// from the file layout rather than from the reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/BmpDecoder.h"
#include "image/BmpEncoder.h"

namespace pelto5 {
namespace {

void Le16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Le32(std::string& s, uint32_t v) {
  Le16(s, v & 0xFFFF);
  Le16(s, v >> 16);
}

struct TBmpBuild {
  int32_t Width = 1;
  int32_t Height = 1;
  int BitCount = 24;
  uint32_t Compression = 0;
  uint32_t ColorsUsed = 0;
  std::vector<uint32_t> Palette;  // 0x00RRGGBB
  std::vector<uint32_t> Masks;    // written after the 40-byte header
  std::string Data;

  std::string Bytes() const {
    std::string info;
    Le32(info, 40);
    Le32(info, static_cast<uint32_t>(Width));
    Le32(info, static_cast<uint32_t>(Height));
    Le16(info, 1);
    Le16(info, static_cast<uint32_t>(BitCount));
    Le32(info, Compression);
    Le32(info, static_cast<uint32_t>(Data.size()));
    Le32(info, 0);
    Le32(info, 0);
    Le32(info, ColorsUsed);
    Le32(info, 0);
    for (uint32_t m : Masks) Le32(info, m);
    for (uint32_t c : Palette) Le32(info, c);
    std::string file = "BM";
    Le32(file, static_cast<uint32_t>(14 + info.size() + Data.size()));
    Le32(file, 0);
    Le32(file, static_cast<uint32_t>(14 + info.size()));
    return file + info + Data;
  }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(BmpCodec, TwentyFourBitBottomUpWithPadding) {
  TBmpBuild b;
  b.Width = 2;
  b.Height = 2;
  // file row 0 is the bottom row; each row padded to 8 bytes
  b.Data = Bytes({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0, 0});
  TPicture p;
  ASSERT_TRUE(DecodeBmp(b.Bytes(), p));
  ASSERT_EQ(p.Width, 2);
  ASSERT_EQ(p.Height, 2);
  EXPECT_EQ(p.Pixels[0], 0x00131211u);  // top-left from the last file row
  EXPECT_EQ(p.Pixels[1], 0x00161514u);
  EXPECT_EQ(p.Pixels[2], 0x00030201u);
  EXPECT_EQ(p.Pixels[3], 0x00060504u);
}

TEST(BmpCodec, ThirtyTwoBitTopDownAndBitFields) {
  TBmpBuild b;
  b.Width = 1;
  b.Height = -2;
  b.BitCount = 32;
  b.Data = Bytes({0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x00});
  TPicture p;
  ASSERT_TRUE(DecodeBmp(b.Bytes(), p));
  EXPECT_EQ(p.Height, 2);
  EXPECT_EQ(p.Pixels[0], 0x00302010u);  // first file row is the top row, fourth byte dropped
  EXPECT_EQ(p.Pixels[1], 0x00605040u);

  TBmpBuild f;
  f.Width = 2;
  f.BitCount = 16;
  f.Compression = 3;
  f.Masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5
  f.Data = Bytes({0x00, 0xF8, 0xE0, 0x07});
  ASSERT_TRUE(DecodeBmp(f.Bytes(), p));
  EXPECT_EQ(p.Pixels[0], 0x00FF0000u);
  EXPECT_EQ(p.Pixels[1], 0x0000FF00u);

  TBmpBuild d;  // 16 bits without masks: 5-5-5
  d.Width = 2;
  d.BitCount = 16;
  d.Data = Bytes({0x1F, 0x00, 0x00, 0x40});  // blue max; red 0x10 of 31
  ASSERT_TRUE(DecodeBmp(d.Bytes(), p));
  EXPECT_EQ(p.Pixels[0], 0x000000FFu);
  EXPECT_EQ(p.Pixels[1], (16u * 255 / 31) << 16);
}

TEST(BmpCodec, PalettedDepths) {
  TBmpBuild one;
  one.Width = 10;
  one.BitCount = 1;
  one.Palette = {0x000000, 0xABCDEF};
  one.Data = Bytes({0xA0, 0x40, 0, 0});  // 1010 0000  01.. ....
  TPicture p;
  ASSERT_TRUE(DecodeBmp(one.Bytes(), p));
  const uint32_t expected1[10] = {0xABCDEF, 0, 0xABCDEF, 0, 0, 0, 0, 0, 0, 0xABCDEF};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(p.Pixels[x], expected1[x]) << x;

  TBmpBuild four;
  four.Width = 3;
  four.BitCount = 4;
  four.ColorsUsed = 3;
  four.Palette = {0x111111, 0x222222, 0x333333};
  four.Data = Bytes({0x21, 0x50, 0, 0});  // indices 2, 1, 5 (5 is past the palette: black)
  ASSERT_TRUE(DecodeBmp(four.Bytes(), p));
  EXPECT_EQ(p.Pixels[0], 0x333333u);
  EXPECT_EQ(p.Pixels[1], 0x222222u);
  EXPECT_EQ(p.Pixels[2], 0u);

  TBmpBuild eight;
  eight.Width = 2;
  eight.BitCount = 8;
  eight.Palette.assign(256, 0);
  eight.Palette[200] = 0x0000C8;
  eight.Data = Bytes({200, 0, 0, 0});
  ASSERT_TRUE(DecodeBmp(eight.Bytes(), p));
  EXPECT_EQ(p.Pixels[0], 0x0000C8u);
}

TEST(BmpCodec, CoreHeaderWithThreeBytePalette) {
  std::string s = "BM";
  Le32(s, 14 + 12 + 6 + 4);
  Le32(s, 0);
  Le32(s, 14 + 12 + 6);
  Le32(s, 12);
  Le16(s, 2);  // width
  Le16(s, 1);  // height
  Le16(s, 1);
  Le16(s, 1);  // 1 bit
  s += Bytes({0x01, 0x02, 0x03, 0x0A, 0x0B, 0x0C});
  s += Bytes({0x40, 0, 0, 0});
  TPicture p;
  ASSERT_TRUE(DecodeBmp(s, p));
  EXPECT_EQ(p.Pixels[0], 0x00030201u);
  EXPECT_EQ(p.Pixels[1], 0x000C0B0Au);
}

TEST(BmpCodec, Rle8RunsAbsoluteDeltaAndEnds) {
  TBmpBuild b;
  b.Width = 4;
  b.Height = 3;
  b.BitCount = 8;
  b.Compression = 1;
  b.Palette = {0x000000, 0x0000A1, 0x0000A2, 0x0000A3, 0x0000A4};
  b.Data = Bytes({
      3, 1,           // bottom row: 1 1 1
      0, 0,           // end of line
      0, 3, 2, 3, 4, 0,  // absolute 2 3 4, padded to a word
      0, 2, 1, 1,     // delta: right 1, up 1 -> x 4 (past the edge), top row
      0, 0,           // end of line (row 3: beyond, ends decoding)
      9, 2,           // ignored: below the last row
  });
  TPicture p;
  ASSERT_TRUE(DecodeBmp(b.Bytes(), p));
  auto at = [&](int x, int y) { return p.Pixels[static_cast<size_t>(y) * 4 + x]; };
  EXPECT_EQ(at(0, 2), 0xA1u);
  EXPECT_EQ(at(2, 2), 0xA1u);
  EXPECT_EQ(at(3, 2), 0u);  // never set
  EXPECT_EQ(at(0, 1), 0xA2u);
  EXPECT_EQ(at(1, 1), 0xA3u);
  EXPECT_EQ(at(2, 1), 0xA4u);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(at(x, 0), 0u);

  // A run longer than the row is cut at the edge; end of bitmap stops.
  TBmpBuild c = b;
  c.Data = Bytes({200, 4, 0, 1, 5, 2});
  ASSERT_TRUE(DecodeBmp(c.Bytes(), p));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(at(x, 2), 0xA4u);
  EXPECT_EQ(at(0, 1), 0u);
}

TEST(BmpCodec, Rle4Nibbles) {
  TBmpBuild b;
  b.Width = 5;
  b.Height = 1;
  b.BitCount = 4;
  b.Compression = 2;
  b.Palette = {0x000000, 0x111111, 0x222222, 0x333333};
  b.Data = Bytes({3, 0x12,             // 1 2 1
                  0, 3, 0x30, 0x20,      // absolute 3 0 2 (2 falls past the edge)
                  0, 1});
  TPicture p;
  ASSERT_TRUE(DecodeBmp(b.Bytes(), p));
  const uint32_t expected[5] = {0x111111, 0x222222, 0x111111, 0x333333, 0};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(p.Pixels[x], expected[x]) << x;
}

TEST(BmpCodec, RefusesMalformedAndOversizedBitmaps) {
  TBmpBuild good;
  good.Width = 2;
  good.Height = 2;
  good.Data = std::string(16, '\x7F');
  const std::string bytes = good.Bytes();
  TPicture p;
  p.Width = 77;
  TPicture decoded;
  ASSERT_TRUE(DecodeBmp(bytes, decoded));
  // The last row's padding may be missing, its pixels may not.
  ASSERT_TRUE(DecodeBmp(bytes.substr(0, bytes.size() - 2), decoded));
  EXPECT_FALSE(DecodeBmp(bytes.substr(0, bytes.size() - 3), p));
  EXPECT_FALSE(DecodeBmp(bytes.substr(0, 20), p));
  EXPECT_FALSE(DecodeBmp("", p));
  std::string wrongMagic = bytes;
  wrongMagic[0] = 'X';
  EXPECT_FALSE(DecodeBmp(wrongMagic, p));
  std::string hugeHeader = bytes;
  hugeHeader[14] = '\x7F';
  hugeHeader[17] = '\x7F';
  EXPECT_FALSE(DecodeBmp(hugeHeader, p));
  std::string farOffset = bytes;
  farOffset[13] = '\x7F';
  EXPECT_FALSE(DecodeBmp(farOffset, p));
  EXPECT_EQ(p.Width, 77);  // untouched by every failure

  TBmpBuild bad = good;
  bad.Width = 0;
  EXPECT_FALSE(DecodeBmp(bad.Bytes(), p));
  bad = good;
  bad.BitCount = 7;
  EXPECT_FALSE(DecodeBmp(bad.Bytes(), p));
  bad = good;
  bad.Compression = 4;  // JPEG inside BMP
  EXPECT_FALSE(DecodeBmp(bad.Bytes(), p));
  bad = good;
  bad.Compression = 1;  // RLE8 needs 8 bits
  EXPECT_FALSE(DecodeBmp(bad.Bytes(), p));
  bad = good;
  bad.Width = 60000;
  bad.Height = 60000;
  EXPECT_FALSE(DecodeBmp(bad.Bytes(), p));
  bad = good;
  bad.Height = INT32_MIN;
  EXPECT_FALSE(DecodeBmp(bad.Bytes(), p));
  TBmpBuild rle;
  rle.BitCount = 8;
  rle.Compression = 1;
  rle.Height = -1;  // RLE is bottom-up only
  rle.Data = Bytes({0, 1});
  EXPECT_FALSE(DecodeBmp(rle.Bytes(), p));
  // A truncated RLE stream decodes what is there.
  rle.Height = 1;
  rle.Width = 3;
  rle.Palette = {0, 0x55};
  rle.Data = Bytes({0, 5, 1, 1});
  ASSERT_TRUE(DecodeBmp(rle.Bytes(), p));
  EXPECT_EQ(p.Pixels[0], 0u);
}

TEST(BmpCodec, WritesThirtyTwoBitBitmapsThatReadBack) {
  TPicture g;
  g.Width = 3;
  g.Height = 2;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) g.Pixels.push_back(0xEE000000u | (x * 0x10101u + y * 0x800000u));
  }
  const std::string bmp = EncodeBmp32(ViewOf(g));
  ASSERT_EQ(bmp.size(), 14u + 40u + 3u * 2u * 4u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<uint8_t>(bmp[28]), 32);
  // bottom-up: the first stored pixel is (0, 1), fourth byte 0
  EXPECT_EQ(bmp.substr(54, 4), Bytes({0x00, 0x00, 0x80, 0x00}));

  TPicture back;
  back.Alpha = TPictureAlpha::Blend;
  ASSERT_TRUE(DecodeBmp(bmp, back));
  EXPECT_EQ(back.Alpha, TPictureAlpha::None);
  ASSERT_EQ(back.Width, 3);
  ASSERT_EQ(back.Height, 2);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(back.Pixels[i], g.Pixels[i] & 0x00FFFFFFu) << i;
  TPicture kept;
  kept.Width = 4;
  EXPECT_FALSE(DecodeBmp("BMjunk", kept));
  EXPECT_EQ(kept.Width, 4);
}

}  // namespace
}  // namespace pelto5
