// A decoded picture handed from an image decoder to a surface: 32-bit
// pixels, bytes blue, green, red, fourth, rows top first. When the picture
// has alpha the fourth byte of every pixel is its alpha (0 transparent,
// 255 opaque); otherwise the fourth byte means nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace pelto5 {

// Largest side and area of any picture or surface. Decoders refuse bigger
// pictures before they allocate anything, so an image header cannot ask for
// unbounded memory.
constexpr int kPictureMaxSide = 16384;
constexpr int64_t kPictureMaxArea = int64_t{1} << 26;

// Whether a width x height picture is within the limits (both sides > 0).
constexpr bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kPictureMaxSide && height <= kPictureMaxSide &&
         width * height <= kPictureMaxArea;
}

// None: fully opaque. Mask: two-level (a pixel is drawn where its alpha is
// non-zero). Blend: per-pixel alpha.
enum class TPictureAlpha { None, Mask, Blend };

struct TPicture {
  int Width = 0;
  int Height = 0;
  TPictureAlpha Alpha = TPictureAlpha::None;
  std::vector<uint32_t> Pixels;  // Width * Height words, 0xAARRGGBB

  [[nodiscard]] bool HasAlpha() const { return Alpha != TPictureAlpha::None; }
};

}  // namespace pelto5
