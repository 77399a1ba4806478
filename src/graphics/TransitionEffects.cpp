#include "graphics/TransitionEffects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "graphics/PixelRows.h"
#include "platform/Platform.h"
#include "script/CommandKeys.h"

namespace pelto5 {

namespace {

// Blends (x, y, w, h) of source onto the same place of dest. The rectangle
// is already inside both surfaces. BlendTo stretches a rectangle one pixel
// wide or high to the surface's edge, so such thin ones are blended here.
void BlendRect(const TLasGraphic& source, TLasGraphic& dest, int x, int y, int w, int h,
               int alpha) {
  if (w >= 2 && h >= 2) {
    source.BlendTo(dest, x, y, w, h, x, y, alpha);
    return;
  }
  if (source.AlphaType() != TAlphaType::None) return;  // as BlendTo: nothing
  for (int row = y; row < y + h; ++row) {
    const uint32_t* s = source.Row(row);
    uint32_t* d = dest.Row(row);
    for (int col = x; col < x + w; ++col) d[col] = BlendPixel(d[col], s[col], alpha);
  }
}

}  // namespace

TTransitionEffects::TTransitionEffects(TCanvas& canvas, std::mt19937& random)
    : FCanvas(canvas), FRandom(random) {}

int TTransitionEffects::EffectNumber(std::string_view name) {
  // The keywords of "GraphicDraw.EffectType" stand in effect-number order.
  const int index = TCommandKeys::KeywordIndex(cmdkey::GraphicDrawEffectType, name);
  return index >= 0 && index < cmdkey::efNone ? index : -1;
}

bool TTransitionEffects::Run(int effect, TLasGraphic& oldPicture, const TLasGraphic& newPicture,
                             int x, int y, int width, int height) {
  switch (effect) {
    case 0: Fadein(oldPicture, newPicture, x, y, width, height); return true;
    case 1: LeftTo(oldPicture, newPicture, x, y, width, height); return true;
    case 2: TopTo(oldPicture, newPicture, x, y, width, height); return true;
    case 3: RndPanel(oldPicture, newPicture, x, y, width, height); return true;
    case 4: Blind(oldPicture, newPicture, x, y, width, height); return true;
    case 5: Square(oldPicture, newPicture, x, y, width, height); return true;
    case 6: Wave(oldPicture, newPicture, x, y, width, height); return true;
    case 7: Mosaic(oldPicture, newPicture, x, y, width, height); return true;
    default: return false;
  }
}

bool TTransitionEffects::BeginEffect(const TLasGraphic& oldPicture, const TLasGraphic& newPicture,
                                     int x, int y, int width, int height, uint32_t frameTime) {
  const int64_t pictureW = std::min(oldPicture.Width(), newPicture.Width());
  const int64_t pictureH = std::min(oldPicture.Height(), newPicture.Height());
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, pictureW);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, pictureH);
  if (width <= 0 || height <= 0 || right <= left || bottom <= top) return false;
  FRect = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
           static_cast<int>(bottom - top)};
  FStart = Platform().GetTickCount();
  FFrameTime = frameTime;
  FFrames = 0;
  FPaints = 0;
  return true;
}

void TTransitionEffects::CopyPiece(const TLasGraphic& source, TLasGraphic& dest, int destX,
                                   int destY, int width, int height, int srcX, int srcY) const {
  // Cut to the effect rectangle, which lies inside both pictures.
  int64_t left = destX;
  int64_t top = destY;
  int64_t right = int64_t{destX} + width;
  int64_t bottom = int64_t{destY} + height;
  int64_t sx = srcX;
  int64_t sy = srcY;
  if (left < FRect.X) {
    sx += FRect.X - left;
    left = FRect.X;
  }
  if (top < FRect.Y) {
    sy += FRect.Y - top;
    top = FRect.Y;
  }
  right = std::min<int64_t>(right, int64_t{FRect.X} + FRect.W);
  bottom = std::min<int64_t>(bottom, int64_t{FRect.Y} + FRect.H);
  // And to the source.
  if (sx < 0) {
    left -= sx;
    sx = 0;
  }
  if (sy < 0) {
    top -= sy;
    sy = 0;
  }
  right = std::min<int64_t>(right, left + (source.Width() - sx));
  bottom = std::min<int64_t>(bottom, top + (source.Height() - sy));
  if (right <= left || bottom <= top) return;
  const int w = static_cast<int>(right - left);
  const int h = static_cast<int>(bottom - top);
  if (source.AlphaType() != TAlphaType::None || dest.HasAlpha()) {
    // Pictures with an alpha plane keep DrawTo's rules (a piece one pixel
    // wide or high then reaches the surface's edge, as DrawTo does).
    source.DrawTo(dest, static_cast<int>(left), static_cast<int>(top), w, h,
                  static_cast<int>(sx), static_cast<int>(sy));
    return;
  }
  // Plain frames: DrawTo's copy rule (all four bytes), also for thin pieces.
  for (int row = 0; row < h; ++row) {
    std::memmove(dest.Row(static_cast<int>(top) + row) + left,
                 source.Row(static_cast<int>(sy) + row) + sx, static_cast<size_t>(w) * 4);
  }
}

