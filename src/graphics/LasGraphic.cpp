#include "graphics/LasGraphic.h"

#include <algorithm>
#include <cstring>

#include "graphics/ColorText.h"
#include "graphics/PixelRows.h"

namespace pelto5 {

// The clipped rectangle of a copy between two surfaces.
struct TLasGraphic::TCopy {
  int DestX = 0;
  int DestY = 0;
  int Width = 0;
  int Height = 0;
  int SrcX = 0;
  int SrcY = 0;

  TRect Dest() const { return {DestX, DestY, Width, Height}; }
  // Keeps the part inside clip; false if nothing is left.
  bool Restrict(const TRect& clip) {
    const TRect kept = IntersectRect(Dest(), clip);
    if (kept.IsEmpty()) return false;
    SrcX += kept.Left - DestX;
    SrcY += kept.Top - DestY;
    DestX = kept.Left;
    DestY = kept.Top;
    Width = kept.Width;
    Height = kept.Height;
    return true;
  }
};

namespace {

using TClipRect = TLasGraphic::TCopy;

constexpr uint32_t kWhitePixel = 0x00FFFFFF;


// Clips the rectangle (destX, destY, width, height) on a destination of
// destW x destH, read from (srcX, srcY) on a source of srcW x srcH. A right
// or bottom edge that is not past the left or top edge, or beyond the
// destination, is moved to the destination's edge. False if nothing is left.
bool ClipCopy(int destW, int destH, int srcW, int srcH, int64_t destX, int64_t destY,
              int64_t width, int64_t height, int64_t srcX, int64_t srcY, TClipRect& clip) {
  // Negative source origins are kept out by moving the destination instead.
  if (srcX < 0) {
    destX -= srcX;
    width += srcX;
    srcX = 0;
  }
  if (srcY < 0) {
    destY -= srcY;
    height += srcY;
    srcY = 0;
  }
  int64_t right = destX + width - 1;
  int64_t bottom = destY + height - 1;
  if (destX < 0) {
    srcX -= destX;
    destX = 0;
  }
  if (destY < 0) {
    srcY -= destY;
    destY = 0;
  }
  if (right <= destX || right >= destW) right = destW - 1;
  if (bottom <= destY || bottom >= destH) bottom = destH - 1;
  width = right - destX + 1;
  height = bottom - destY + 1;
  if (srcW - srcX < width) width = srcW - srcX;
  if (srcH - srcY < height) height = srcH - srcY;
  if (width <= 0 || height <= 0) return false;
  clip.DestX = static_cast<int>(destX);
  clip.DestY = static_cast<int>(destY);
  clip.Width = static_cast<int>(width);
  clip.Height = static_cast<int>(height);
  clip.SrcX = static_cast<int>(srcX);
  clip.SrcY = static_cast<int>(srcY);
  return true;
}

}  // namespace

TLasGraphic::TLasGraphic() { SetSize(10, 10); }

void TLasGraphic::ClampSize(int& width, int& height) {
  width = std::clamp(width, 0, kMaxSide);
  height = std::clamp(height, 0, kMaxSide);
  if (width > 0 && static_cast<int64_t>(width) * height > kMaxArea) {
    height = static_cast<int>(kMaxArea / width);
  }
  if (width == 0 || height == 0) width = height = 0;
}

void TLasGraphic::SetSize(int width, int height) {
  ClampSize(width, height);
  ++FVersion;
  FWidth = width;
  FHeight = height;
  const size_t count = static_cast<size_t>(width) * height;
  FPixels.assign(count, kWhitePixel);
  FAlpha.clear();
  FAlpha.shrink_to_fit();
  if (FAlphaType != TAlphaType::None) FAlpha.assign(count, 0);
}

void TLasGraphic::SetAlphaType(TAlphaType type) {
  ++FVersion;
  if (type == TAlphaType::None) {
    FAlpha.clear();
    FAlpha.shrink_to_fit();
  } else if (FAlphaType == TAlphaType::None) {
    FAlpha.assign(FPixels.size(), 255);
  }
  FAlphaType = type;
}

void TLasGraphic::Assign(const TLasGraphic& source) {
  if (&source == this) return;
  SetAlphaType(source.FAlphaType);
  SetSize(source.FWidth, source.FHeight);
  FPixels = source.FPixels;
  if (!FAlpha.empty()) FAlpha = source.FAlpha;
}

void TLasGraphic::AssignGraphic(const TPicture& picture) {
  SetAlphaType(TAlphaType::None);
  SetSize(picture.Width, picture.Height);
  if (picture.Width <= 0 || picture.Pixels.size() < static_cast<size_t>(picture.Width) * picture.Height) {
    return;
  }
  for (int y = 0; y < FHeight; ++y) {
    std::memcpy(Row(y), picture.Pixels.data() + static_cast<size_t>(y) * picture.Width,
                static_cast<size_t>(FWidth) * sizeof(uint32_t));
  }
}

void TLasGraphic::TakePicture(TPicture&& picture) {
  // The alpha kind comes from the new picture alone: an opaque picture
  // after a translucent one in the same surface is opaque again.
  TAlphaType type = TAlphaType::None;
  if (picture.Alpha == TPictureAlpha::Mask) type = TAlphaType::Mask;
  if (picture.Alpha == TPictureAlpha::Blend) type = TAlphaType::Blend;
  SetAlphaType(type);
  ++FVersion;
  FWidth = picture.Width;
  FHeight = picture.Height;
  FPixels = std::move(picture.Pixels);
  FAlpha.clear();
  if (FAlphaType != TAlphaType::None) {
    FAlpha.resize(FPixels.size());
    if (picture.HasAlpha()) {
      for (size_t i = 0; i < FPixels.size(); ++i) FAlpha[i] = static_cast<uint8_t>(FPixels[i] >> 24);
    } else {
      std::fill(FAlpha.begin(), FAlpha.end(), uint8_t{255});
    }
  }
}

uint32_t TLasGraphic::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
  return PixelToColor(Row(y)[x]);
}

