// MAG decoding: the header checks, the converted BMP's layout, flag A / B
// streams and copies from every copy position, at 16 and 256 colours, and
// damaged files. The MAG files are assembled here from the format's rules,
// so the expected pixels follow from the bytes written, not from the decoder.
#include "image/M2BC.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "image/BmpDecoder.h"
#include "image/MagTestSupport.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

using test::MagTestColor;
using test::TMagBuild;

uint32_t Le32At(const std::string& s, size_t p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[p + i]);
  return v;
}

// The palette index of pixel x in a row of packed 4- or 8-bit pixels.
int IndexAt(const std::vector<uint8_t>& row, int x, bool colors256) {
  if (colors256) return row[x];
  const uint8_t b = row[x / 2];
  return x % 2 == 0 ? b >> 4 : b & 0x0F;
}

// Converts and decodes data, expecting success; the picture's pixels.
TPicture Decode(const std::string& data) {
  std::string bmp;
  TPicture picture;
  EXPECT_EQ(TM2BC::MMAG_MagtoBmp(data, bmp), 0);
  EXPECT_EQ(bmp.size(), TM2BC::MMAG_GetBmpSize(data));
  EXPECT_TRUE(DecodeBmp(bmp, picture));
  return picture;
}

// Expects picture to show rows (top-down, packed) through the test palette.
void ExpectPixels(const TPicture& picture, const std::vector<std::vector<uint8_t>>& rows, bool colors256) {
  ASSERT_EQ(picture.Height, static_cast<int>(rows.size()));
  for (int y = 0; y < picture.Height; ++y) {
    for (int x = 0; x < picture.Width; ++x) {
      ASSERT_EQ(picture.Pixels[y * picture.Width + x], MagTestColor(IndexAt(rows[y], x, colors256)))
          << "x " << x << " y " << y;
    }
  }
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// 16 colours, 16 x 4: four units a line, two flag bytes a line.
TMagBuild SixteenByFour() {
  TMagBuild m;
  m.XEnd = 15;
  m.YEnd = 3;
  // Flag bits by line: 00, 01, 00, 01.
  m.FlagA = Bytes({0x11});
  // Line 1 sets the second flag byte to 0x10; line 3 changes it back to 0.
  m.FlagB = Bytes({0x10, 0x10});
  m.Pixels = Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,  // line 0: all from the stream
                    0xFE, 0xDC, 0xBA, 0x98, 0x11, 0x22,              // line 1: 3 units, 1 copied
                    0x33, 0x44, 0x55, 0x66, 0x77, 0x88,              // line 2: the flag carries on
                    0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00});  // line 3: flags back to 0
  return m;
}

TEST(M2BCTest, FlagsCarryFromLineToLineAndChangeByFlagB) {
  const TPicture picture = Decode(SixteenByFour().Bytes());
  EXPECT_EQ(picture.Width, 16);
  ExpectPixels(picture,
               {{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
                {0xFE, 0xDC, 0xBA, 0x98, 0xBA, 0x98, 0x11, 0x22},
                {0x33, 0x44, 0x55, 0x66, 0x55, 0x66, 0x77, 0x88},
                {0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00}},
               false);
}

TEST(M2BCTest, BmpLayoutAtSixteenColours) {
  std::string bmp;
  ASSERT_EQ(TM2BC::MMAG_MagtoBmp(SixteenByFour().Bytes(), bmp), 0);
  ASSERT_EQ(bmp.size(), 54u + 64 + 8 * 4);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(Le32At(bmp, 2), bmp.size());
  EXPECT_EQ(Le32At(bmp, 6), 0u);
  EXPECT_EQ(Le32At(bmp, 10), 54u + 64);
  EXPECT_EQ(Le32At(bmp, 14), 40u);
  EXPECT_EQ(Le32At(bmp, 18), 16u);
  EXPECT_EQ(Le32At(bmp, 22), 4u);  // positive: bottom-up
  EXPECT_EQ(Le32At(bmp, 26), 1u | 4u << 16);
  EXPECT_EQ(bmp.substr(30, 24), std::string(24, '\0'));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(Le32At(bmp, 54 + 4 * i), MagTestColor(i)) << i;  // blue, green, red, 0
  }
  // The image's top line is the last row.
  EXPECT_EQ(bmp.substr(54 + 64 + 3 * 8), Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}));
  EXPECT_EQ(bmp.substr(54 + 64, 8), Bytes({0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00}));
}

