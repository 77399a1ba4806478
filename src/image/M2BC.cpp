#include "image/M2BC.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/ByteOrder.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

constexpr char kSignature[] = "MAKI02  ";
constexpr size_t kSignatureSize = 8;
constexpr size_t kHeaderSize = 32;

// Copy positions of the flags 1..15 (index 0 unused): units to the left and
// lines up from the unit being decoded.
constexpr std::array<int, 16> kLeft = {0, 1, 2, 4, 0, 1, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0};
constexpr std::array<int, 16> kUp = {0, 0, 0, 0, 1, 1, 2, 2, 2, 4, 4, 4, 8, 8, 8, 16};

constexpr size_t kInfoHeaderSize = 40;

size_t BmpSize(const TMagHeader& h) {
  return TM2BC::kBmpHeaderSize + h.BmpPaletteSize + h.LineBytes * static_cast<size_t>(h.Height);
}

// The 54-byte file and info headers of the converted BMP.
std::string BmpHeader(const TMagHeader& h) {
  std::string header = "BM";
  AppendLe32(header, static_cast<uint32_t>(BmpSize(h)));
  AppendLe32(header, 0);
  AppendLe32(header, static_cast<uint32_t>(TM2BC::kBmpHeaderSize + h.BmpPaletteSize));
  AppendLe32(header, kInfoHeaderSize);
  AppendLe32(header, static_cast<uint32_t>(h.Width));
  AppendLe32(header, static_cast<uint32_t>(h.Height));
  AppendLe16(header, 1);
  AppendLe16(header, h.Colors256 ? 8 : 4);
  // Compression, image size, resolutions and colour counts are all 0.
  header.resize(TM2BC::kBmpHeaderSize, '\0');
  return header;
}

// Turns the rows of a top-down image upside down, in place.
void FlipRows(uint8_t* pixels, size_t lineBytes, int height) {
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(pixels + top * lineBytes, pixels + (top + 1) * lineBytes, pixels + bottom * lineBytes);
  }
}

}  // namespace

int TM2BC::MMAG_ReadHeader(std::string_view data, TMagHeader& record) {
  const size_t eof = data.find('\x1A');
  if (eof == std::string_view::npos) return kHeaderMissing;
  const size_t h = eof + 1;
  if (data.size() < h + kHeaderSize) return kHeaderMissing;
  if (data.substr(0, kSignatureSize) != std::string_view(kSignature, kSignatureSize)) return kHeaderSignature;

  TMagHeader r;
  r.HeaderPos = h;
  const uint8_t topByte = static_cast<uint8_t>(data[h]);
  r.Colors256 = (static_cast<uint8_t>(data[h + 3]) & 0x80) != 0;
  r.XStart = static_cast<int>(ReadLe16(data, h + 4));
  r.YStart = static_cast<int>(ReadLe16(data, h + 6));
  r.XEnd = static_cast<int>(ReadLe16(data, h + 8));
  r.YEnd = static_cast<int>(ReadLe16(data, h + 10));
  r.FlagAOffset = ReadLe32(data, h + 12);
  r.FlagBOffset = ReadLe32(data, h + 16);
  r.FlagBSize = ReadLe32(data, h + 20);
  r.PixelOffset = ReadLe32(data, h + 24);
  r.PixelSize = ReadLe32(data, h + 28);

  r.Group = r.Colors256 ? 4 : 8;
  r.AlignedXStart = r.XStart / r.Group * r.Group;
  r.AlignedXEnd = (r.XEnd / r.Group + 1) * r.Group - 1;
  r.Width = r.AlignedXEnd - r.AlignedXStart + 1;
  r.Height = r.YEnd - r.YStart + 1;
  r.LineBytes = r.Colors256 ? static_cast<size_t>(std::max(r.Width, 0))
                            : static_cast<size_t>(std::max(r.Width, 0)) / 2;
  r.PaletteEntries = r.Colors256 ? 256 : 16;
  r.BmpPaletteSize = r.PaletteEntries * 4;

  if (topByte != 0 || r.AlignedXEnd - r.AlignedXStart <= 0) return kHeaderInvalid;
  // An upside-down range or a picture larger than a surface can hold is
  // refused here, before the converted BMP is allocated.
  if (!PictureSizeAllowed(r.Width, r.Height)) return kHeaderInvalid;
  record = r;

  const uint64_t length = data.size();
  // Flag A is one bit per flag byte, L / 4 of them a line, as one stream.
  const uint64_t flagABytes = (static_cast<uint64_t>(r.Height) * (r.LineBytes / 4) + 7) / 8;
  if (length < h + uint64_t{r.FlagAOffset} + flagABytes ||
      length < h + uint64_t{r.FlagBOffset} + r.FlagBSize || length < h + uint64_t{r.PixelOffset} + r.PixelSize) {
    return kHeaderTruncated;
  }
  return kHeaderOk;
}

