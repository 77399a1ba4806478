// Files under 1 KB whose headers claim huge pictures (or package entries)
// must be refused before the memory is allocated, in every decoder. Each
// case runs in a child process whose peak resident size (VmHWM, which
// starts at the current size after fork) shows whether a large block was
// allocated and filled; a complete large picture shows that the measure
// sees one. Pictures that their data really fills, up to the limits, still
// decode.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "content/PackageReader.h"
#include "content/PackageTestSupport.h"
#include "graphics/PngTestSupport.h"
#include "image/BmpDecoder.h"
#include "image/GifDecoder.h"
#include "image/ImageTestSupport.h"
#include "image/JpegDecoder.h"
#include "image/M2BC.h"
#include "image/MagTestSupport.h"
#include "image/NativePlugIn.h"
#include "image/PngDecoder.h"

namespace pelto5 {
namespace {

// The most a short file may make the peak grow by.
constexpr long kBoundKb = 32 * 1024;

#ifndef _WIN32
long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}
#endif

struct TChildRun {
  bool Reported = false;
  bool Ok = false;
  long GrowthKb = -1;
};

// Runs work in a child and reports its result and how far the child's
// peak resident size grew while it ran.
TChildRun PeakGrowthOf(const std::function<bool()>& work) {
  TChildRun run;
#ifdef _WIN32
  (void)work;
#else
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return run;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    const long before = PeakResidentKb();
    const bool ok = work();
    const long growth = PeakResidentKb() - before;
    char report[64];
    const int n = std::snprintf(report, sizeof report, "%d %ld", ok ? 1 : 0, growth);
    if (write(pipeFds[1], report, static_cast<size_t>(n)) != n) _exit(2);
    _exit(0);
  }
  close(pipeFds[1]);
  char buffer[64] = {};
  const ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  int ok = 0;
  if (n > 0 && std::sscanf(buffer, "%d %ld", &ok, &run.GrowthKb) == 2) {
    run.Reported = true;
    run.Ok = ok != 0;
  }
#endif
  return run;
}

void Put32(std::string& s, size_t p, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[p + i] = static_cast<char>(v >> (8 * i));
}

// A BMP with a 40-byte header, no colour table, the given compression and
// depth, claiming width x height, followed by bits.
std::string Bmp(int32_t width, int32_t height, int bitCount, uint32_t compression, const std::string& bits) {
  std::string s(54, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(54 + bits.size()));
  Put32(s, 10, 54);
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(width));
  Put32(s, 22, static_cast<uint32_t>(height));
  s[26] = 1;
  s[28] = static_cast<char>(bitCount);
  Put32(s, 30, compression);
  Put32(s, 34, static_cast<uint32_t>(bits.size()));
  return s + bits;
}

std::string Repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string s;
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(data.size() >> (8 * i)));
  const std::string body = type + data;
  s += body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(crc >> (8 * i)));
  return s;
}

// A PNG claiming width x height whose pixel data is a few bytes of zlib
// stream: as much as the rest of a 1 KB file could hold.
std::string ShortPng(uint32_t width, uint32_t height, int bitDepth, int colorType, bool interlaced) {
  std::string ihdr;
  for (uint32_t v : {width, height}) {
    for (int i = 3; i >= 0; --i) ihdr.push_back(static_cast<char>(v >> (8 * i)));
  }
  ihdr += {static_cast<char>(bitDepth), static_cast<char>(colorType), 0, 0,
           static_cast<char>(interlaced ? 1 : 0)};
  std::string idat = "\x78\x9C";
  idat += std::string(900, '\0');
  return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", ihdr) + PngChunk("IDAT", idat) +
         PngChunk("IEND", "");
}

std::vector<uint32_t> Flat(int width, int height) {
  return std::vector<uint32_t>(size_t(width) * height, 0x808080);
}

// A small JPEG with the size in its frame header changed.
std::string JpegClaiming(int width, int height, bool progressive, bool grey) {
  test::TJpegOptions options;
  options.Progressive = progressive;
  options.Grey = grey;
  std::string jpeg = test::EncodeJpeg(16, 16, Flat(16, 16), options);
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    const auto m = static_cast<uint8_t>(jpeg[i + 1]);
    if (static_cast<uint8_t>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width);
      break;
    }
  }
  return jpeg;
}

