// Builds PNG files in memory with libpng's writer, in any colour type, bit
// depth and interlacing, for the loader tests; and loads PNG bytes or files
// into a surface as the player does.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graphics/LasGraphic.h"
#include "image/PngDecoder.h"

namespace pelto5::test {

struct TPngImage {
  int Width = 1;
  int Height = 1;
  int ColorType = PNG_COLOR_TYPE_RGB;
  int BitDepth = 8;
  bool Interlaced = false;
  // Samples row by row as libpng expects them (big-endian for 16 bits).
  std::vector<uint8_t> Data;
  std::vector<png_color> Palette;
  std::vector<uint8_t> PaletteAlpha;  // tRNS for palette images
};

inline void AppendToString(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

inline void NoFlush(png_structp) {}

inline std::string EncodePng(const TPngImage& image) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return std::string();
  }
  png_set_write_fn(png, &out, AppendToString, NoFlush);
  png_set_IHDR(png, info, image.Width, image.Height, image.BitDepth, image.ColorType,
               image.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.Palette.empty()) {
    png_set_PLTE(png, info, image.Palette.data(), static_cast<int>(image.Palette.size()));
  }
  if (!image.PaletteAlpha.empty()) {
    png_set_tRNS(png, info, image.PaletteAlpha.data(), static_cast<int>(image.PaletteAlpha.size()),
                 nullptr);
  }
  png_write_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_bytep> rows(image.Height);
  std::vector<uint8_t> data = image.Data;
  data.resize(rowBytes * image.Height);
  for (int y = 0; y < image.Height; ++y) rows[y] = data.data() + rowBytes * y;
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// PNG bytes, or a ".png" file at a native path, decoded into graphic with
// the picture's own alpha; false, graphic untouched, when they do not decode.
inline bool LoadPngInto(TLasGraphic& graphic, std::string_view bytes) {
  TPicture picture;
  if (!DecodePng(bytes, picture)) return false;
  graphic.TakePicture(std::move(picture));
  return true;
}

inline bool LoadPngFileInto(TLasGraphic& graphic, const std::string& fileName) {
  TPicture picture;
  if (!DecodePngFile(fileName, picture)) return false;
  graphic.TakePicture(std::move(picture));
  return true;
}

}  // namespace pelto5::test
