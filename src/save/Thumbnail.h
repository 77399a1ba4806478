// The picture of a state save: the main screen without its top layer (the
// message text), reduced to 80 x 60 pixels and stored as a BMP file.
#pragma once

#include <string>

namespace pelto5 {

class TLasGraphic;
class TLasScreen;

constexpr int kThumbnailWidth = 80;
constexpr int kThumbnailHeight = 60;

// Composes the screen's layers bottom-up, the visible ones only, up to and
// including the second-highest (the base layer alone when there is no
// other) onto a surface of the screen's size.
void ComposeBelowTopLayer(const TLasScreen& screen, TLasGraphic& surface);

// Fits source into dest, resized to width x height: each pixel of dest is
// the average of the source pixels it covers (at least one), so a large
// screen shrinks smoothly and a small one grows by repetition. dest gets no
// alpha plane.
void StretchGraphic(const TLasGraphic& source, TLasGraphic& dest, int width, int height);

// The BMP file (32 bits per pixel) of the screen's thumbnail.
std::string MakeThumbnailBmp(const TLasScreen& screen);

}  // namespace pelto5
