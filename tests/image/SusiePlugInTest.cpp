// The plug-in loader with real shared objects: the sample PPM/PGM plug-in
// and fixed-answer test plug-ins (red, blue, a wrong API version, one whose
// GetPicture fails). Covers listing (duplicates, copies, versions, Windows
// DLLs), the order of decoding, and the conversion of the results.
#include "image/SusiePlugIn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "image/NativePlugIn.h"
#include "image/PortableExecutable.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/PlayerRun.h"

namespace pelto5 {
namespace {

std::string SamplePlugIn() { return PELTO5_SAMPLE_PLUGIN; }
std::string TestPlugIn(const std::string& name) { return std::string(PELTO5_TEST_PLUGINS) + "/" + name + ".spi"; }

// A binary PPM of width x height with the given 0xRRGGBB pixels.
std::string Ppm(int width, int height, const std::vector<uint32_t>& pixels) {
  std::string s = "P6\n# test\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (uint32_t p : pixels) {
    s.push_back(static_cast<char>(p >> 16));
    s.push_back(static_cast<char>(p >> 8));
    s.push_back(static_cast<char>(p));
  }
  return s;
}

class SusiePlugInTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallPlatform(&FPlatform); }
  void TearDown() override { InstallPlatform(nullptr); }

  // Copies a built plug-in into the test folder under name.
  void Place(const std::string& source, const std::string& name) {
    std::filesystem::copy_file(source, FDir.Path() + "/" + name);
  }
  std::string Mask() const { return FDir.Path() + "/*.spi"; }

  THeadlessPlatform FPlatform{[] {
    THeadlessOptions o;
    o.EchoToStderr = false;
    o.Trace = true;
    return o;
  }()};
  test::TTempDir FDir;
  TSusiePlugIn FPlugIns;
};

TEST_F(SusiePlugInTest, APlugInOpenedTwiceIsListedOnceAndCopiesAreListedEach) {
  Place(SamplePlugIn(), "ppm.spi");
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 1);
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 0);
  ASSERT_EQ(FPlugIns.GetPlugNum(), 1);
  const TSusiePlugInRecord* record = FPlugIns.GetPlugInInfo(0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->FileName, FDir.Path() + "/ppm.spi");
  EXPECT_EQ(record->ApiVersion, "00IN");
  EXPECT_EQ(record->Extensions, "*.PPM;*.PGM;*.PNM");
  EXPECT_EQ(record->FormatName, "Portable pixmap / graymap");
  EXPECT_EQ(FPlugIns.CheckPlug(FDir.Path() + "/ppm.spi"), 0);
  EXPECT_EQ(FPlugIns.CheckPlug(FDir.Path() + "/PPM.spi"), -1);
  EXPECT_EQ(FPlugIns.GetPlugInInfo(1), nullptr);
  EXPECT_EQ(FPlugIns.GetPlugInInfo(-1), nullptr);

  // Two more copies under other names, one with an upper-case extension.
  Place(SamplePlugIn(), "copy.SPI");
  Place(SamplePlugIn(), "zz.Spi");
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 2);
  EXPECT_EQ(FPlugIns.GetPlugNum(), 3);
  EXPECT_EQ(FPlugIns.Filter,
            "AllType   [*.*]|*.*|"
            "Portable pixmap / graymap   [*.PPM;*.PGM;*.PNM]|*.PPM;*.PGM;*.PNM|"
            "Portable pixmap / graymap   [*.PPM;*.PGM;*.PNM]|*.PPM;*.PGM;*.PNM|"
            "Portable pixmap / graymap   [*.PPM;*.PGM;*.PNM]|*.PPM;*.PGM;*.PNM|");

  EXPECT_TRUE(FPlugIns.ClosePlugIn());
  EXPECT_EQ(FPlugIns.GetPlugNum(), 0);
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 3);  // closed plug-ins load again
}

// The start of a PE file built for machine: "MZ", the pointer to the PE
// header at 0x3C, "PE\0\0" and the machine's number.
std::string PeHeadFor(uint16_t machine) {
  std::string head = "MZ" + std::string(0x3A, '\0') + std::string("\x40\0\0\0", 4) + std::string("PE\0\0", 4);
  head.push_back(static_cast<char>(machine & 0xFF));
  head.push_back(static_cast<char>(machine >> 8));
  return head + std::string(200, 'x');
}

