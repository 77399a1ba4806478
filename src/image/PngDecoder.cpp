// PNG decoding through libpng into a separate buffer. libpng reports
// errors by longjmp; the part of the decode that it may leave that way keeps
// no objects of its own.
#include "image/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "base/SjisText.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

constexpr size_t kSignatureSize = 8;

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

void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void SilentWarning(png_structp, png_const_charp) {}

// The part of the decode that libpng may leave by longjmp. It keeps no
// objects of its own; everything it builds lives in image.
bool ReadPngImage(png_structp png, png_infop info, TPngImage& image) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_sig_bytes(png, static_cast<int>(kSignatureSize));
  png_set_user_limits(png, kPictureMaxSide, kPictureMaxSide);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  const int colorType = png_get_color_type(png, info);
  if (!PictureSizeAllowed(width, height)) return false;
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
  image.Pixels.assign(static_cast<size_t>(width) * height, 0);
  image.Rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) {
    image.Rows[y] = reinterpret_cast<png_bytep>(image.Pixels.data() + static_cast<size_t>(y) * width);
  }
  png_read_image(png, image.Rows.data());
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
  const bool ok = ReadPngImage(png, info, image);
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
