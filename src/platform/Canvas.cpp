#include "platform/Canvas.h"

#include <png.h>

#include <cstdio>
#include <memory>

#include "base/AtomicFile.h"

namespace pelto5 {

void TCanvas::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  ++FVersion;
  FWidth = width;
  FHeight = height;
  FPixels.assign(static_cast<size_t>(width) * height, 0);
}

void TCanvas::Fill(uint32_t color) {
  ++FVersion;
  FPixels.assign(FPixels.size(), color);
}

bool TCanvas::SavePng(const std::string& path) const {
  if (FWidth <= 0 || FHeight <= 0) return false;
  // Replaced as a whole: an older picture at path stays until this one is
  // complete.
  TAtomicFile file;
  if (!file.Open(path)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(FWidth) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.File());
  png_set_IHDR(png, info, FWidth, FHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < FHeight; ++y) {
    const uint32_t* src = Row(y);
    png_byte* dst = row.data();
    for (int x = 0; x < FWidth; ++x) {
      const uint32_t p = src[x];
      dst[0] = static_cast<png_byte>((p >> 16) & 0xFF);
      dst[1] = static_cast<png_byte>((p >> 8) & 0xFF);
      dst[2] = static_cast<png_byte>(p & 0xFF);
      dst += 3;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return file.Commit();
}

}  // namespace pelto5
