#include "app/PictureDiff.h"

#include <algorithm>

namespace pelto5 {

namespace {

// The pixel moved three quarters of the way to white, so that the changed
// pixels stand out against it and the scene can still be made out.
uint32_t Faded(uint32_t rgb) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t c = (rgb >> shift) & 0xFF;
    out |= (255 - (255 - c) / 4) << shift;
  }
  return out;
}

}  // namespace

int TPictureDiff::Compare(const TCanvas& actual, const TPicture& expected, TCanvas* diff) {
  const int width = std::max(actual.Width(), expected.Width);
  const int height = std::max(actual.Height(), expected.Height);
  if (diff) diff->SetSize(width, height);
  int changed = 0;
  for (int y = 0; y < height; ++y) {
    uint32_t* out = diff ? diff->Row(y) : nullptr;
    for (int x = 0; x < width; ++x) {
      const bool inActual = x < actual.Width() && y < actual.Height();
      const bool inExpected = x < expected.Width && y < expected.Height;
      const uint32_t want = inExpected ? expected.Pixels[static_cast<size_t>(y) * expected.Width + x] & 0xFFFFFF : 0;
      const bool same = inActual && inExpected && (actual.Row(y)[x] & 0xFFFFFF) == want;
      if (!same) ++changed;
      if (out) out[x] = same ? Faded(want) : kChanged;
    }
  }
  return changed;
}

}  // namespace pelto5
