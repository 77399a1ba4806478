// Decoding speed of the PNG and JPEG decoders against bare libpng and bare
// libjpeg-turbo decoding the same bytes in memory to the same 4-byte
// pixels (the least any decoder built on them can do). Prints the ratios
// (1.0 = as fast as the bare library) after the benchmark table.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "image/JpegDecoder.h"
#include "image/PngDecoder.h"

namespace {

using namespace pelto5;

constexpr int kWidth = 1280;
constexpr int kHeight = 960;

// A photo-like picture: smooth gradients with some texture.
std::vector<uint8_t> MakeRgb() {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      noise = noise * 1103515245u + 12345u;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / kWidth + ((noise >> 16) & 7));
      p[1] = static_cast<uint8_t>(y * 255 / kHeight);
      p[2] = static_cast<uint8_t>((x + y) / 9 + ((noise >> 20) & 3));
    }
  }
  return rgb;
}

void AppendPng(png_structp png, png_bytep data, size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

std::string MakePng(const std::vector<uint8_t>& rgb) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < kHeight; ++y) png_write_row(png, const_cast<png_bytep>(&rgb[static_cast<size_t>(y) * kWidth * 3]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string MakeJpeg(const std::vector<uint8_t>& rgb) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<size_t>(cinfo.next_scanline) * kWidth * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string bytes(reinterpret_cast<char*>(out), size);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

struct TFixture {
  std::string Png;
  std::string Jpeg;
  TFixture() {
    const std::vector<uint8_t> rgb = MakeRgb();
    Png = MakePng(rgb);
    Jpeg = MakeJpeg(rgb);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

struct TMemory {
  const std::string* Data;
  size_t Position;
};

void ReadMemory(png_structp png, png_bytep out, size_t count) {
  auto* m = static_cast<TMemory*>(png_get_io_ptr(png));
  std::memcpy(out, m->Data->data() + m->Position, count);
  m->Position += count;
}

// libpng with the transformations to blue, green, red, filler.
bool BarePng(const std::string& data, std::vector<uint32_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  TMemory memory{&data, 0};
  png_set_read_fn(png, &memory, ReadMemory);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  pixels.assign(static_cast<size_t>(width) * height, 0);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&pixels[static_cast<size_t>(y) * width]);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool BareJpeg(const std::string& data, std::vector<uint32_t>& pixels) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  pixels.assign(static_cast<size_t>(cinfo.output_width) * cinfo.output_height, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&pixels[static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void BM_DecodePng(benchmark::State& state) {
  for (auto _ : state) {
    TPicture picture;
    if (!DecodePng(Fixture().Png, picture)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
}

void BM_BareLibpng(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint32_t> pixels;
    if (!BarePng(Fixture().Png, pixels)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(pixels.data());
  }
}

void BM_DecodeJpeg(benchmark::State& state) {
  for (auto _ : state) {
    TPicture picture;
    if (!DecodeJpeg(Fixture().Jpeg, picture)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
}

void BM_BareLibjpegTurbo(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint32_t> pixels;
    BareJpeg(Fixture().Jpeg, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
}

BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BareLibpng)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BareLibjpegTurbo)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Speed of ours as a ratio to the bare library's (target >= 0.9).
void PrintRatio(const pelto5::bench::TRatioReporter& reporter, const char* what, const std::string& ours,
                const std::string& bound) {
  const double a = reporter.Time(ours);
  const double b = reporter.Time(bound);
  if (a <= 0 || b <= 0) return;
  std::printf("%s: %.3f (speed of %s / %s, target >= 0.9)\n", what, b / a, ours.c_str(), bound.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Fixture();  // the pictures are encoded before any timing starts
  pelto5::bench::TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter, "PNG decode vs bare libpng", "BM_DecodePng", "BM_BareLibpng");
  PrintRatio(reporter, "JPEG decode vs bare libjpeg-turbo", "BM_DecodeJpeg", "BM_BareLibjpegTurbo");
  benchmark::Shutdown();
  return 0;
}