// A 4 x 4 GIF on a screen of the given size, or with its frame claiming it.
std::string GifClaiming(int width, int height, bool frame) {
  test::TGifOptions options;
  if (!frame) {
    options.ScreenWidth = width;
    options.ScreenHeight = height;
  }
  std::string gif = test::EncodeGif(4, 4, std::vector<uint8_t>(16, 1), {0, 0xFFFFFF}, options);
  if (frame) {
    const size_t descriptor = gif.find('\x2C', 13);  // after header and global colour table
    gif[6] = gif[descriptor + 5] = static_cast<char>(width);
    gif[7] = gif[descriptor + 6] = static_cast<char>(width >> 8);
    gif[8] = gif[descriptor + 7] = static_cast<char>(height);
    gif[9] = gif[descriptor + 8] = static_cast<char>(height >> 8);
  }
  return gif;
}

// A MAG header claiming width x height, with flag and pixel streams of a
// few bytes.
std::string MagClaiming(int width, int height, bool colors256) {
  test::TMagBuild m;
  m.Colors256 = colors256;
  m.XEnd = width - 1;
  m.YEnd = height - 1;
  m.FlagA = std::string(16, '\0');
  m.Pixels = std::string(64, '\x11');
  return m.Bytes();
}

// A plug-in's answer: a 40-byte info block for width x height, and bits.
bool ConvertPlugInResult(int32_t width, int32_t height, int bitCount, uint32_t compression,
                         const std::string& bits) {
  std::string info = Bmp(width, height, bitCount, compression, "").substr(14);
  Put32(info, 20, static_cast<uint32_t>(bits.size()));
  info += std::string(4 * 256, '\0');  // the colour table
  TPicture picture;
  return TNativePlugIn::ConvertResult(reinterpret_cast<const uint8_t*>(info.data()), info.size(),
                                      reinterpret_cast<const uint8_t*>(bits.data()), bits.size(), picture);
}

// A package of one compressed entry, plain deflated, whose header claims an
// uncompressed size of 4 GB.
std::string PackageClaimingAHugeEntry(const std::string& plain) {
  std::string stored(compressBound(plain.size()), '\0');
  uLongf storedSize = stored.size();
  if (compress(reinterpret_cast<Bytef*>(stored.data()), &storedSize,
               reinterpret_cast<const Bytef*>(plain.data()), plain.size()) != Z_OK) {
    return "";
  }
  stored.resize(storedSize);
  PackageEntry entry;
  entry.Name = "big.bmp";
  entry.Compressed = true;
  entry.StoredSize = static_cast<uint32_t>(stored.size());
  entry.UncompressedSize = 0xFFFFFFFFu;
  entry.DataChecksum = PackageChecksum(stored.data(), stored.size());
  return test::ArchiveHeaderBytes("PV5PKG") + PackageEntryHeaderBytes(entry) + stored + "EP";
}

// Opens the package bytes from a file and reads its entry "big.bmp"; true
// if it holds size bytes.
bool ExtractFromPackageFile(const std::string& bytes, size_t size) {
  test::TTempFolder folder;
  const std::string path = folder.File("claims.pp5");
  test::WriteFileBytes(path, bytes);
  PackageReader reader;
  std::string data;
  return OpenPackage(path, reader) && ExtractEntry(reader, "big.bmp", data) && data.size() == size;
}

// An old-layout package whose directory claims 2^31 - 1 entries.
std::string LegacyPackageClaimingHugeCount() {
  std::string bytes = test::LegacyArchiveBytes({{"big.bmp", 0, 0, "data"}});
  bytes.replace(264, 4, test::LittleEndian32(0x7FFFFFFFu));
  return bytes;
}

struct TClaim {
  std::string What;
  std::string Bytes;
  std::function<bool(std::string_view)> Decode;
};

bool AsBmp(std::string_view d) {
  TPicture p;
  return DecodeBmp(d, p);
}
bool AsPng(std::string_view d) {
  TPicture p;
  return DecodePng(d, p);
}
bool AsJpeg(std::string_view d) {
  TPicture p;
  return DecodeJpeg(d, p);
}
bool AsGif(std::string_view d) {
  TPicture p;
  return DecodeGif(d, p);
}
bool AsMag(std::string_view d) {
  TPicture p;
  return static_cast<bool>(TM2BC().LoadFromMemory(d, p));
}
bool AsMagStream(std::string_view d) {
  std::string s;
  return static_cast<bool>(TM2BC().MagDataToStream(d, s));
}