bool TLasGraphic::IsOpaqueAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return false;
  if (FAlphaType == TAlphaType::None || FAlpha.empty()) return true;
  return AlphaRow(y)[x] > 15;
}

void TLasGraphic::DrawTo(TLasGraphic& dest, int destX, int destY, int width, int height, int srcX,
                         int srcY) const {
  TClipRect c;
  if (!ClipCopy(dest.FWidth, dest.FHeight, FWidth, FHeight, destX, destY, width, height, srcX, srcY,
                c)) {
    return;
  }
  CopyRows(dest, c);
}

void TLasGraphic::DrawTo(TLasGraphic& dest, int destX, int destY, int width, int height, int srcX,
                         int srcY, const TRect& clip) const {
  // Clipped to the surfaces first, as the whole copy is: a width or height
  // of 1 or less reaches the destination's edge before clip cuts it.
  TClipRect c;
  if (!ClipCopy(dest.FWidth, dest.FHeight, FWidth, FHeight, destX, destY, width, height, srcX, srcY,
                c) ||
      !c.Restrict(clip)) {
    return;
  }
  CopyRows(dest, c);
}

TRect TLasGraphic::DrawArea(const TLasGraphic& dest, int destX, int destY, int width, int height,
                            int srcX, int srcY, int* fromX, int* fromY) const {
  TClipRect c;
  if (!ClipCopy(dest.FWidth, dest.FHeight, FWidth, FHeight, destX, destY, width, height, srcX, srcY,
                c)) {
    return {};
  }
  if (fromX) *fromX = c.SrcX;
  if (fromY) *fromY = c.SrcY;
  return c.Dest();
}

void TLasGraphic::CopyRectTo(TLasGraphic& dest, const TRect& rect) const {
  const TRect r = IntersectRect(rect, TRect{0, 0, std::min(FWidth, dest.FWidth), std::min(FHeight, dest.FHeight)});
  if (r.IsEmpty()) return;
  for (int row = r.Top; row < r.Top + r.Height; ++row) {
    std::memcpy(dest.Row(row) + r.Left, Row(row) + r.Left, static_cast<size_t>(r.Width) * sizeof(uint32_t));
  }
}

void TLasGraphic::CopyRows(TLasGraphic& dest, const TCopy& c) const {
  const bool sourceAlpha = FAlphaType != TAlphaType::None && !FAlpha.empty();
  for (int row = 0; row < c.Height; ++row) {
    const uint32_t* s = Row(c.SrcY + row) + c.SrcX;
    uint32_t* d = dest.Row(c.DestY + row) + c.DestX;
    if (!sourceAlpha) {
      std::memmove(d, s, static_cast<size_t>(c.Width) * sizeof(uint32_t));
      continue;
    }
    const uint8_t* a = AlphaRow(c.SrcY + row) + c.SrcX;
    if (FAlphaType == TAlphaType::Mask) {
      MaskRow(d, s, a, c.Width, &dest != this);
    } else {
      BlendRow(d, s, a, c.Width, &dest != this);
    }
  }
  if (dest.FAlpha.empty()) return;
  for (int row = 0; row < c.Height; ++row) {
    uint8_t* da = dest.AlphaRow(c.DestY + row) + c.DestX;
    if (sourceAlpha) {
      const uint8_t* sa = AlphaRow(c.SrcY + row) + c.SrcX;
      for (int i = 0; i < c.Width; ++i) da[i] |= sa[i];
    } else {
      std::memset(da, 255, static_cast<size_t>(c.Width));
    }
  }
}