int TM2BC::MMAG_ReadPalette(std::string_view data, uint8_t* bmpPalette, const TMagHeader& record) {
  const size_t start = record.HeaderPos + kHeaderSize;
  if (data.size() < start || data.size() - start < record.PaletteEntries * 3) return 1;
  for (size_t i = 0; i < record.PaletteEntries; ++i) {
    const size_t p = start + i * 3;  // green, red, blue
    bmpPalette[i * 4] = static_cast<uint8_t>(data[p + 2]);
    bmpPalette[i * 4 + 1] = static_cast<uint8_t>(data[p]);
    bmpPalette[i * 4 + 2] = static_cast<uint8_t>(data[p + 1]);
    bmpPalette[i * 4 + 3] = 0;
  }
  return 0;
}

namespace {

// The image is decoded as one top-down stream of units, where a copy takes
// the unit (up * L + 2 * left) bytes before the one being written; a copy
// with more units to the left than precede it in its line reaches into the
// end of the line above it. out receives LineBytes * Height bytes, the
// image's top line first.
bool DecodeRowsTopDown(std::string_view data, uint8_t* out, const TMagHeader& record) {
  const size_t lineBytes = record.LineBytes;
  const size_t flagCount = lineBytes / 4;
  const uint8_t* d = reinterpret_cast<const uint8_t*>(data.data());
  const uint64_t n = data.size();
  uint64_t a = record.HeaderPos + uint64_t{record.FlagAOffset};
  uint64_t b = record.HeaderPos + uint64_t{record.FlagBOffset};
  uint64_t s = record.HeaderPos + uint64_t{record.PixelOffset};
  uint8_t mask = 0x80;

  std::array<size_t, 16> back{};
  for (size_t i = 1; i < back.size(); ++i) back[i] = kUp[i] * lineBytes + 2 * kLeft[i];

  std::vector<uint8_t> flags(flagCount, 0);
  size_t o = 0;
  for (int y = 0; y < record.Height; ++y) {
    for (size_t i = 0; i < flagCount; ++i) {
      if (a >= n) return false;
      if ((d[a] & mask) != 0) {
        if (b >= n) return false;
        flags[i] ^= d[b++];
      }
      mask >>= 1;
      if (mask == 0) {
        mask = 0x80;
        ++a;
      }
      const uint8_t f = flags[i];
      if (f == 0) {
        if (s > n || n - s < 4) return false;
        std::memcpy(out + o, d + s, 4);
        s += 4;
        o += 4;
        continue;
      }
      for (const int nibble : {f >> 4, f & 0x0F}) {
        if (nibble == 0) {
          if (s > n || n - s < 2) return false;
          std::memcpy(out + o, d + s, 2);
          s += 2;
        } else {
          if (back[nibble] > o) return false;
          std::memcpy(out + o, out + o - back[nibble], 2);
        }
        o += 2;
      }
    }
  }
  return true;
}

}  // namespace

bool TM2BC::MMAG_DecodePixels(std::string_view data, uint8_t* bmpPixels, const TMagHeader& record) {
  if (!DecodeRowsTopDown(data, bmpPixels, record)) return false;
  FlipRows(bmpPixels, record.LineBytes, record.Height);
  return true;
}

size_t TM2BC::MMAG_GetBmpSize(std::string_view data) {
  TMagHeader record;
  const int code = MMAG_ReadHeader(data, record);
  if (code != kHeaderOk && code != kHeaderTruncated) return 0;
  return BmpSize(record);
}

