// libjpeg reports errors by calling error_exit, which here jumps back out
// of the decode. The part of the decode that it may leave that way keeps no
// objects of its own: the pixels live in a vector owned by the caller.
#include "image/JpegDecoder.h"

#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <vector>

namespace pelto5 {

namespace {

// libjpeg's working memory beyond the output pixels: a progressive image
// keeps all its coefficients (2 bytes a sample), which for the largest
// surface with three full-size components stays below this.
constexpr long kMaxWorkingMemory = 512L * 1024 * 1024;

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  bool Damaged = false;
};

void ErrorExit(j_common_ptr cinfo) {
  auto* error = reinterpret_cast<TJpegError*>(cinfo->err);
  std::longjmp(error->Jump, 1);
}

void SilentMessage(j_common_ptr) {}

// Warnings are not printed. Data that ends before the picture does (a cut
// file, or a scan cut short by a marker) makes the picture damaged: the
// library would fill the rest with grey, but a failed decode is reported.
void EmitMessage(j_common_ptr cinfo, int level) {
  auto* error = reinterpret_cast<TJpegError*>(cinfo->err);
  if (level < 0) {
    const int code = error->Manager.msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) error->Damaged = true;
    ++error->Manager.num_warnings;
  }
}

// Adobe CMYK (and YCCK, which libjpeg turns into CMYK) is stored inverted:
// 255 means no ink. Other writers store plain CMYK.
uint32_t CmykToPixel(const JSAMPLE* s, bool inverted) {
  uint32_t c = s[0], m = s[1], y = s[2], k = s[3];
  if (!inverted) {
    c = 255 - c;
    m = 255 - m;
    y = 255 - y;
    k = 255 - k;
  }
  const uint32_t r = c * k / 255, g = m * k / 255, b = y * k / 255;
  return 0xFF000000u | r << 16 | g << 8 | b;
}

// Whether the scan data could fill the picture the frame header claims.
// With Huffman coding every 8 x 8 block of every component takes at least
// one bit (its DC difference, in a sequential scan and in the first DC scan
// of a progressive one), so the blocks are at most eight times the bytes.
// Arithmetic coding has no such bound; its pictures, like all others, may
// be up to the undefined allowance whatever their size.
bool DataCanFill(const jpeg_decompress_struct& cinfo, size_t bytes) {
  const int64_t area = int64_t{cinfo.image_width} * cinfo.image_height;
  if (PictureDataCanFill(area, 0)) return true;
  if (cinfo.arith_code || cinfo.num_components <= 0) return false;
  int maxH = 1;
  int maxV = 1;
  for (int i = 0; i < cinfo.num_components; ++i) {
    maxH = std::max(maxH, cinfo.comp_info[i].h_samp_factor);
    maxV = std::max(maxV, cinfo.comp_info[i].v_samp_factor);
  }
  uint64_t blocks = 0;
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& c = cinfo.comp_info[i];
    const uint64_t columns = (uint64_t{cinfo.image_width} * c.h_samp_factor + 8 * maxH - 1) / (8 * maxH);
    const uint64_t rows = (uint64_t{cinfo.image_height} * c.v_samp_factor + 8 * maxV - 1) / (8 * maxV);
    blocks += columns * rows;
  }
  return blocks <= uint64_t{bytes} * 8;
}

bool ReadJpeg(jpeg_decompress_struct& cinfo, TJpegError& error, std::string_view data,
              std::vector<uint32_t>& pixels, std::vector<JSAMPLE>& row, int& width, int& height) {
  if (setjmp(error.Jump)) return false;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()),
               static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (!PictureSizeAllowed(cinfo.image_width, cinfo.image_height) || !DataCanFill(cinfo, data.size())) return false;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  cinfo.mem->max_memory_to_use = kMaxWorkingMemory;
  jpeg_start_decompress(&cinfo);
  width = static_cast<int>(cinfo.output_width);
  height = static_cast<int>(cinfo.output_height);
  if (!PictureSizeAllowed(width, height) || cinfo.output_components != 4) return false;
  pixels.assign(static_cast<size_t>(width) * height, 0);
  if (cmyk) row.resize(static_cast<size_t>(width) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    uint32_t* out = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * width;
    JSAMPROW target = cmyk ? row.data() : reinterpret_cast<JSAMPROW>(out);
    // Data that ends early is not read on as grey rows.
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1 || error.Damaged) return false;
    if (cmyk) {
      for (int x = 0; x < width; ++x) out[x] = CmykToPixel(row.data() + 4 * x, cinfo.saw_Adobe_marker);
    }
  }
  if (error.Damaged) return false;
  jpeg_finish_decompress(&cinfo);
  return !error.Damaged;
}

}  // namespace

bool TJpegDecoder::IsSupported(std::string_view data) const {
  return data.size() >= 3 && static_cast<uint8_t>(data[0]) == 0xFF &&
         static_cast<uint8_t>(data[1]) == 0xD8 && static_cast<uint8_t>(data[2]) == 0xFF;
}

bool DecodeJpeg(std::string_view data, TPicture& picture) {
  if (!TJpegDecoder().IsSupported(data)) return false;
  jpeg_decompress_struct cinfo{};
  TJpegError error{};
  cinfo.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.output_message = SilentMessage;
  error.Manager.emit_message = EmitMessage;
  jpeg_create_decompress(&cinfo);
  std::vector<uint32_t> pixels;
  std::vector<JSAMPLE> row;
  int width = 0;
  int height = 0;
  const bool ok = ReadJpeg(cinfo, error, data, pixels, row, width, height);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return false;
  picture.Width = width;
  picture.Height = height;
  picture.Alpha = TPictureAlpha::None;
  picture.Pixels = std::move(pixels);
  return true;
}

}  // namespace pelto5