TEST(M2BCTest, BmpLayoutAtTwoHundredFiftySixColours) {
  TMagBuild m;
  m.Colors256 = true;
  m.XStart = 5;  // aligned to 4: pixels 4..11
  m.XEnd = 9;
  m.YStart = 10;
  m.YEnd = 11;
  m.FlagA = Bytes({0x00});
  m.Pixels = Bytes({0, 1, 2, 3, 250, 251, 252, 253, 7, 7, 7, 7, 9, 9, 9, 9});
  std::string bmp;
  ASSERT_EQ(TM2BC::MMAG_MagtoBmp(m.Bytes(), bmp), 0);
  ASSERT_EQ(bmp.size(), 54u + 1024 + 8 * 2);
  EXPECT_EQ(Le32At(bmp, 10), 54u + 1024);
  EXPECT_EQ(Le32At(bmp, 18), 8u);
  EXPECT_EQ(Le32At(bmp, 22), 2u);
  EXPECT_EQ(Le32At(bmp, 26), 1u | 8u << 16);
  EXPECT_EQ(Le32At(bmp, 54 + 4 * 255), MagTestColor(255));
  EXPECT_EQ(Le32At(bmp, 54 + 4 * 200), MagTestColor(200));

  TPicture picture;
  ASSERT_TRUE(DecodeBmp(bmp, picture));
  ExpectPixels(picture, {{0, 1, 2, 3, 250, 251, 252, 253}, {7, 7, 7, 7, 9, 9, 9, 9}}, true);
}

TEST(M2BCTest, HeaderRecordAlignsTheHorizontalRange) {
  TMagBuild m;
  m.XStart = 3;
  m.XEnd = 636;
  m.YStart = 2;
  m.YEnd = 401;
  TMagHeader h;
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderTruncated);  // no streams
  EXPECT_EQ(h.HeaderPos, m.HeaderPos());
  EXPECT_EQ(h.AlignedXStart, 0);
  EXPECT_EQ(h.AlignedXEnd, 639);
  EXPECT_EQ(h.Width, 640);
  EXPECT_EQ(h.Height, 400);
  EXPECT_EQ(h.LineBytes, 320u);
  // The size probe looks at the header only.
  EXPECT_EQ(TM2BC::MMAG_GetBmpSize(m.Bytes()), 54u + 64 + 320 * 400);
  std::string bmp = "untouched";
  EXPECT_EQ(TM2BC::MMAG_MagtoBmp(m.Bytes(), bmp), -1);
  EXPECT_EQ(bmp, "untouched");

  m.Colors256 = true;
  m.XStart = 6;
  m.XEnd = 13;  // 4..15
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderTruncated);
  EXPECT_EQ(h.Width, 12);
  EXPECT_EQ(h.LineBytes, 12u);
  EXPECT_EQ(TM2BC::MMAG_GetBmpSize(m.Bytes()), 54u + 1024 + 12 * 400);
}

TEST(M2BCTest, HeaderRejections) {
  const std::string good = SixteenByFour().Bytes();
  TMagHeader h;
  ASSERT_EQ(TM2BC::MMAG_ReadHeader(good, h), TM2BC::kHeaderOk);

  for (size_t i = 0; i < 8; ++i) {  // every signature byte, the blanks too
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x20);
    EXPECT_EQ(TM2BC::MMAG_ReadHeader(bad, h), TM2BC::kHeaderSignature) << i;
    EXPECT_EQ(TM2BC::MMAG_GetBmpSize(bad), 0u);
  }

  std::string noEnd = good;
  for (char& c : noEnd) {
    if (c == '\x1A') c = ' ';
  }
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(noEnd, h), TM2BC::kHeaderMissing);
  const size_t headerPos = SixteenByFour().HeaderPos();
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(good.substr(0, headerPos + 31), h), TM2BC::kHeaderMissing);
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(good.substr(0, headerPos + 32), h), TM2BC::kHeaderTruncated);
  EXPECT_EQ(TM2BC::MMAG_GetBmpSize(good.substr(0, headerPos + 32)), 54u + 64 + 32);

  TMagBuild m = SixteenByFour();
  m.TopByte = 1;
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderInvalid);
  m = SixteenByFour();
  m.XStart = 16;  // x end 15 lies in the group before
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderInvalid);
  m = SixteenByFour();
  m.YStart = 4;  // y end 3: no lines
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderInvalid);
  EXPECT_EQ(TM2BC::MMAG_GetBmpSize(m.Bytes()), 0u);
}

