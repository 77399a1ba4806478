// Comparing the picture a scenario test took with the one it expects, and
// the picture of their difference: the pixels that changed in full red over
// a faded copy of the expected picture.
#pragma once

#include "image/Picture.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TPictureDiff {
 public:
  // Counts the pixels of actual (0x00RRGGBB) that differ from expected
  // (alpha ignored); where the sizes differ, every pixel outside the
  // area both cover counts. With diff, draws the difference picture there
  // (the larger width and height of the two).
  static int Compare(const TCanvas& actual, const TPicture& expected, TCanvas* diff);

  static constexpr uint32_t kChanged = 0xFF0000;
};

}  // namespace pelto5