TEST(DecoderAllocation, ShortFilesClaimingHugePicturesAreRefusedWithoutALargeAllocation) {
#ifdef _WIN32
  GTEST_SKIP() << "measures each case in a forked child whose peak resident size starts afresh; Windows has no fork";
#endif
  const std::string runs8 = Repeat(std::string("\xFF\x05", 2), 200) + std::string("\0\1", 2);
  const std::string deltas = Repeat(std::string("\0\2\0\xFF", 4), 30) + std::string("\x10\x07\0\1", 4);
  const std::vector<TClaim> claims = {
      {"24-bit BMP, 16000 x 16000", Bmp(16000, 16000, 24, 0, std::string(16, '\x7F')), AsBmp},
      {"24-bit BMP, 8192 x -8192", Bmp(8192, -8192, 24, 0, std::string(16, '\x7F')), AsBmp},
      {"RLE4 BMP of 58 bytes, 4000 x 4000", Bmp(4000, 4000, 4, 2, std::string("\0\1\0\0", 4)), AsBmp},
      {"RLE8 BMP of runs, 8192 x 8192", Bmp(8192, 8192, 8, 1, runs8), AsBmp},
      {"RLE8 BMP of deltas, 8192 x 8192", Bmp(8192, 8192, 8, 1, deltas), AsBmp},
      {"PNG, RGBA 8192 x 8192", ShortPng(8192, 8192, 8, 6, false), AsPng},
      {"PNG, interlaced RGB 8192 x 8192", ShortPng(8192, 8192, 8, 2, true), AsPng},
      {"PNG, 1-bit 16384 x 4096", ShortPng(16384, 4096, 1, 0, false), AsPng},
      {"PNG, interlaced 1-bit 16384 x 4096", ShortPng(16384, 4096, 1, 0, true), AsPng},
      {"JPEG, baseline 8192 x 8192", JpegClaiming(8192, 8192, false, false), AsJpeg},
      {"JPEG, progressive 8192 x 8192", JpegClaiming(8192, 8192, true, false), AsJpeg},
      {"JPEG, grey 8192 x 8192", JpegClaiming(8192, 8192, false, true), AsJpeg},
      {"GIF, screen 8192 x 8192", GifClaiming(8192, 8192, false), AsGif},
      {"GIF, frame 8192 x 8192", GifClaiming(8192, 8192, true), AsGif},
      {"MAG, 16 colours 8192 x 8192", MagClaiming(8192, 8192, false), AsMag},
      {"MAG, 256 colours 8192 x 8192", MagClaiming(8192, 8192, true), AsMag},
      {"MAG as a BMP stream, 8192 x 8192", MagClaiming(8192, 8192, false), AsMagStream},
  };
  for (const TClaim& claim : claims) {
    ASSERT_LT(claim.Bytes.size(), 1024u) << claim.What;
    const TChildRun run = PeakGrowthOf([&claim] { return claim.Decode(claim.Bytes); });
    ASSERT_TRUE(run.Reported) << claim.What;
    EXPECT_FALSE(run.Ok) << claim.What;
    EXPECT_LT(run.GrowthKb, kBoundKb) << claim.What << ": peak grew by " << run.GrowthKb << " kB";
  }
}