TEST(M2BCTest, PicturesLargerThanASurfaceAreRefusedBeforeAllocating) {
  TMagBuild m;
  TMagHeader h;
  m.XEnd = 16383;
  m.YEnd = 4095;  // 16384 x 4096: 2^26 pixels, accepted (its streams missing)
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderTruncated);
  m.YEnd = 4096;  // one line more than 2^26 pixels
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderInvalid);
  m.XEnd = 16384;  // 16392 wide
  m.YEnd = 0;
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderInvalid);
  m.XEnd = 7;
  m.YEnd = 16384;  // 16385 high
  EXPECT_EQ(TM2BC::MMAG_ReadHeader(m.Bytes(), h), TM2BC::kHeaderInvalid);
  m.XEnd = 65535;
  m.YEnd = 65535;
  EXPECT_EQ(TM2BC::MMAG_GetBmpSize(m.Bytes()), 0u);
}

TEST(M2BCTest, ACopyMoreUnitsLeftThanTheLineHasReachesTheLineAbove) {
  // 16 colours, 16 wide: four units a line, two flag bytes.
  TMagBuild m;
  m.XEnd = 15;
  m.YEnd = 1;
  m.FlagA = Bytes({0x20});  // line 1's first flag byte changes
  m.Pixels = Bytes({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
  const std::vector<uint8_t> line0 = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  // The first unit of line 1 copied from 4, 2 and 1 units to the left.
  m.FlagB = Bytes({0x30});
  ExpectPixels(Decode(m.Bytes()), {line0, {0x01, 0x23, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}}, false);
  m.FlagB = Bytes({0x20});
  ExpectPixels(Decode(m.Bytes()), {line0, {0x89, 0xAB, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}}, false);
  m.FlagB = Bytes({0x10});
  ExpectPixels(Decode(m.Bytes()), {line0, {0xCD, 0xEF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}}, false);
}

TEST(M2BCTest, CopiesFromBeforeTheFirstUnitFail) {
  for (int flag : {0x10, 0x04, 0x0F, 0x30}) {
    TMagBuild m;
    m.YEnd = 1;
    m.FlagA = Bytes({0x80});  // line 0's flag byte
    m.FlagB = Bytes({flag});
    m.Pixels = std::string(8, '\x11');
    std::string bmp;
    EXPECT_EQ(TM2BC::MMAG_MagtoBmp(m.Bytes(), bmp), -1) << flag;
    EXPECT_TRUE(bmp.empty());
  }
}

TEST(M2BCTest, StreamsThatRunPastTheFileFail) {
  // Header sizes that claim less than the decoding needs: the file ends first.
  TMagBuild m = SixteenByFour();
  m.Pixels.resize(m.Pixels.size() - 1);
  std::string bmp;
  EXPECT_EQ(TM2BC::MMAG_MagtoBmp(m.Bytes(), bmp), -1);

  // Flag B starting at the file's last byte: the second change reads past it.
  std::string data = SixteenByFour().Bytes();
  const size_t h = SixteenByFour().HeaderPos();
  const uint32_t last = static_cast<uint32_t>(data.size() - 1 - h);
  for (int i = 0; i < 4; ++i) data[h + 16 + i] = static_cast<char>(last >> (8 * i));
  data[h + 20] = 1;
  for (int i = 1; i < 4; ++i) data[h + 20 + i] = 0;
  TMagHeader header;
  ASSERT_EQ(TM2BC::MMAG_ReadHeader(data, header), TM2BC::kHeaderOk);
  EXPECT_EQ(TM2BC::MMAG_MagtoBmp(data, bmp), -1);
}

// Random pictures of few distinct units, so that every copy position finds
// matches, encoded with copies chosen at random and decoded back.
struct TRoundTrip {
  bool Colors256;
  int Width;
  int Height;
};

class M2BCRoundTripTest : public ::testing::TestWithParam<TRoundTrip> {};

TEST_P(M2BCRoundTripTest, EveryCopyPositionDecodesToTheEncodedPicture) {
  const TRoundTrip p = GetParam();
  const size_t lineBytes = p.Colors256 ? p.Width : p.Width / 2;
  std::mt19937 random(17);
  std::vector<uint8_t> pixels(lineBytes * p.Height);
  for (uint8_t& b : pixels) b = random() % 2 == 0 ? 0x12 : 0xF0;
  test::TMagEncoder encoder;
  TMagBuild m;
  m.Colors256 = p.Colors256;
  m.XStart = 1;
  m.XEnd = p.Width - 2;  // aligned out to the full width
  m.YEnd = p.Height - 1;
  encoder.Encode(pixels, lineBytes, p.Height, 99, m);
  for (int n = 0; n < 16; ++n) ASSERT_GT(encoder.Uses[n], 0) << "flag " << n << " never used";

  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < p.Height; ++y) {
    rows.emplace_back(pixels.begin() + y * lineBytes, pixels.begin() + (y + 1) * lineBytes);
  }
  const TPicture picture = Decode(m.Bytes());
  EXPECT_EQ(picture.Width, p.Width);
  ExpectPixels(picture, rows, p.Colors256);
}

INSTANTIATE_TEST_SUITE_P(Depths, M2BCRoundTripTest,
                         ::testing::Values(TRoundTrip{false, 64, 40}, TRoundTrip{true, 32, 40},
                                           TRoundTrip{false, 8, 64}));

// The picture decoded straight from MAG data is, pixel for pixel, the one
// the BMP converted from it gives, at both depths and for several sizes,
// over the whole range of palette indices.
TEST(M2BCTest, DirectDecodeGivesThePictureOfTheConvertedBmp) {
  std::mt19937 random(23);
  for (const TRoundTrip p : {TRoundTrip{false, 64, 40}, TRoundTrip{false, 8, 3}, TRoundTrip{true, 32, 40},
                             TRoundTrip{true, 4, 1}, TRoundTrip{true, 100, 7}}) {
    const size_t lineBytes = p.Colors256 ? p.Width : p.Width / 2;
    std::vector<uint8_t> pixels(lineBytes * p.Height);
    // Runs of one byte (so copies are used) between bytes of any value.
    for (uint8_t& b : pixels) b = random() % 3 == 0 ? static_cast<uint8_t>(random()) : 0x5A;
    TMagBuild m;
    m.Colors256 = p.Colors256;
    m.XEnd = p.Width - 1;
    m.YEnd = p.Height - 1;
    test::TMagEncoder encoder;
    encoder.Encode(pixels, lineBytes, p.Height, static_cast<uint32_t>(p.Width), m);
    const std::string data = m.Bytes();
    SCOPED_TRACE(std::to_string(p.Width) + "x" + std::to_string(p.Height) + (p.Colors256 ? " 256" : " 16"));

    std::string bmp;
    ASSERT_EQ(TM2BC::MMAG_MagtoBmp(data, bmp), 0);
    TPicture viaBmp;
    ASSERT_TRUE(DecodeBmp(bmp, viaBmp));
    TPicture direct;
    const TDecodeResult result = TM2BC().LoadFromMemory(data, direct);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.Warning, "");
    EXPECT_EQ(direct.Width, viaBmp.Width);
    EXPECT_EQ(direct.Height, viaBmp.Height);
    EXPECT_EQ(direct.Alpha, viaBmp.Alpha);
    EXPECT_EQ(direct.Pixels, viaBmp.Pixels);
    TPicture throughInterface;
    ASSERT_TRUE(TM2BC().Decode(data, throughInterface));
    EXPECT_EQ(throughInterface.Pixels, viaBmp.Pixels);
  }
}

