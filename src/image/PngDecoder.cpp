// PNG decoding through libpng into a separate buffer. libpng reports
// errors by longjmp; the part of the decode that it may leave that way keeps
// no objects of its own.
#include "image/PngDecoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "base/ByteOrder.h"
#include "base/InflateLimit.h"
#include "base/SjisText.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

constexpr size_t kSignatureSize = 8;
// Most memory libpng may take for one chunk it keeps (text, colour
// profiles, unknown chunks), inflated ones included.
constexpr png_alloc_size_t kMaxChunkMemory = 4 * 1024 * 1024;

struct TPngSource {
  const unsigned char* Data = nullptr;
  size_t Size = 0;
  size_t Position = 0;
};

struct TPngImage {
  int Width = 0;
  int Height = 0;
  bool HasTransparency = false;  // a tRNS chunk: two-level mask
  bool HasAlphaChannel = false;  // grey or RGB with alpha: blending
  std::vector<uint32_t> Pixels;
  std::vector<png_bytep> Rows;
};

void ReadFromSource(png_structp png, png_bytep out, size_t count) {
  auto* source = static_cast<TPngSource*>(png_get_io_ptr(png));
  if (!source || count > source->Size - source->Position) png_error(png, "truncated");
  std::memcpy(out, source->Data + source->Position, count);
  source->Position += count;
}

// Bytes of compressed pixel data the file holds: the lengths of its IDAT
// chunks up to IEND or the end of the data, each cut to what is present.
uint64_t CompressedPixelBytes(std::string_view data) {
  uint64_t total = 0;
  size_t pos = kSignatureSize;
  while (data.size() - pos >= 8) {
    const uint32_t length = ReadBe32(data, pos);
    const std::string_view type = data.substr(pos + 4, 4);
    if (type == "IEND") break;
    const size_t start = pos + 8;
    const size_t present = std::min<uint64_t>(length, data.size() - start);
    if (type == "IDAT") total += present;
    if (data.size() - start - present < 4) break;  // no room for the CRC
    pos = start + present + 4;
  }
  return total;
}

// Whether the compressed pixel data could inflate to the rows the header
// claims. Every pixel is stored, so the rows take at least the pixels' bits
// (filter bytes and row padding only add to that).
bool DataCanFill(png_structp png, png_infop info, uint64_t compressedBytes) {
  const uint64_t bitsPerPixel = uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
  const uint64_t pixels = uint64_t{png_get_image_width(png, info)} * png_get_image_height(png, info);
  return (pixels * bitsPerPixel + 7) / 8 <= MaxInflatedSize(compressedBytes);
}

void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void SilentWarning(png_structp, png_const_charp) {}

// The part of the decode that libpng may leave by longjmp. It keeps no
// objects of its own; everything it builds lives in image.
bool ReadPngImage(png_structp png, png_infop info, uint64_t compressedBytes, TPngImage& image) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_sig_bytes(png, static_cast<int>(kSignatureSize));
  png_set_user_limits(png, kPictureMaxSide, kPictureMaxSide);
  png_set_chunk_malloc_max(png, kMaxChunkMemory);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  const int colorType = png_get_color_type(png, info);
  if (!PictureSizeAllowed(width, height) || !DataCanFill(png, info, compressedBytes)) return false;
  const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    image.HasTransparency = true;
  }
  image.HasAlphaChannel = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (bitDepth == 16) png_set_strip_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!image.HasAlphaChannel && !image.HasTransparency) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return false;
  image.Width = static_cast<int>(width);
  image.Height = static_cast<int>(height);
  if (!interlaced) {
    // Row by row: the picture grows only as far as the data really goes.
    image.Pixels.reserve(static_cast<size_t>(width) * height);
    for (png_uint_32 y = 0; y < height; ++y) {
      image.Pixels.resize(static_cast<size_t>(y + 1) * width);
      png_read_row(png, reinterpret_cast<png_bytep>(image.Pixels.data() + static_cast<size_t>(y) * width),
                   nullptr);
    }
  } else {
    image.Pixels.assign(static_cast<size_t>(width) * height, 0);
    image.Rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
      image.Rows[y] = reinterpret_cast<png_bytep>(image.Pixels.data() + static_cast<size_t>(y) * width);
    }
    png_read_image(png, image.Rows.data());
  }
  png_read_end(png, nullptr);
  return true;
}

bool DecodePngImage(std::string_view data, TPngImage& image) {
  if (data.size() < kSignatureSize ||
      png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, kSignatureSize) != 0) {
    return false;
  }
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  TPngSource source{reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                    kSignatureSize};
  png_set_read_fn(png, &source, ReadFromSource);
  const bool ok = ReadPngImage(png, info, CompressedPixelBytes(data), image);
  png_destroy_read_struct(&png, &info, nullptr);
  return ok;
}

}  // namespace

bool TPngDecoder::IsSupported(std::string_view data) const {
  return data.size() >= kSignatureSize &&
         png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, kSignatureSize) == 0;
}

bool DecodePng(std::string_view data, TPicture& picture) {
  TPngImage image;
  if (!DecodePngImage(data, image)) return false;
  picture.Width = image.Width;
  picture.Height = image.Height;
  picture.Alpha = image.HasAlphaChannel ? TPictureAlpha::Blend
                  : image.HasTransparency ? TPictureAlpha::Mask
                                          : TPictureAlpha::None;
  picture.Pixels = std::move(image.Pixels);
  return true;
}

bool DecodePngFile(const std::string& fileName, TPicture& picture) {
  const size_t slash = fileName.find_last_of('/');
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  if (!sjis::SameText(std::string_view(fileName).substr(dot), ".png")) return false;
  std::string data;
  if (!TFileSystem::ReadFile(fileName, data)) return false;
  return DecodePng(data, picture);
}

}  // namespace pelto5
