// Exercises the third-party libraries the web build links: decodes the PNG,
// JPEG and GIF files given on the command line, renders glyphs from the given
// TrueType font, and round-trips a buffer through zlib. Prints one line per
// result with the decoded size and a checksum of the pixels.
//
// scripts/build-web-deps --check compiles this twice, natively against the
// host's libraries and with em++ against build-web/deps, and requires the two
// outputs to be equal. Exit status 1 on any failure. It is not part of the
// test binary (which takes every tests/*.cpp), hence the .cc suffix.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace {

using Bytes = std::vector<unsigned char>;

struct Checksum {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  void add(const unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      hash = (hash ^ data[i]) * 1099511628211ull;
    }
  }
};

bool readFile(const std::string& path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !out.empty();
}

std::string baseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool endsWith(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool checkZlib() {
  Bytes input(100000);
  std::uint32_t state = 12345;
  for (auto& b : input) {  // compressible but not trivial
    state = state * 1103515245u + 12345u;
    b = static_cast<unsigned char>("pelto5 "[(state >> 16) % 7]);
  }
  uLongf packedSize = compressBound(input.size());
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, input.data(), input.size(), 9) != Z_OK) return false;
  Bytes unpacked(input.size());
  uLongf unpackedSize = unpacked.size();
  if (uncompress(unpacked.data(), &unpackedSize, packed.data(), packedSize) != Z_OK) return false;
  if (unpackedSize != input.size() || unpacked != input) return false;
  const uLong crc = crc32(0L, input.data(), static_cast<uInt>(input.size()));
  std::printf("zlib: %zu -> %lu bytes, crc32 %08lx, inflated back equal\n", input.size(),
              static_cast<unsigned long>(packedSize), static_cast<unsigned long>(crc));
  return true;
}

bool checkPng(const std::string& path, const Bytes& data) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  Bytes pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
  Checksum sum;
  sum.add(pixels.data(), pixels.size());
  std::printf("png %s: %ux%u rgba %016llx\n", baseName(path).c_str(), image.width, image.height,
              static_cast<unsigned long long>(sum.hash));
  return true;
}

bool checkJpeg(const std::string& path, const Bytes& data) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const std::size_t stride = std::size_t{info.output_width} * info.output_components;
  Bytes row(stride);
  Checksum sum;
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    sum.add(row.data(), row.size());
  }
  std::printf("jpeg %s: %ux%u rgb %016llx\n", baseName(path).c_str(), info.output_width,
              info.output_height, static_cast<unsigned long long>(sum.hash));
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

struct GifSource {
  const Bytes* data;
  std::size_t offset;
};

int readGif(GifFileType* gif, GifByteType* out, int wanted) {
  auto* source = static_cast<GifSource*>(gif->UserData);
  const std::size_t left = source->data->size() - source->offset;
  const std::size_t n = std::min(left, static_cast<std::size_t>(wanted));
  std::memcpy(out, source->data->data() + source->offset, n);
  source->offset += n;
  return static_cast<int>(n);
}

bool checkGif(const std::string& path, const Bytes& data) {
  GifSource source{&data, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&source, readGif, &error);
  if (gif == nullptr) return false;
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
    DGifCloseFile(gif, &error);
    return false;
  }
  Checksum sum;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& frame = gif->SavedImages[i];
    const std::size_t size = std::size_t(frame.ImageDesc.Width) * frame.ImageDesc.Height;
    sum.add(frame.RasterBits, size);
    const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    if (map != nullptr) {
      sum.add(reinterpret_cast<const unsigned char*>(map->Colors),
              sizeof(GifColorType) * map->ColorCount);
    }
  }
  std::printf("gif %s: %dx%d, %d frame(s) %016llx\n", baseName(path).c_str(), gif->SWidth,
              gif->SHeight, gif->ImageCount, static_cast<unsigned long long>(sum.hash));
  DGifCloseFile(gif, &error);
  return true;
}

bool checkFont(const std::string& path, const Bytes& data) {
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return false;
  FT_Face face;
  if (FT_New_Memory_Face(library, data.data(), static_cast<FT_Long>(data.size()), 0, &face) != 0) {
    FT_Done_FreeType(library);
    return false;
  }
  bool ok = FT_Set_Pixel_Sizes(face, 0, 24) == 0;
  // A Latin letter and two Japanese characters (hiragana a, kanji "character"),
  // from their outlines (the font also carries bitmaps), in grey and in the
  // one-bit mode the player renders with.
  for (const bool mono : {false, true}) {
    for (const FT_ULong code : {FT_ULong{'A'}, FT_ULong{0x3042}, FT_ULong{0x5B57}}) {
      if (!ok) break;
      const FT_UInt index = FT_Get_Char_Index(face, code);
      ok = index != 0 &&
           FT_Load_Glyph(face, index,
                         FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL)) ==
               0 &&
           FT_Render_Glyph(face->glyph, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0 &&
           face->glyph->bitmap.pixel_mode == (mono ? FT_PIXEL_MODE_MONO : FT_PIXEL_MODE_GRAY);
      if (!ok) break;
      const FT_Bitmap& bitmap = face->glyph->bitmap;
      const unsigned rowBytes = mono ? (bitmap.width + 7) / 8 : bitmap.width;
      Checksum sum;
      int inked = 0;
      for (unsigned y = 0; y < bitmap.rows; ++y) {
        const unsigned char* row = bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch;
        sum.add(row, rowBytes);
        for (unsigned x = 0; x < bitmap.width; ++x) {
          inked += mono ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x] != 0;
        }
      }
      ok = inked > 0;  // an empty bitmap means nothing was rendered
      std::printf("font %s U+%04lX %s: %ux%u at (%d,%d), %d inked, %016llx\n",
                  baseName(path).c_str(), static_cast<unsigned long>(code), mono ? "mono" : "grey",
                  bitmap.width, bitmap.rows, face->glyph->bitmap_left, face->glyph->bitmap_top,
                  inked, static_cast<unsigned long long>(sum.hash));
    }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  bool ok = checkZlib();
  if (!ok) std::printf("zlib: FAILED\n");
  for (int i = 1; i < argc; ++i) {
    const std::string path = argv[i];
    Bytes data;
    bool fileOk = false;
    if (!readFile(path, data)) {
      fileOk = false;
    } else if (endsWith(path, ".png")) {
      fileOk = checkPng(path, data);
    } else if (endsWith(path, ".jpg") || endsWith(path, ".jpeg")) {
      fileOk = checkJpeg(path, data);
    } else if (endsWith(path, ".gif")) {
      fileOk = checkGif(path, data);
    } else if (endsWith(path, ".ttf") || endsWith(path, ".otf")) {
      fileOk = checkFont(path, data);
    }
    if (!fileOk) std::printf("%s: FAILED\n", baseName(path).c_str());
    ok = ok && fileOk;
  }
  return ok ? 0 : 1;
}
