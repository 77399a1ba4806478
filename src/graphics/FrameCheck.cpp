#include "graphics/FrameCheck.h"

#include <algorithm>
#include <utility>

#include "graphics/LasScreen.h"

namespace pelto5 {

template <class TExpected, class TActual>
void TFrameCheck::Compare(const char* what, const TExpected& expected, const TActual& actual, int width,
                          int height) {
  ++FChecks;
  for (int y = 0; y < height; ++y) {
    const uint32_t* e = expected.Row(y);
    const uint32_t* a = actual.Row(y);
    const auto [ei, ai] = std::mismatch(e, e + width, a);
    if (ei == e + width) continue;
    Differs(std::string(what) + " differs at (" + std::to_string(ei - e) + ", " + std::to_string(y) + ")");
    return;
  }
}

void TFrameCheck::Differs(const std::string& what) {
  ++FDifferences;
  if (FFirstDifference.empty()) FFirstDifference = what;
}

void TFrameCheck::Start(const TLasGraphic& composition, const TLasGraphic& frame) {
  FComposition.Assign(composition);
  FFrame.Assign(frame);
  FShown.SetSize(0, 0);
}

void TFrameCheck::Composed(const TLasScreen& screen) {
  // As without tracking: every visible layer, bottom-up, over what the
  // composition held.
  const TLasGraphic& c = screen.Composition;
  if (FComposition.Width() != c.Width() || FComposition.Height() != c.Height()) FComposition.Assign(c);
  screen.GetTopLayer()->ComposeTo(FComposition);
  Compare("composition", std::as_const(FComposition), c, c.Width(), c.Height());
}

void TFrameCheck::DrewOnComposition(const TLasGraphic& graphic, int destX, int destY, int width, int height,
                                    int srcX, int srcY) {
  graphic.DrawTo(FComposition, destX, destY, width, height, srcX, srcY);
}

void TFrameCheck::FrameUpdated(TLasScreen& screen) {
  FFrame.Assign(FComposition);
  screen.DynamicLayers.DrawTo(FFrame);
  const TLasGraphic& f = screen.Frame;
  if (f.Width() != FFrame.Width() || f.Height() != FFrame.Height()) {
    ++FChecks;
    Differs("frame size differs");
    return;
  }
  Compare("frame", std::as_const(FFrame), f, f.Width(), f.Height());
}

void TFrameCheck::Painted(TLasScreen& screen, const TCanvas& canvas, const TDirtyRegion* presented) {
  // What the window shows: the canvas where it was presented.
  if (presented == nullptr || FShown.Width() != canvas.Width() || FShown.Height() != canvas.Height()) {
    FShown = canvas;
  } else {
    for (const TRect& r : presented->Rects()) {
      for (int y = r.Top; y < r.Top + r.Height; ++y) {
        std::copy_n(canvas.Row(y) + r.Left, r.Width, FShown.Row(y) + r.Left);
      }
    }
  }
  // What it should show: the full frame with the overlay over it.
  FExpected = canvas;
  FFrame.DrawToCanvas(FExpected, 0, 0);
  if (screen.PaintOverlay) screen.PaintOverlay(FExpected);
  const int width = std::min(FFrame.Width(), canvas.Width());
  const int height = std::min(FFrame.Height(), canvas.Height());
  Compare("canvas", std::as_const(FExpected), canvas, width, height);
  Compare("presented picture", std::as_const(FExpected), std::as_const(FShown), width, height);
}

}  // namespace pelto5