// The trace lines of skipped plug-ins that contain reason.
std::vector<std::string> SkipLines(const THeadlessPlatform& platform, const std::string& reason) {
  std::vector<std::string> lines;
  for (const std::string& line : platform.OutputLines()) {
    if (line.rfind("plug-in skipped (" + reason + "): ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

TEST_F(SusiePlugInTest, WrongVersionsWindowsDllsAndOtherFilesAreSkipped) {
  Place(TestPlugIn("oldver"), "archive.spi");
  FDir.Write("text.spi", "not a library");
  Place(SamplePlugIn(), "ppm.dll");  // not the extension
#ifdef _WIN32
  // Here a DLL of the other machine is skipped, and so is a file that is
  // no DLL at all, each with one line.
  const bool is64 = TPortableExecutable::OwnMachine() == TPortableExecutable::kMachineAmd64;
  FDir.Write("other.spi",
             PeHeadFor(is64 ? TPortableExecutable::kMachineI386 : TPortableExecutable::kMachineAmd64));
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 0);
  EXPECT_EQ(FPlugIns.GetPlugNum(), 0);
  const std::vector<std::string> other = SkipLines(FPlatform, is64 ? "a 32-bit x86 DLL" : "a 64-bit x86 DLL");
  ASSERT_EQ(other.size(), 1u);
  EXPECT_NE(other[0].find("other.spi"), std::string::npos) << other[0];
  const std::vector<std::string> noDll = SkipLines(FPlatform, "not a Windows DLL");
  ASSERT_EQ(noDll.size(), 1u);
  EXPECT_NE(noDll[0].find("text.spi"), std::string::npos) << noDll[0];
#else
  FDir.Write("windows.spi", PeHeadFor(TPortableExecutable::kMachineI386));
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 0);
  EXPECT_EQ(FPlugIns.GetPlugNum(), 0);
  const std::vector<std::string> dll = SkipLines(FPlatform, "a Windows DLL");
  ASSERT_EQ(dll.size(), 1u);
  EXPECT_NE(dll[0].find("windows.spi"), std::string::npos) << dll[0];
#endif

  TPicture picture;
  EXPECT_FALSE(FPlugIns.LoadFromMemory(Ppm(1, 1, {0x123456}), picture));
}

TEST_F(SusiePlugInTest, AWindowsDllIsSkippedWithoutAnyLineWhenNotTracing) {
  THeadlessOptions quiet;
  quiet.EchoToStderr = false;
  THeadlessPlatform platform(quiet);
  InstallPlatform(&platform);
  FDir.Write("windows.spi", "MZ" + std::string(100, '\0'));
  EXPECT_EQ(FPlugIns.OpenPlugIn(Mask()), 0);
  EXPECT_TRUE(platform.OutputLines().empty());
  InstallPlatform(&FPlatform);
}

TEST_F(SusiePlugInTest, TheFirstPlugInThatAcceptsAPictureDecodesIt) {
  Place(TestPlugIn("blue"), "b.spi");
  Place(TestPlugIn("red"), "a.spi");
  ASSERT_EQ(FPlugIns.OpenPlugIn(Mask()), 2);
  TPicture picture;
  ASSERT_TRUE(FPlugIns.LoadFromMemory(Ppm(1, 1, {0}), picture));
  ASSERT_EQ(picture.Width, 2);
  EXPECT_EQ(picture.Pixels[0] & 0xFFFFFF, 0xFF0000u);  // a.spi, found first

  // Neither accepts what does not start with "P6".
  TPicture untouched;
  EXPECT_FALSE(FPlugIns.LoadFromMemory("P5 1 1 255 x", untouched));
  EXPECT_EQ(untouched.Width, 0);
}

TEST_F(SusiePlugInTest, APlugInWhoseGetPictureFailsLetsTheNextOneTry) {
  Place(TestPlugIn("fail"), "1fail.spi");
  Place(SamplePlugIn(), "2ppm.spi");
  ASSERT_EQ(FPlugIns.OpenPlugIn(Mask()), 2);
  TPicture picture;
  ASSERT_TRUE(FPlugIns.LoadFromMemory(Ppm(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x808080}), picture));
  ASSERT_EQ(picture.Width, 2);
  ASSERT_EQ(picture.Height, 2);
  const std::vector<uint32_t> expected = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(picture.Pixels[i] & 0xFFFFFF, expected[i]) << i;
}

TEST_F(SusiePlugInTest, TheSamplePlugInReadsGreyAndDeepPictures) {
  Place(SamplePlugIn(), "ppm.spi");
  ASSERT_EQ(FPlugIns.OpenPlugIn(Mask()), 1);
  // 3 x 2 grey, rows padded in the bitmap; maxval 15 scales up.
  std::string pgm = "P5 3 2 15\n";
  for (int v : {0, 5, 15, 10, 1, 7}) pgm.push_back(static_cast<char>(v));
  TPicture grey;
  ASSERT_TRUE(FPlugIns.LoadFromMemory(pgm, grey));
  ASSERT_EQ(grey.Width, 3);
  ASSERT_EQ(grey.Height, 2);
  int i = 0;
  for (int v : {0, 5, 15, 10, 1, 7}) {
    const uint32_t g = static_cast<uint32_t>(v * 255 / 15);
    EXPECT_EQ(grey.Pixels[i++] & 0xFFFFFF, g << 16 | g << 8 | g);
  }
  // 16-bit samples, most significant byte first.
  const std::string deep = std::string("P6 1 1 65535\n") + std::string("\xFF\xFF\x80\x00\x00\x01", 6);
  TPicture colour;
  ASSERT_TRUE(FPlugIns.LoadFromMemory(deep, colour));
  EXPECT_EQ(colour.Pixels[0] & 0xFFFFFF, 0xFF7F00u);
  // Cut short: the plug-in refuses, so nobody decodes it.
  TPicture none;
  EXPECT_FALSE(FPlugIns.LoadFromMemory(Ppm(4, 4, {1, 2, 3}), none));
}

// --- Conversion of GetPicture results --------------------------------------

void Put32(std::string& s, size_t p, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[p + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An info block: 40-byte header and a colour table of tableEntries entries.
std::string Info(int32_t width, int32_t height, int bitCount, uint32_t sizeImage, size_t tableEntries = 0) {
  std::string s(40 + 4 * tableEntries, '\0');
  Put32(s, 0, 40);
  Put32(s, 4, static_cast<uint32_t>(width));
  Put32(s, 8, static_cast<uint32_t>(height));
  s[12] = 1;
  s[14] = static_cast<char>(bitCount);
  Put32(s, 20, sizeImage);
  Put32(s, 32, static_cast<uint32_t>(tableEntries));
  for (size_t i = 0; i < tableEntries; ++i) Put32(s, 40 + 4 * i, 0x00101010u * static_cast<uint32_t>(i));
  return s;
}

bool Convert(const std::string& info, const std::string& bits, TPicture& picture) {
  return TNativePlugIn::ConvertResult(reinterpret_cast<const uint8_t*>(info.data()), info.size(),
                                      reinterpret_cast<const uint8_t*>(bits.data()), bits.size(), picture);
}

TEST(NativePlugInResultTest, ResultsBecomePicturesInEveryDepthAndBothRowOrders) {
  TPicture p;
  // 1 bit, 2 x 2, bottom-up: the first row in the bits is the bottom one.
  ASSERT_TRUE(Convert(Info(2, 2, 1, 8, 2), std::string("\x40\0\0\0\x80\0\0\0", 8), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0x101010, 0, 0, 0x101010}));
  // 4 bits, top-down.
  ASSERT_TRUE(Convert(Info(2, -1, 4, 4, 16), std::string("\x3A\0\0\0", 4), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0x303030, 0xA0A0A0}));
  // 8 bits with a short colour table (entries beyond it are black).
  ASSERT_TRUE(Convert(Info(1, 1, 8, 4, 3), std::string("\x02\0\0\0", 4), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0x202020}));
  ASSERT_TRUE(Convert(Info(1, 1, 8, 4, 3), std::string("\x09\0\0\0", 4), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0}));
  // 16 bits (5-5-5), 24 and 32 bits.
  ASSERT_TRUE(Convert(Info(1, 1, 16, 4), std::string("\x1F\x7C\0\0", 4), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0xFF00FF}));
  ASSERT_TRUE(Convert(Info(1, 1, 24, 4), std::string("\x01\x02\x03\0", 4), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0x030201}));
  ASSERT_TRUE(Convert(Info(1, -2, 32, 8), std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8), p));
  EXPECT_EQ(p.Pixels, (std::vector<uint32_t>{0x030201, 0x070605}));
}