TEST(DecoderAllocation, PlugInResultsAndPackageEntriesClaimingHugeSizesCostLittle) {
#ifdef _WIN32
  GTEST_SKIP() << "measures each case in a forked child whose peak resident size starts afresh; Windows has no fork";
#endif
  // A plug-in's RLE answer: 4 bytes of bits for a 8192 x 8192 picture.
  TChildRun run =
      PeakGrowthOf([] { return ConvertPlugInResult(8192, 8192, 8, 1, std::string("\0\1\0\0", 4)); });
  ASSERT_TRUE(run.Reported);
  EXPECT_FALSE(run.Ok);
  EXPECT_LT(run.GrowthKb, kBoundKb);
  // An uncompressed answer whose bits cannot hold its rows.
  run = PeakGrowthOf([] { return ConvertPlugInResult(8192, 8192, 24, 0, std::string(64, '\0')); });
  ASSERT_TRUE(run.Reported);
  EXPECT_FALSE(run.Ok);
  EXPECT_LT(run.GrowthKb, kBoundKb);
  // An entry claiming 4 GB is read as what its stream holds, whether that
  // is small or as large as the claim could be of the data (64 kB that
  // does not compress could stand for 64 MB).
  const std::string package = PackageClaimingAHugeEntry(std::string(64 * 1024, 'a'));
  ASSERT_LT(package.size(), 1024u);
  run = PeakGrowthOf([&package] { return ExtractFromPackageFile(package, 64 * 1024); });
  ASSERT_TRUE(run.Reported);
  EXPECT_TRUE(run.Ok);
  EXPECT_LT(run.GrowthKb, kBoundKb);
  std::mt19937 random(7);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string larger = PackageClaimingAHugeEntry(noise);
  run = PeakGrowthOf([&larger] { return ExtractFromPackageFile(larger, 64 * 1024); });
  ASSERT_TRUE(run.Reported);
  EXPECT_TRUE(run.Ok);
  // Far below the 64 MB the claim would have made room for (the sanitizer
  // build's allocator adds a few MB of its own).
  EXPECT_LT(run.GrowthKb, 16 * 1024);
  // A directory claiming more entries than the file holds is refused.
  const std::string legacy = LegacyPackageClaimingHugeCount();
  ASSERT_LT(legacy.size(), 1024u);
  run = PeakGrowthOf([&legacy] { return ExtractFromPackageFile(legacy, 4); });
  ASSERT_TRUE(run.Reported);
  EXPECT_FALSE(run.Ok);
  EXPECT_LT(run.GrowthKb, kBoundKb);
}

TEST(DecoderAllocation, TheMeasureSeesAPictureThatIsAllocated) {
#ifdef _WIN32
  GTEST_SKIP() << "measures each case in a forked child whose peak resident size starts afresh; Windows has no fork";
#endif
  // A complete 2048 x 2048 bitmap: 16 MB of pixels.
  const std::string full = Bmp(2048, 2048, 24, 0, std::string(size_t{2048} * 2048 * 3, '\x7F'));
  const TChildRun run = PeakGrowthOf([&full] { return AsBmp(full); });
  ASSERT_TRUE(run.Reported);
  EXPECT_TRUE(run.Ok);
  EXPECT_GT(run.GrowthKb, 12 * 1024);
}

// What the bounds let through: pictures their data fills, whatever the
// ratio a format reaches, and pictures left undefined up to the allowance.
TEST(DecoderAllocation, PicturesThatTheirDataFillsStillDecode) {
  TPicture p;
  // RLE8 runs of 250 covering every pixel of 4000 x 4000 (136 kB of runs).
  const std::string row = Repeat(std::string("\xFA\x01", 2), 16) + std::string("\0\0", 2);
  ASSERT_TRUE(DecodeBmp(Bmp(4000, 4000, 8, 1, Repeat(row, 4000)), p));
  EXPECT_EQ(p.Width, 4000);
  // A full-HD RLE picture left undefined by an end code at once.
  ASSERT_TRUE(DecodeBmp(Bmp(1920, 1080, 4, 2, std::string("\0\1", 2)), p));
  EXPECT_EQ(p.Height, 1080);
  // A flat PNG near deflate's largest ratio.
  test::TPngImage flat;
  flat.Width = flat.Height = 2048;
  flat.ColorType = PNG_COLOR_TYPE_GRAY;
  const std::string png = test::EncodePng(flat);
  ASSERT_LT(png.size(), size_t{2048} * 2048 / 500);
  ASSERT_TRUE(DecodePng(png, p));
  EXPECT_EQ(p.Width, 2048);
  // The same picture as a 1-bit interlaced PNG.
  flat.BitDepth = 1;
  flat.Interlaced = true;
  ASSERT_TRUE(DecodePng(test::EncodePng(flat), p));
  EXPECT_EQ(p.Height, 2048);
  // A flat progressive JPEG: about a bit a block.
  test::TJpegOptions options;
  options.Progressive = true;
  options.Grey = true;
  const std::string jpeg = test::EncodeJpeg(2048, 2048, Flat(2048, 2048), options);
  ASSERT_TRUE(DecodeJpeg(jpeg, p));
  EXPECT_EQ(p.Width, 2048);
  // A GIF frame of one colour on a screen larger than it.
  test::TGifOptions screen;
  screen.ScreenWidth = 1920;
  screen.ScreenHeight = 1080;
  ASSERT_TRUE(
      DecodeGif(test::EncodeGif(1024, 1024, std::vector<uint8_t>(1024 * 1024, 1), {0, 0xFFFFFF}, screen), p));
  EXPECT_EQ(p.Width, 1920);
}

}  // namespace
}  // namespace pelto5