int TM2BC::MMAG_MagtoBmp(std::string_view data, std::string& buffer) {
  TMagHeader record;
  if (MMAG_ReadHeader(data, record) != kHeaderOk) return -1;
  std::string bmp = BmpHeader(record);
  bmp.resize(BmpSize(record), '\0');
  uint8_t* bytes = reinterpret_cast<uint8_t*>(bmp.data());
  if (MMAG_ReadPalette(data, bytes + kBmpHeaderSize, record) != 0) return -1;
  if (!MMAG_DecodePixels(data, bytes + kBmpHeaderSize + record.BmpPaletteSize, record)) return -1;
  buffer = std::move(bmp);
  return 0;
}

TDecodeResult TM2BC::MagToStream(const std::string& fileName, std::string& stream) {
  std::string data;
  if (!TFileSystem::ReadFile(fileName, data)) return TDecodeResult::Refused();
  return MagDataToStream(data, stream);
}

TDecodeResult TM2BC::MagDataToStream(std::string_view data, std::string& stream) {
  if (MMAG_GetBmpSize(data) == 0) return TDecodeResult::Refused();
  std::string buffer;
  if (MMAG_MagtoBmp(data, buffer) != 0) return TDecodeResult::Failed(kMagtoBmpFailed);
  stream = std::move(buffer);
  return TDecodeResult::Decoded();
}

TDecodeResult TM2BC::LoadToBitmap(const std::string& fileName, TPicture& bitmap) {
  std::string data;
  if (!TFileSystem::ReadFile(fileName, data)) return TDecodeResult::Refused();
  return LoadFromMemory(data, bitmap);
}

// The same checks and steps as MMAG_MagtoBmp, with the palette and the
// decoded rows turned into pixels instead of a BMP file: the picture is
// the one the BMP would give.
TDecodeResult TM2BC::LoadFromMemory(std::string_view data, TPicture& bitmap) {
  TMagHeader record;
  const int code = MMAG_ReadHeader(data, record);
  // Not MAG data at all: refused without a word, like the size probe.
  if (code != kHeaderOk && code != kHeaderTruncated) return TDecodeResult::Refused();
  if (code != kHeaderOk) return TDecodeResult::Failed(kMagtoBmpFailed);
  std::array<uint8_t, 256 * 4> bmpPalette{};
  if (MMAG_ReadPalette(data, bmpPalette.data(), record) != 0) return TDecodeResult::Failed(kMagtoBmpFailed);
  std::vector<uint8_t> rows(record.LineBytes * static_cast<size_t>(record.Height));
  if (!DecodeRowsTopDown(data, rows.data(), record)) return TDecodeResult::Failed(kMagtoBmpFailed);

  std::array<uint32_t, 256> colors{};
  for (size_t i = 0; i < record.PaletteEntries; ++i) {
    colors[i] = bmpPalette[i * 4] | static_cast<uint32_t>(bmpPalette[i * 4 + 1]) << 8 |
                static_cast<uint32_t>(bmpPalette[i * 4 + 2]) << 16;
  }
  const size_t width = static_cast<size_t>(record.Width);
  std::vector<uint32_t> pixels(width * static_cast<size_t>(record.Height));
  for (int y = 0; y < record.Height; ++y) {
    const uint8_t* row = rows.data() + static_cast<size_t>(y) * record.LineBytes;
    uint32_t* out = pixels.data() + static_cast<size_t>(y) * width;
    if (record.Colors256) {
      for (size_t x = 0; x < width; ++x) out[x] = colors[row[x]];
    } else {
      // Two pixels a byte, the left one in the high nibble.
      for (size_t x = 0; x < width; x += 2) {
        out[x] = colors[row[x / 2] >> 4];
        out[x + 1] = colors[row[x / 2] & 0x0F];
      }
    }
  }
  bitmap.Width = record.Width;
  bitmap.Height = record.Height;
  bitmap.Alpha = TPictureAlpha::None;
  bitmap.Pixels = std::move(pixels);
  return TDecodeResult::Decoded();
}

bool TM2BC::IsSupported(std::string_view data) const {
  return data.substr(0, kSignatureSize) == std::string_view(kSignature, kSignatureSize);
}

}  // namespace pelto5
