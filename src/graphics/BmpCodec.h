// BMP between files and surfaces: reading into a surface through the BMP
// decoder, and writing a surface as a 32-bit bottom-up bitmap.
#pragma once

#include <string>
#include <string_view>

#include "image/BmpDecoder.h"

namespace pelto5 {

class TLasGraphic;

// Decodes into a surface through AssignGraphic (no alpha plane). The
// surface is unchanged on failure.
bool LoadBmp(std::string_view data, TLasGraphic& graphic);

// A 32-bit BMP of the surface's colour pixels (fourth byte written as 0).
std::string EncodeBmp32(const TLasGraphic& graphic);

}  // namespace pelto5