void TLasGraphic::BlendTo(TLasGraphic& dest, int destX, int destY, int width, int height, int srcX,
                          int srcY, int alpha) const {
  if (FAlphaType != TAlphaType::None) return;
  TClipRect c;
  if (!ClipCopy(dest.FWidth, dest.FHeight, FWidth, FHeight, destX, destY, width, height, srcX, srcY,
                c)) {
    return;
  }
  const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  for (int row = 0; row < c.Height; ++row) {
    const uint32_t* s = Row(c.SrcY + row) + c.SrcX;
    uint32_t* d = dest.Row(c.DestY + row) + c.DestX;
    for (int i = 0; i < c.Width; ++i) d[i] = BlendPixel(d[i], s[i], a);
  }
}

void TLasGraphic::FillRect(int x, int y, int width, int height, uint32_t color) {
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, FWidth);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, FHeight);
  if (right <= left || bottom <= top) return;
  const uint32_t pixel = ColorToPixel(color);
  const size_t count = static_cast<size_t>(right - left);
  for (int64_t row = top; row < bottom; ++row) {
    std::fill_n(Row(static_cast<int>(row)) + left, count, pixel);
    if (!FAlpha.empty()) std::memset(AlphaRow(static_cast<int>(row)) + left, 255, count);
  }
}

void TLasGraphic::DrawToCanvas(TCanvas& canvas, int x, int y) const {
  DrawToCanvas(canvas, x, y, TRect{0, 0, canvas.Width(), canvas.Height()});
}

void TLasGraphic::DrawToCanvas(TCanvas& canvas, int x, int y, const TRect& clip) const {
  if (FPixels.empty()) return;
  const TRect area = IntersectRect(IntersectRect(TRect{x, y, FWidth, FHeight}, clip),
                                   TRect{0, 0, canvas.Width(), canvas.Height()});
  if (area.IsEmpty()) return;
  for (int row = area.Top; row < area.Top + area.Height; ++row) {
    std::memcpy(canvas.Row(row) + area.Left, Row(row - y) + (area.Left - x),
                static_cast<size_t>(area.Width) * sizeof(uint32_t));
  }
}

void TLasGraphic::StretchToCanvas(TCanvas& canvas, int x, int y, int width, int height) const {
  if (FPixels.empty() || width <= 0 || height <= 0) return;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, canvas.Width());
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, canvas.Height());
  if (right <= left || bottom <= top) return;
  std::vector<int> columns(static_cast<size_t>(right - left));
  for (int64_t dx = left; dx < right; ++dx) {
    columns[static_cast<size_t>(dx - left)] = static_cast<int>((dx - x) * FWidth / width);
  }
  for (int64_t row = top; row < bottom; ++row) {
    const uint32_t* s = Row(static_cast<int>((row - y) * FHeight / height));
    uint32_t* d = canvas.Row(static_cast<int>(row)) + left;
    for (size_t i = 0; i < columns.size(); ++i) d[i] = s[columns[i]];
  }
}

void TLasGraphic::SetColorKey() {
  if (FAlphaType == TAlphaType::None) SetAlphaType(TAlphaType::Mask);
  if (FPixels.empty()) return;
  ++FVersion;
  const uint32_t key = Row(FHeight - 1)[0] & 0x00FFFFFFu;
  for (size_t i = 0; i < FPixels.size(); ++i) {
    if ((FPixels[i] & 0x00FFFFFFu) == key) FAlpha[i] = 0;
  }
}

void TLasGraphic::SetHalfTranslucent() {
  SetAlphaType(TAlphaType::Blend);
  ++FVersion;
  for (uint8_t& a : FAlpha) {
    if (a > 128) a = 128;
  }
}

void TLasGraphic::ClearAlpha() {
  if (FAlphaType == TAlphaType::None) SetAlphaType(TAlphaType::Mask);
  ++FVersion;
  std::fill(FAlpha.begin(), FAlpha.end(), 0);
}

}  // namespace pelto5
