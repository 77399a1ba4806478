// BMP reading: the file and info headers, bit-field masks, colour tables,
// uncompressed rows and RLE runs, each checked against the data.
#include "image/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "base/ByteOrder.h"

namespace pelto5 {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kCoreHeaderSize = 12;

enum : uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitFields = 3,
  kBiAlphaBitFields = 6,
};

// One colour channel described by a bit mask, scaled to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit TChannel(uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    while (((mask >> Shift) & 1) == 0) ++Shift;
    while (Shift + Bits < 32 && ((mask >> (Shift + Bits)) & 1) != 0) ++Bits;
  }

  uint32_t Extract(uint32_t value) const {
    if (Bits == 0) return 0;
    const uint32_t v = (value & Mask) >> Shift;
    if (Bits >= 8) return (v >> (Bits - 8)) & 0xFF;
    const uint32_t max = (1u << Bits) - 1;
    return (v & max) * 255 / max;
  }
};

struct TBmpInfo {
  int Width = 0;
  int Height = 0;
  bool TopDown = false;
  int BitCount = 0;
  uint32_t Compression = kBiRgb;
  std::array<uint32_t, 256> Palette{};  // 0x00RRGGBB, missing entries black
  TChannel Red, Green, Blue;
};

// Reads the info header at the start of d (any of the header sizes), the
// bit-field masks and the colour table. Colour-table entries are read only
// below paletteLimit (bytes from the start of d), where the pixels start.
bool ReadInfoHeader(std::string_view d, size_t paletteLimit, TBmpInfo& info) {
  if (d.size() < kCoreHeaderSize) return false;
  const size_t headerSize = ReadLe32(d, 0);
  if (headerSize < kCoreHeaderSize || headerSize > d.size()) return false;
  int64_t width = 0;
  int64_t height = 0;
  size_t paletteEntrySize = 4;
  uint32_t colorsUsed = 0;
  size_t afterHeader = headerSize;
  if (headerSize == kCoreHeaderSize) {
    width = ReadLe16(d, 4);
    height = static_cast<int16_t>(ReadLe16(d, 6));
    info.BitCount = static_cast<int>(ReadLe16(d, 10));
    paletteEntrySize = 3;
  } else {
    if (headerSize < kInfoHeaderSize) return false;
    width = static_cast<int32_t>(ReadLe32(d, 4));
    height = static_cast<int32_t>(ReadLe32(d, 8));
    info.BitCount = static_cast<int>(ReadLe16(d, 14));
    info.Compression = ReadLe32(d, 16);
    colorsUsed = ReadLe32(d, 32);
  }
  if (width <= 0 || height == 0) return false;
  info.TopDown = height < 0;
  height = height < 0 ? -height : height;
  if (!PictureSizeAllowed(width, height)) return false;
  info.Width = static_cast<int>(width);
  info.Height = static_cast<int>(height);

  const int bpp = info.BitCount;
  switch (info.Compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
      break;
    case kBiRle8:
      if (bpp != 8) return false;
      break;
    case kBiRle4:
      if (bpp != 4) return false;
      break;
    case kBiBitFields:
    case kBiAlphaBitFields:
      if (bpp != 16 && bpp != 32) return false;
      break;
    default:
      return false;
  }
  if (info.TopDown && (info.Compression == kBiRle8 || info.Compression == kBiRle4)) return false;

  if (bpp == 16) {
    info.Red = TChannel(0x7C00);
    info.Green = TChannel(0x03E0);
    info.Blue = TChannel(0x001F);
  } else if (bpp == 32) {
    info.Red = TChannel(0xFF0000);
    info.Green = TChannel(0x00FF00);
    info.Blue = TChannel(0x0000FF);
  }
  if (info.Compression == kBiBitFields || info.Compression == kBiAlphaBitFields) {
    // Masks sit inside the longer headers, or right after a 40-byte one.
    const size_t masks = kInfoHeaderSize;
    if (headerSize == kInfoHeaderSize) {
      afterHeader += info.Compression == kBiAlphaBitFields ? 16 : 12;
    }
    if (masks + 12 > d.size()) return false;
    info.Red = TChannel(ReadLe32(d, masks));
    info.Green = TChannel(ReadLe32(d, masks + 4));
    info.Blue = TChannel(ReadLe32(d, masks + 8));
  }

  if (bpp <= 8) {
    size_t count = size_t{1} << bpp;
    if (colorsUsed != 0 && colorsUsed < count) count = colorsUsed;
    // Where the pixels start before the table ends, the table runs on.
    const size_t limit = std::min(d.size(), paletteLimit > afterHeader ? paletteLimit : d.size());
    for (size_t i = 0; i < count; ++i) {
      const size_t p = afterHeader + i * paletteEntrySize;
      if (p + 3 > limit) break;
      info.Palette[i] = static_cast<uint32_t>(static_cast<uint8_t>(d[p])) |
                        static_cast<uint32_t>(static_cast<uint8_t>(d[p + 1])) << 8 |
                        static_cast<uint32_t>(static_cast<uint8_t>(d[p + 2])) << 16;
    }
  }
  return true;
}

// Bytes the uncompressed rows take, the last row without its padding.
uint64_t UncompressedSize(const TBmpInfo& info) {
  const uint64_t bits = static_cast<uint64_t>(info.Width) * info.BitCount;
  return ((bits + 31) / 32) * 4 * (info.Height - 1) + (bits + 7) / 8;
}

