#include "save/Thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/LasGraphic.h"
#include "graphics/LasLayer.h"
#include "graphics/LasScreen.h"
#include "image/BmpEncoder.h"

namespace pelto5 {

namespace {

// The source span [First, Last) that one target pixel covers.
struct TSpan {
  int First = 0;
  int Last = 1;
};

std::vector<TSpan> Spans(int sourceLength, int targetLength) {
  std::vector<TSpan> spans(static_cast<size_t>(targetLength));
  for (int i = 0; i < targetLength; ++i) {
    const int first = static_cast<int>(int64_t{i} * sourceLength / targetLength);
    const int last = static_cast<int>(int64_t{i + 1} * sourceLength / targetLength);
    spans[static_cast<size_t>(i)] = {first, std::max(first + 1, last)};
  }
  return spans;
}

}  // namespace

void ComposeBelowTopLayer(const TLasScreen& screen, TLasGraphic& surface) {
  surface.SetSize(screen.Width, screen.Height);
  surface.FillRect(0, 0, surface.Width(), surface.Height(), 0);
  const int index = std::max(screen.GetLayerCount() - 2, 0);
  if (const TLasLayer* layer = screen.GetLayer(index)) layer->ComposeTo(surface);
}

void StretchGraphic(const TLasGraphic& source, TLasGraphic& dest, int width, int height) {
  dest.SetAlphaType(TAlphaType::None);
  dest.SetSize(width, height);
  dest.FillRect(0, 0, dest.Width(), dest.Height(), 0);
  if (source.Width() <= 0 || source.Height() <= 0 || dest.Width() <= 0 || dest.Height() <= 0) return;
  const std::vector<TSpan> columns = Spans(source.Width(), dest.Width());
  const std::vector<TSpan> rows = Spans(source.Height(), dest.Height());
  for (int y = 0; y < dest.Height(); ++y) {
    const TSpan rowSpan = rows[static_cast<size_t>(y)];
    uint32_t* out = dest.Row(y);
    for (int x = 0; x < dest.Width(); ++x) {
      const TSpan columnSpan = columns[static_cast<size_t>(x)];
      uint64_t blue = 0, green = 0, red = 0;
      for (int sy = rowSpan.First; sy < rowSpan.Last; ++sy) {
        const uint32_t* in = source.Row(sy);
        for (int sx = columnSpan.First; sx < columnSpan.Last; ++sx) {
          blue += in[sx] & 0xFFu;
          green += (in[sx] >> 8) & 0xFFu;
          red += (in[sx] >> 16) & 0xFFu;
        }
      }
      const uint64_t count = static_cast<uint64_t>(rowSpan.Last - rowSpan.First) *
                             static_cast<uint64_t>(columnSpan.Last - columnSpan.First);
      // Rounded to the nearest value.
      const auto average = [count](uint64_t sum) { return static_cast<uint32_t>((sum + count / 2) / count); };
      out[x] = average(blue) | (average(green) << 8) | (average(red) << 16);
    }
  }
}

std::string MakeThumbnailBmp(const TLasScreen& screen) {
  TLasGraphic whole;
  ComposeBelowTopLayer(screen, whole);
  TLasGraphic small;
  StretchGraphic(whole, small, kThumbnailWidth, kThumbnailHeight);
  return EncodeBmp32(small.View());
}

}  // namespace pelto5
