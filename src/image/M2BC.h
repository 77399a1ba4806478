// MAG images ("MAKI02  "): 16 or 256 colours, compressed with per-unit copy
// flags. TM2BC decodes MAG data (a file, or bytes already in memory) into a
// picture, and converts it into an in-memory 4- or 8-bit BMP file.
//
// A MAG file comes from outside: every offset and stream read is checked
// against the file data, copies may only reach pixels already decoded, and
// pictures larger than a surface can hold are refused before anything is
// allocated. A file that breaks any of these is a failed decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/MessageTexts.h"
#include "image/ImageDecoder.h"

namespace pelto5 {

// The header of a MAG file and the values derived from it.
struct TMagHeader {
  size_t HeaderPos = 0;  // H: one past the first 0x1A byte of the file
  bool Colors256 = false;
  int XStart = 0;
  int YStart = 0;
  int XEnd = 0;
  int YEnd = 0;
  uint32_t FlagAOffset = 0;  // the three stream offsets count from H
  uint32_t FlagBOffset = 0;
  uint32_t FlagBSize = 0;
  uint32_t PixelOffset = 0;
  uint32_t PixelSize = 0;

  int Group = 8;  // pixels covered by one flag byte
  int AlignedXStart = 0;
  int AlignedXEnd = 0;
  int Width = 0;   // AlignedXEnd - AlignedXStart + 1
  int Height = 0;  // YEnd - YStart + 1
  size_t LineBytes = 0;       // L: bytes of one pixel row (4 or 8 bits a pixel)
  size_t PaletteEntries = 16;
  size_t BmpPaletteSize = 64;  // P: 4 bytes a palette entry in the BMP
};

class TM2BC : public TImageDecoder {
 public:
  // Results of MMAG_ReadHeader.
  static constexpr int kHeaderOk = 0;
  static constexpr int kHeaderTruncated = 1;  // the file ends before its streams do
  static constexpr int kHeaderMissing = 2;    // no 0x1A, or under 32 bytes after it
  static constexpr int kHeaderSignature = 3;  // not "MAKI02  "
  static constexpr int kHeaderInvalid = 4;    // bad top byte, empty or oversized picture

  static constexpr size_t kBmpHeaderSize = 54;
  // The warning of a file that passes the size probe but does not decode.
  static constexpr const char* kMagtoBmpFailed = msg::kMagDecodeFailed;

  // Decodes the MAG file into bitmap (pixels 0x00RRGGBB). False, bitmap
  // untouched, if the file cannot be read or is not a MAG file this decoder
  // can read; a file that passes the size probe but then fails to decode
  // gives the warning kMagtoBmpFailed, for the caller to show.
  [[nodiscard]] TDecodeResult LoadToBitmap(const std::string& fileName, TPicture& bitmap);
  // The BMP file converted from the MAG file, in stream. Same failures as
  // LoadToBitmap; stream is untouched on failure.
  [[nodiscard]] TDecodeResult MagToStream(const std::string& fileName, std::string& stream);
  // The same two for MAG data in memory. The picture comes straight from
  // the palette and the decoded rows, pixel for pixel the one the BMP of
  // MagDataToStream gives.
  [[nodiscard]] TDecodeResult LoadFromMemory(std::string_view data, TPicture& bitmap);
  [[nodiscard]] TDecodeResult MagDataToStream(std::string_view data, std::string& stream);

  std::string FormatName() const override { return "MAG"; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override { return LoadFromMemory(data, picture); }

  // Size of the BMP that the MAG data converts to, judged from the header
  // alone (a file cut short still has a size); 0 if it is not MAG data.
  [[nodiscard]] static size_t MMAG_GetBmpSize(std::string_view data);
  // Converts MAG data into a complete BMP file in buffer (replacing its
  // contents). 0 on success, -1 on any failure.
  [[nodiscard]] static int MMAG_MagtoBmp(std::string_view data, std::string& buffer);
  // Parses and checks the header; one of the kHeader codes.
  [[nodiscard]] static int MMAG_ReadHeader(std::string_view data, TMagHeader& record);
  // Writes the BMP palette (blue, green, red, 0 per entry) to bmpPalette,
  // which holds record.BmpPaletteSize bytes. 0 done, 1 the file ends first.
  [[nodiscard]] static int MMAG_ReadPalette(std::string_view data, uint8_t* bmpPalette, const TMagHeader& record);
  // Decodes the pixel rows into bmpPixels (LineBytes * Height bytes, rows
  // bottom-up as in a BMP). False if a stream runs past the end of the data
  // or a copy reaches outside the pixels decoded so far.
  [[nodiscard]] static bool MMAG_DecodePixels(std::string_view data, uint8_t* bmpPixels, const TMagHeader& record);
};

}  // namespace pelto5
