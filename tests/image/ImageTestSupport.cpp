#include "image/ImageTestSupport.h"

#include <cstdio>
#include <jpeglib.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pelto5::test {

std::string EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels, const TJpegOptions& options) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = options.Grey ? 1 : options.Cmyk ? 4 : 3;
  cinfo.in_color_space = options.Grey ? JCS_GRAYSCALE : options.Cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (options.Cmyk) jpeg_set_colorspace(&cinfo, JCS_CMYK);  // writes an Adobe marker
  jpeg_set_quality(&cinfo, options.Quality, TRUE);
  if (options.Progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * cinfo.input_components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (options.Grey) {
        row[x] = static_cast<JSAMPLE>(g);
      } else if (options.Cmyk) {
        // Adobe CMYK is inverted: store 255 - ink; no black ink used.
        row[4 * x] = static_cast<JSAMPLE>(r);
        row[4 * x + 1] = static_cast<JSAMPLE>(g);
        row[4 * x + 2] = static_cast<JSAMPLE>(b);
        row[4 * x + 3] = 255;
      } else {
        row[3 * x] = static_cast<JSAMPLE>(r);
        row[3 * x + 1] = static_cast<JSAMPLE>(g);
        row[3 * x + 2] = static_cast<JSAMPLE>(b);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string bytes(reinterpret_cast<char*>(out), size);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

std::vector<uint32_t> ReferenceJpegDecode(const std::string& jpeg, int& width, int& height) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = static_cast<int>(cinfo.output_width);
  height = static_cast<int>(cinfo.output_height);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    const size_t y = cinfo.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&cinfo, rows, 1);
    for (int x = 0; x < width; ++x) {
      pixels[y * width + x] = static_cast<uint32_t>(row[3 * x]) << 16 | static_cast<uint32_t>(row[3 * x + 1]) << 8 | row[3 * x + 2];
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}

namespace {

int WriteToString(GifFileType* gif, const GifByteType* data, int count) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), count);
  return count;
}

}  // namespace

std::string EncodeGif(int width, int height, const std::vector<uint8_t>& indices,
                      const std::vector<uint32_t>& palette, const TGifOptions& options) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToString, &error);
  int colours = 2;
  while (colours < static_cast<int>(palette.size())) colours *= 2;
  std::vector<GifColorType> entries(colours, GifColorType{0, 0, 0});
  for (size_t i = 0; i < palette.size(); ++i) {
    entries[i] = GifColorType{static_cast<GifByteType>(palette[i] >> 16), static_cast<GifByteType>(palette[i] >> 8),
                              static_cast<GifByteType>(palette[i])};
  }
  ColorMapObject* map = GifMakeMapObject(colours, entries.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, options.ScreenWidth ? options.ScreenWidth : width,
                    options.ScreenHeight ? options.ScreenHeight : height, 8, options.Background, map);
  if (options.TransparentIndex >= 0) {
    const GifByteType gce[4] = {0x01, 0, 0, static_cast<GifByteType>(options.TransparentIndex)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
  }
  EGifPutImageDesc(gif, options.Left, options.Top, width, height, options.Interlaced, nullptr);
  std::vector<int> order;
  if (options.Interlaced) {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
    }
  } else {
    for (int y = 0; y < height; ++y) order.push_back(y);
  }
  for (int y : order) {
    std::vector<GifPixelType> line(indices.begin() + static_cast<size_t>(y) * width,
                                   indices.begin() + static_cast<size_t>(y + 1) * width);
    EGifPutLine(gif, line.data(), width);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

}  // namespace pelto5::test
