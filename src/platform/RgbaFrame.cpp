#include "platform/RgbaFrame.h"

namespace pelto5 {

namespace {

void ConvertRow(const uint32_t* src, uint8_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    const uint32_t pixel = src[i];
    dst[0] = static_cast<uint8_t>(pixel >> 16);
    dst[1] = static_cast<uint8_t>(pixel >> 8);
    dst[2] = static_cast<uint8_t>(pixel);
    dst[3] = 255;
    dst += 4;
  }
}

}  // namespace

void TRgbaFrame::Convert(const TCanvas& canvas) {
  FWidth = canvas.Width();
  FHeight = canvas.Height();
  FBytes.resize(static_cast<size_t>(FWidth) * FHeight * 4);
  if (!FBytes.empty()) ConvertRow(canvas.Pixels(), FBytes.data(), FWidth * FHeight);
}

bool TRgbaFrame::ConvertRect(const TCanvas& canvas, const TRect& rect) {
  if (canvas.Width() != FWidth || canvas.Height() != FHeight) return false;
  const TRect part = IntersectRect(rect, TRect{0, 0, FWidth, FHeight});
  for (int y = part.Top; y < part.Top + part.Height; ++y) {
    ConvertRow(canvas.Row(y) + part.Left, FBytes.data() + (static_cast<size_t>(y) * FWidth + part.Left) * 4,
               part.Width);
  }
  return true;
}

}  // namespace pelto5