void TTransitionEffects::Paint(const TLasGraphic& picture) {
  picture.DrawToCanvas(FCanvas, 0, 0);
  Platform().Present();
  ++FPaints;
  if (FFrameHook) FFrameHook(FPaints);
}

void TTransitionEffects::PaintAndWait(const TLasGraphic& picture) {
  Paint(picture);
  ++FFrames;
  Platform().WaitUntil(FStart + static_cast<uint32_t>(FFrames) * FFrameTime);
}

void TTransitionEffects::Fadein(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                                int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kFadeinFrameTime)) return;
  TLasGraphic work;
  for (int k = 1; k <= 8; ++k) {
    work.Assign(oldPicture);
    const int alpha = k < 8 ? 32 * k - 1 : 255;
    BlendRect(newPicture, work, FRect.X, FRect.Y, FRect.W, FRect.H, alpha);
    PaintAndWait(work);
  }
}

void TTransitionEffects::StripsReveal(TLasGraphic& oldPicture, const TLasGraphic& newPicture,
                                      bool columns) {
  // Ten strips of 2-pixel lines, each stepping 10 lines per frame; strip 9
  // starts in the first frame, strip 0 in the tenth.
  const int half = (columns ? FRect.W : FRect.H) / 2;
  std::array<int, 10> strip;
  strip.fill(-1);
  int started = 0;
  while (strip[0] < half) {
    if (started <= 9) {
      strip[9 - started] = 9 - started;
      ++started;
    }
    for (int& s : strip) {
      if (s < 0 || s >= half) continue;
      if (columns) {
        const int p = FRect.X + 2 * s;
        CopyPiece(newPicture, oldPicture, p, FRect.Y, 2, FRect.H, p, FRect.Y);
      } else {
        const int p = FRect.Y + 2 * s;
        CopyPiece(newPicture, oldPicture, FRect.X, p, FRect.W, 2, FRect.X, p);
      }
      s += 10;
    }
    PaintAndWait(oldPicture);
  }
}

void TTransitionEffects::LeftTo(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                                int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kStripFrameTime)) return;
  StripsReveal(oldPicture, newPicture, true);
}

void TTransitionEffects::TopTo(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                               int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kStripFrameTime)) return;
  StripsReveal(oldPicture, newPicture, false);
}

void TTransitionEffects::RndPanel(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                                  int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kRndPanelFrameTime)) return;
  const int pw = FRect.W / 12;
  const int ph = FRect.H / 12;
  std::array<std::pair<int, int>, 144> panels;  // (column, row)
  for (int k = 0; k < 144; ++k) panels[k] = {k / 12, k % 12};
  for (int k = 0; k < 144; ++k) {
    const int r = static_cast<int>(FRandom() % 143);
    std::swap(panels[k], panels[r]);
  }
  for (int k = 0; k < 144; ++k) {
    const auto [column, row] = panels[k];
    const int left = FRect.X + column * pw;
    const int top = FRect.Y + row * ph;
    const int w = pw + (column == 11 ? FRect.W % 12 : 0);
    const int h = ph + (row == 11 ? FRect.H % 12 : 0);
    CopyPiece(newPicture, oldPicture, left, top, w, h, left, top);
    if (k % 12 == 11) PaintAndWait(oldPicture);
  }
  Paint(newPicture);
}

