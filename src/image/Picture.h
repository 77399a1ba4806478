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

// Pixels a picture may have beyond those its data could fill. Some formats
// describe a large picture in a few bytes by leaving most of it undefined:
// a BMP through deltas or an early end of its runs, a GIF through a frame
// smaller than its screen. A picture up to this much larger than what its
// data could fill (about one full-HD screen, 8 MB of pixels) is accepted;
// beyond that a few bytes of a file cannot claim a large allocation.
constexpr int64_t kPictureUndefinedAllowance = int64_t{1} << 21;

// Whether a picture of area pixels can come from data that fills at most
// fillable of them, the rest left undefined.
constexpr bool PictureDataCanFill(int64_t area, uint64_t fillable) {
  return area >= 0 && static_cast<uint64_t>(area) <= fillable + kPictureUndefinedAllowance;
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
