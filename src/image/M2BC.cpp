#include "image/M2BC.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "image/BmpDecoder.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace pelto5 {

namespace {

constexpr char kSignature[] = "MAKI02  ";
constexpr size_t kSignatureSize = 8;
constexpr size_t kHeaderSize = 32;

// Copy positions of the flags 1..15 (index 0 unused): units to the left and
// lines up from the unit being decoded.
constexpr std::array<int, 16> kLeft = {0, 1, 2, 4, 0, 1, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0};
constexpr std::array<int, 16> kUp = {0, 0, 0, 0, 1, 1, 2, 2, 2, 4, 4, 4, 8, 8, 8, 16};

uint32_t U16(std::string_view d, size_t p) {
  return static_cast<uint8_t>(d[p]) | static_cast<uint32_t>(static_cast<uint8_t>(d[p + 1])) << 8;
}

uint32_t U32(std::string_view d, size_t p) { return U16(d, p) | U16(d, p + 2) << 16; }

void PutLe16(std::string& s, size_t p, uint32_t v) {
  s[p] = static_cast<char>(v & 0xFF);
  s[p + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void PutLe32(std::string& s, size_t p, uint32_t v) {
  PutLe16(s, p, v & 0xFFFF);
  PutLe16(s, p + 2, v >> 16);
}

size_t BmpSize(const TMagHeader& h) {
  return TM2BC::kBmpHeaderSize + h.BmpPaletteSize + h.LineBytes * static_cast<size_t>(h.Height);
}

void WriteBmpHeader(const TMagHeader& h, std::string& buffer) {
  buffer[0] = 'B';
  buffer[1] = 'M';
  PutLe32(buffer, 2, static_cast<uint32_t>(BmpSize(h)));
  PutLe32(buffer, 10, static_cast<uint32_t>(TM2BC::kBmpHeaderSize + h.BmpPaletteSize));
  PutLe32(buffer, 14, 40);
  PutLe32(buffer, 18, static_cast<uint32_t>(h.Width));
  PutLe32(buffer, 22, static_cast<uint32_t>(h.Height));
  PutLe16(buffer, 26, 1);
  PutLe16(buffer, 28, h.Colors256 ? 8 : 4);
  // Bytes 30..53 (compression, image size, resolutions, colour counts) stay 0.
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
  r.XStart = static_cast<int>(U16(data, h + 4));
  r.YStart = static_cast<int>(U16(data, h + 6));
  r.XEnd = static_cast<int>(U16(data, h + 8));
  r.YEnd = static_cast<int>(U16(data, h + 10));
  r.FlagAOffset = U32(data, h + 12);
  r.FlagBOffset = U32(data, h + 16);
  r.FlagBSize = U32(data, h + 20);
  r.PixelOffset = U32(data, h + 24);
  r.PixelSize = U32(data, h + 28);

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

// The image is decoded as one top-down stream of units, where a copy takes
// the unit (up * L + 2 * left) bytes before the one being written; a copy
// with more units to the left than precede it in its line reaches into the
// end of the line above it. The rows are turned bottom-up afterwards.
bool TM2BC::MMAG_DecodePixels(std::string_view data, uint8_t* bmpPixels, const TMagHeader& record) {
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
  uint8_t* out = bmpPixels;
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
  FlipRows(out, lineBytes, record.Height);
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
  std::string bmp(BmpSize(record), '\0');
  WriteBmpHeader(record, bmp);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(bmp.data());
  if (MMAG_ReadPalette(data, bytes + kBmpHeaderSize, record) != 0) return -1;
  if (!MMAG_DecodePixels(data, bytes + kBmpHeaderSize + record.BmpPaletteSize, record)) return -1;
  buffer = std::move(bmp);
  return 0;
}

bool TM2BC::MagToStream(const std::string& fileName, std::string& stream) {
  std::string data;
  if (!TFileSystem::ReadFile(fileName, data)) return false;
  return MagDataToStream(data, stream);
}

bool TM2BC::MagDataToStream(std::string_view data, std::string& stream) {
  if (MMAG_GetBmpSize(data) == 0) return false;
  std::string buffer;
  if (MMAG_MagtoBmp(data, buffer) != 0) {
    Platform().MessageBox("Failed by MMAG_MagtoBmp", TMessageIcon::Warning, TMessageButtons::Ok);
    return false;
  }
  stream = std::move(buffer);
  return true;
}

bool TM2BC::LoadToBitmap(const std::string& fileName, TPicture& bitmap) {
  std::string stream;
  return MagToStream(fileName, stream) && DecodeBmp(stream, bitmap);
}

bool TM2BC::LoadFromMemory(std::string_view data, TPicture& bitmap) {
  std::string stream;
  return MagDataToStream(data, stream) && DecodeBmp(stream, bitmap);
}

bool TM2BC::IsSupported(std::string_view data) const {
  return data.substr(0, kSignatureSize) == std::string_view(kSignature, kSignatureSize);
}

}  // namespace pelto5
