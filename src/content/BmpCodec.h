// Windows bitmap (BMP) reading and writing.
//
// Reading takes 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, with
// bit-field masks, or RLE8 / RLE4 compressed, stored bottom-up or top-down,
// with the core (12-byte) header or any of the later info headers. A BMP
// comes from outside: every size, offset and run is checked against the
// data, and pictures larger than a surface can hold are refused.
// Writing produces a 32-bit bottom-up bitmap.
#pragma once

#include <string>
#include <string_view>

#include "graphics/Picture.h"

namespace pelto5 {

class TLasGraphic;

// Decodes BMP bytes into picture (pixels 0x00RRGGBB). False, picture
// untouched, if the data is not a BMP this reader understands or is cut
// short. Pixels that an RLE bitmap never sets (skipped by a delta or an
// early end) are black.
bool DecodeBmp(std::string_view data, TPicture& picture);
// Decodes into a surface through AssignGraphic (no alpha plane). The
// surface is unchanged on failure.
bool LoadBmp(std::string_view data, TLasGraphic& graphic);

// A 32-bit BMP of the surface's colour pixels (fourth byte written as 0).
std::string EncodeBmp32(const TLasGraphic& graphic);

}  // namespace pelto5