TEST(NativePlugInResultTest, NonsenseSizesAndShortBitsAreRefused) {
  const std::string bits(64, '\0');
  TPicture p;
  EXPECT_FALSE(Convert(Info(4, 4, 24, 47), bits, p));  // rows need 16 * 3 bytes
  EXPECT_TRUE(Convert(Info(4, 4, 24, 48), bits, p));
  EXPECT_FALSE(Convert(Info(0, 4, 24, 48), bits, p));
  EXPECT_FALSE(Convert(Info(-4, 4, 24, 48), bits, p));
  EXPECT_FALSE(Convert(Info(60000, 60000, 24, 48), bits, p));
  EXPECT_FALSE(Convert(Info(4, 4, 7, 48), bits, p));  // no such depth
  std::string badHeader = Info(4, 4, 24, 48);
  Put32(badHeader, 0, 12);  // header too small for a plug-in result
  EXPECT_FALSE(Convert(badHeader, bits, p));
  Put32(badHeader, 0, 4000);  // header larger than any there is
  EXPECT_FALSE(Convert(badHeader, bits, p));
  // The colour table the header promises must be in the block.
  const std::string shortTable = Info(1, 1, 8, 4, 256).substr(0, 40 + 100);
  EXPECT_FALSE(Convert(shortTable, bits, p));
  EXPECT_EQ(p.Width, 4);  // the last success is still there
}

}  // namespace
}  // namespace pelto5