void TTransitionEffects::Blind(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                               int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kStripFrameTime)) return;
  // Only whole 20-pixel bands are revealed; the rows below stay old.
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < FRect.H / 20; ++j) {
      const int p = FRect.Y + 2 * i + 20 * j;
      CopyPiece(newPicture, oldPicture, FRect.X, p, FRect.W, 2, FRect.X, p);
    }
    PaintAndWait(oldPicture);
  }
}

void TTransitionEffects::Square(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                                int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kStripFrameTime)) return;
  // The bands run one past the last whole one so the remainder is covered;
  // CopyPiece keeps them inside the rectangle.
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j <= FRect.W / 20; ++j) {
      const int p = FRect.X + 2 * i + 20 * j;
      CopyPiece(newPicture, oldPicture, p, FRect.Y, 2, FRect.H, p, FRect.Y);
    }
    for (int j = 0; j <= FRect.H / 20; ++j) {
      const int p = FRect.Y + 2 * i + 20 * j;
      CopyPiece(newPicture, oldPicture, FRect.X, p, FRect.W, 2, FRect.X, p);
    }
    PaintAndWait(oldPicture);
  }
}

void TTransitionEffects::Wave(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                              int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kWaveFrameTime)) return;
  constexpr double kPi = 3.14159265358979323846;
  std::array<double, 20> wave;
  for (int k = 0; k < 20; ++k) wave[k] = std::sin(k * kPi / 10);
  const int left = FRect.X;
  const int w = FRect.W;
  for (int n = 19; n >= 0; --n) {
    const int amplitude = 2 * n;
    const int phase = 2 * n;
    for (int i = 0; i < FRect.H / 2; ++i) {
      // Each 2-row band of the new picture, shifted cyclically by f.
      const int f = static_cast<int>(amplitude * wave[(phase + i) % 20]);
      const int p = FRect.Y + 2 * i;
      if (f < 0) {
        CopyPiece(newPicture, oldPicture, left, p, w + f, 2, left - f, p);
        CopyPiece(newPicture, oldPicture, left + w + f, p, -f, 2, left, p);
      } else if (f == 0) {
        CopyPiece(newPicture, oldPicture, left, p, w, 2, left, p);
      } else {
        CopyPiece(newPicture, oldPicture, left + f, p, w - f, 2, left, p);
        CopyPiece(newPicture, oldPicture, left, p, f, 2, left + w - f, p);
      }
    }
    PaintAndWait(oldPicture);
  }
  Paint(newPicture);
}

void TTransitionEffects::Pixelate(const TLasGraphic& source, TLasGraphic& work,
                                  int blockSize) const {
  // Blocks start at the rectangle's corner; a block reaching past the
  // rectangle is cut to it and samples its centre, or the nearest pixel
  // inside the rectangle when the centre lies beyond it.
  const int half = blockSize / 2;
  for (int by = 0; by < FRect.H; by += blockSize) {
    const int sampleY = FRect.Y + std::min(by + half, FRect.H - 1);
    const int h = std::min(blockSize, FRect.H - by);
    for (int bx = 0; bx < FRect.W; bx += blockSize) {
      const int sampleX = FRect.X + std::min(bx + half, FRect.W - 1);
      const int w = std::min(blockSize, FRect.W - bx);
      work.FillRect(FRect.X + bx, FRect.Y + by, w, h, source.GetPixel(sampleX, sampleY));
    }
  }
}

void TTransitionEffects::Mosaic(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x,
                                int y, int width, int height) {
  if (!BeginEffect(oldPicture, newPicture, x, y, width, height, kMosaicFrameTime)) return;
  // Outside the rectangle the working picture shows the old frame; for the
  // whole window the blocks cover every pixel anyway.
  TLasGraphic work;
  work.Assign(oldPicture);
  for (int g : {2, 4, 8, 16, 32}) {
    Pixelate(oldPicture, work, g);
    PaintAndWait(work);
  }
  for (int g : {32, 16, 8, 4}) {
    Pixelate(newPicture, work, g);
    PaintAndWait(work);
  }
}

}  // namespace pelto5