// Every cut of a sample and many single-byte changes: a failure or a BMP of
// exactly the promised size that the BMP reader accepts, never a fault.
TEST(M2BCTest, TruncatedAndCorruptedFilesAreHandled) {
  std::mt19937 random(5);
  for (bool colors256 : {false, true}) {
    const size_t width = 16, height = 20;
    const size_t lineBytes = colors256 ? width : width / 2;
    std::vector<uint8_t> pixels(lineBytes * height);
    for (uint8_t& b : pixels) b = static_cast<uint8_t>(random() % 3 * 0x25);
    TMagBuild m;
    m.Colors256 = colors256;
    m.XEnd = static_cast<int>(width) - 1;
    m.YEnd = static_cast<int>(height) - 1;
    m.Comment = "x";
    test::TMagEncoder encoder;
    encoder.Encode(pixels, lineBytes, static_cast<int>(height), 3, m);
    const std::string sample = m.Bytes();

    for (size_t n = 0; n < sample.size(); ++n) {
      std::string bmp;
      ASSERT_EQ(TM2BC::MMAG_MagtoBmp(sample.substr(0, n), bmp), -1) << n;
      // The direct decode fails too, with the warning exactly when the size
      // probe passed.
      TPicture picture;
      const TDecodeResult direct = TM2BC().LoadFromMemory(sample.substr(0, n), picture);
      ASSERT_FALSE(direct) << n;
      ASSERT_EQ(direct.Warning.empty(), TM2BC::MMAG_GetBmpSize(sample.substr(0, n)) == 0) << n;
    }
    int decoded = 0;
    for (size_t i = 0; i < sample.size(); ++i) {
      for (int change : {0x01, 0x80, 0xFF, 0x1A ^ static_cast<uint8_t>(sample[i])}) {
        std::string bad = sample;
        bad[i] = static_cast<char>(bad[i] ^ change);
        std::string bmp;
        TPicture direct;
        const TDecodeResult result = TM2BC().LoadFromMemory(bad, direct);
        if (TM2BC::MMAG_MagtoBmp(bad, bmp) != 0) {
          ASSERT_FALSE(result) << i;
          continue;
        }
        ++decoded;
        ASSERT_EQ(bmp.size(), TM2BC::MMAG_GetBmpSize(bad)) << i;
        TPicture picture;
        ASSERT_TRUE(DecodeBmp(bmp, picture)) << i;
        ASSERT_TRUE(result) << i;
        ASSERT_EQ(direct.Pixels, picture.Pixels) << i;
      }
    }
    EXPECT_GT(decoded, 0);  // changes to pixel bytes and the palette still decode
  }
}