void DecodeUncompressed(std::string_view d, const TBmpInfo& info, std::vector<uint32_t>& pixels) {
  const int bpp = info.BitCount;
  const size_t stride = ((static_cast<size_t>(info.Width) * bpp + 31) / 32) * 4;
  const auto* base = reinterpret_cast<const uint8_t*>(d.data());
  for (int fileRow = 0; fileRow < info.Height; ++fileRow) {
    const uint8_t* s = base + stride * fileRow;
    const int y = info.TopDown ? fileRow : info.Height - 1 - fileRow;
    uint32_t* out = pixels.data() + static_cast<size_t>(y) * info.Width;
    for (int x = 0; x < info.Width; ++x) {
      switch (bpp) {
        case 1: out[x] = info.Palette[(s[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: out[x] = info.Palette[(s[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F]; break;
        case 8: out[x] = info.Palette[s[x]]; break;
        case 24: out[x] = s[3 * x] | static_cast<uint32_t>(s[3 * x + 1]) << 8 | static_cast<uint32_t>(s[3 * x + 2]) << 16; break;
        default: {
          const uint32_t v = bpp == 16 ? (s[2 * x] | static_cast<uint32_t>(s[2 * x + 1]) << 8)
                                       : (s[4 * x] | static_cast<uint32_t>(s[4 * x + 1]) << 8 |
                                          static_cast<uint32_t>(s[4 * x + 2]) << 16 |
                                          static_cast<uint32_t>(s[4 * x + 3]) << 24);
          out[x] = info.Red.Extract(v) << 16 | info.Green.Extract(v) << 8 | info.Blue.Extract(v);
        }
      }
    }
  }
}

// RLE8 and RLE4: runs and absolute blocks of palette indices, with line,
// delta and end codes. Pixels beyond the right edge are dropped; decoding
// stops at the end code, below the last row or at the end of the data.
void DecodeRle(std::string_view d, const TBmpInfo& info, std::vector<uint32_t>& pixels) {
  const bool rle4 = info.Compression == kBiRle4;
  const auto* data = reinterpret_cast<const uint8_t*>(d.data());
  size_t pos = 0;
  int64_t x = 0;
  int64_t fileRow = 0;
  auto put = [&](uint32_t index) {
    if (x < info.Width && fileRow < info.Height) {
      const int64_t y = info.Height - 1 - fileRow;
      pixels[static_cast<size_t>(y * info.Width + x)] = info.Palette[index & 0xFF];
    }
    ++x;
  };
  while (pos + 2 <= d.size() && fileRow < info.Height) {
    const uint32_t count = data[pos];
    const uint32_t code = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count && x < info.Width; ++i) {
        put(rle4 ? ((i & 1) ? code & 0x0F : code >> 4) : code);
      }
    } else if (code == 0) {
      x = 0;
      ++fileRow;
    } else if (code == 1) {
      break;
    } else if (code == 2) {
      if (pos + 2 > d.size()) break;
      x += data[pos];
      fileRow += data[pos + 1];
      pos += 2;
    } else {
      size_t bytes = rle4 ? (code + 1) / 2 : code;
      if (pos + bytes > d.size()) break;
      for (uint32_t i = 0; i < code && x < info.Width; ++i) {
        put(rle4 ? ((i & 1) ? data[pos + i / 2] & 0x0F : data[pos + i / 2] >> 4) : data[pos + i]);
      }
      pos += bytes + (bytes & 1);
    }
  }
}

// Most pixels RLE data of the given size can set: a run sets at most 255
// pixels with two bytes, an absolute block fewer for the bytes it takes.
// Line ends, deltas and the end code set none; what they skip is left
// undefined.
uint64_t RleFillablePixels(size_t bytes) { return (uint64_t{bytes} + 1) / 2 * 255; }

// The pixel bits of a bitmap whose headers have been read. They must be
// able to fill the picture before it is allocated, so a short file claiming
// a large size costs nothing: uncompressed rows must all be present, and
// runs must cover all but what a picture may leave undefined.
bool DecodeBits(std::string_view bits, const TBmpInfo& info, TPicture& picture) {
  const bool rle = info.Compression == kBiRle8 || info.Compression == kBiRle4;
  if (!rle && UncompressedSize(info) > bits.size()) return false;
  if (rle && !PictureDataCanFill(int64_t{info.Width} * info.Height, RleFillablePixels(bits.size()))) {
    return false;
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(info.Width) * info.Height, 0);
  if (rle) {
    DecodeRle(bits, info, pixels);
  } else {
    DecodeUncompressed(bits, info, pixels);
  }
  picture.Width = info.Width;
  picture.Height = info.Height;
  picture.Alpha = TPictureAlpha::None;
  picture.Pixels = std::move(pixels);
  return true;
}

}  // namespace

bool DecodeBmp(std::string_view data, TPicture& picture) {
  if (data.size() < kFileHeaderSize + kCoreHeaderSize || data[0] != 'B' || data[1] != 'M') return false;
  const size_t pixelOffset = ReadLe32(data, 10);
  if (pixelOffset >= data.size()) return false;
  const std::string_view dib = data.substr(kFileHeaderSize);
  // The colour table ends where the pixels start, if they start after it.
  const size_t paletteLimit = pixelOffset > kFileHeaderSize ? pixelOffset - kFileHeaderSize : dib.size();
  TBmpInfo info;
  if (!ReadInfoHeader(dib, paletteLimit, info)) return false;
  return DecodeBits(data.substr(pixelOffset), info, picture);
}

bool DecodeDib(std::string_view infoBlock, std::string_view bits, TPicture& picture) {
  TBmpInfo info;
  if (!ReadInfoHeader(infoBlock, infoBlock.size(), info)) return false;
  return DecodeBits(bits, info, picture);
}

bool TBmpDecoder::IsSupported(std::string_view data) const {
  return data.size() >= 2 && data[0] == 'B' && data[1] == 'M';
}

}  // namespace pelto5
