// A development check of a screen's change tracking: beside the screen it
// keeps the composition and the frame made in full at every step, as they
// would be without tracking, and a picture of what the window shows,
// updated only with the rectangles the screen presents. After every step
// it compares them with the screen's own; each difference is counted and
// the first one described.
#pragma once

#include <cstdint>
#include <string>

#include "base/DirtyRegion.h"
#include "graphics/LasGraphic.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TLasScreen;

class TFrameCheck {
 public:
  // Starts from the screen's present composition and frame.
  void Start(const TLasGraphic& composition, const TLasGraphic& frame);
  void Composed(const TLasScreen& screen);
  void DrewOnComposition(const TLasGraphic& graphic, int destX, int destY, int width, int height, int srcX,
                         int srcY);
  void FrameUpdated(TLasScreen& screen);
  // presented: the rectangles presented, or null when the whole canvas was.
  void Painted(TLasScreen& screen, const TCanvas& canvas, const TDirtyRegion* presented);

  int Checks() const { return FChecks; }
  int Differences() const { return FDifferences; }
  const std::string& FirstDifference() const { return FFirstDifference; }

 private:
  // Counts one check; a difference of expected and actual inside width x
  // height (both with const Row(y)) is counted and the first described.
  template <class TExpected, class TActual>
  void Compare(const char* what, const TExpected& expected, const TActual& actual, int width, int height);
  void Differs(const std::string& what);

  TLasGraphic FComposition;
  TLasGraphic FFrame;
  TCanvas FShown;     // what a window updated with the presented rectangles shows
  TCanvas FExpected;  // what it should show
  int FChecks = 0;
  int FDifferences = 0;
  std::string FFirstDifference;
};

}  // namespace pelto5