class M2BCFileTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }

  static THeadlessOptions Quiet() {
    THeadlessOptions o;
    o.EchoToStderr = false;
    return o;
  }

  THeadlessPlatform FPlatform{Quiet()};
  test::TTempDir FDir;
};

TEST_F(M2BCFileTest, LoadToBitmapReadsTheFile) {
  const std::string path = FDir.Write("a.mag", SixteenByFour().Bytes());
  TPicture picture;
  ASSERT_TRUE(TM2BC().LoadToBitmap(path, picture));
  EXPECT_EQ(picture.Width, 16);
  EXPECT_EQ(picture.Pixels[0], MagTestColor(0));
  EXPECT_EQ(picture.Pixels[16 * 3 + 15], MagTestColor(0));
  EXPECT_EQ(picture.Pixels[16 * 3 + 12], MagTestColor(0xF));
  EXPECT_TRUE(FPlatform.OutputLines().empty());
}

TEST_F(M2BCFileTest, FailuresLeaveTheBitmapAndWarnOnlyAfterTheSizeProbe) {
  TPicture picture;
  picture.Width = 3;
  // Not a MAG file, or missing: no warning.
  const std::string notMagPath = FDir.Write("b.mag", "MAKI01  \x1A" + std::string(40, '\0'));
  const TDecodeResult notMag = TM2BC().LoadToBitmap(notMagPath, picture);
  EXPECT_FALSE(notMag);
  EXPECT_EQ(notMag.Warning, "");
  const TDecodeResult missing = TM2BC().LoadToBitmap(FDir.Path() + "/missing.mag", picture);
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.Warning, "");
  // Cut short: the header gives a size, the decoding fails, and the warning
  // is for the caller to show: the decoder shows nothing itself.
  const std::string cut = SixteenByFour().Bytes();
  const std::string cutPath = FDir.Write("c.mag", cut.substr(0, cut.size() - 3));
  std::string stream = "kept";
  const TDecodeResult converted = TM2BC().MagToStream(cutPath, stream);
  EXPECT_FALSE(converted);
  EXPECT_EQ(converted.Warning, "Failed by MMAG_MagtoBmp");
  EXPECT_EQ(stream, "kept");
  const TDecodeResult decoded = TM2BC().LoadToBitmap(cutPath, picture);
  EXPECT_FALSE(decoded);
  EXPECT_EQ(decoded.Warning, "Failed by MMAG_MagtoBmp");
  EXPECT_TRUE(FPlatform.OutputLines().empty());
  EXPECT_EQ(picture.Width, 3);
}

}  // namespace
}  // namespace pelto5
