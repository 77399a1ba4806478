#include "image/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace pelto5 {

namespace {

struct TGifSource {
  const char* Data = nullptr;
  size_t Size = 0;
  size_t Position = 0;
};

int ReadFromSource(GifFileType* gif, GifByteType* out, int count) {
  auto* source = static_cast<TGifSource*>(gif->UserData);
  if (count <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(count), source->Size - source->Position);
  std::memcpy(out, source->Data + source->Position, n);
  source->Position += n;
  return static_cast<int>(n);
}

struct TGifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// Palette as pixels 0xFFRRGGBB; entries the map lacks are black.
std::array<uint32_t, 256> PaletteOf(const ColorMapObject* map) {
  std::array<uint32_t, 256> palette;
  palette.fill(0xFF000000u);
  if (!map || !map->Colors) return palette;
  const int count = std::min(map->ColorCount, 256);
  for (int i = 0; i < count; ++i) {
    const GifColorType& c = map->Colors[i];
    palette[i] = 0xFF000000u | static_cast<uint32_t>(c.Red) << 16 | static_cast<uint32_t>(c.Green) << 8 | c.Blue;
  }
  return palette;
}

// Skips extension blocks up to the first image; false if there is none.
bool SeekFirstImage(GifFileType* gif) {
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) != GIF_ERROR;
    if (type != EXTENSION_RECORD_TYPE) return false;  // terminator or junk
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    while (block) {
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    }
  }
}

// The rows of an interlaced frame in the order they are stored.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(height);
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  }
  return order;
}

// Most pixels LZW data can give a byte. A code of w bits (at most 12) can
// stand for a string of at most 2^w pixels, so a byte gives at most
// 8 * 4096 / 12 of them.
constexpr uint64_t kMaxLzwPixelsPerByte = (8 * 4096 + 11) / 12;

}  // namespace

bool TGifDecoder::IsSupported(std::string_view data) const {
  return data.substr(0, 6) == "GIF87a" || data.substr(0, 6) == "GIF89a";
}

bool DecodeGif(std::string_view data, TPicture& picture) {
  if (!TGifDecoder().IsSupported(data)) return false;
  TGifSource source{data.data(), data.size(), 0};
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&source, ReadFromSource, &error));
  if (!gif || !SeekFirstImage(gif.get())) return false;
  const GifImageDesc& frame = gif->Image;
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) return false;
  // The picture is the logical screen, grown where a frame sticks out of it.
  const int64_t width = std::max<int64_t>(gif->SWidth, int64_t{frame.Left} + frame.Width);
  const int64_t height = std::max<int64_t>(gif->SHeight, int64_t{frame.Top} + frame.Height);
  // The frame's pixels come from the data; the rest of the screen is left
  // to the background.
  if (!PictureSizeAllowed(width, height) || !PictureDataCanFill(width * height, data.size() * kMaxLzwPixelsPerByte)) {
    return false;
  }

  const std::array<uint32_t, 256> global = PaletteOf(gif->SColorMap);
  const std::array<uint32_t, 256> local = frame.ColorMap ? PaletteOf(frame.ColorMap) : global;
  const uint32_t background = gif->SColorMap ? global[gif->SBackGroundColor & 0xFF] : 0xFF000000u;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, background);
  std::vector<GifPixelType> line(frame.Width);
  for (const int y : RowOrder(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) return false;
    uint32_t* out = pixels.data() + static_cast<size_t>(frame.Top + y) * width + frame.Left;
    for (int x = 0; x < frame.Width; ++x) out[x] = local[line[x]];
  }
  picture.Width = static_cast<int>(width);
  picture.Height = static_cast<int>(height);
  picture.Alpha = TPictureAlpha::None;
  picture.Pixels = std::move(pixels);
  return true;
}

}  // namespace pelto5
