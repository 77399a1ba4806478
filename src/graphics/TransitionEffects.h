// TTransitionEffects: the eight picture transitions of a window. Each one
// turns the old frame into the new one inside an effect rectangle over a
// fixed number of frames, painting the whole working picture to the canvas
// after every frame and pacing the frames by the platform clock with
// cumulative deadlines (frame k ends at start + k x frame time), while the
// platform processes window messages. The routines run to completion inside
// the call.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string_view>

#include "graphics/LasGraphic.h"
#include "platform/Canvas.h"

namespace pelto5 {

// Effect numbers, as the graphic-draw command names them.
enum class TEffectType {
  Fadein = 0,
  LeftTo = 1,
  TopTo = 2,
  RndPanel = 3,
  Blind = 4,
  Square = 5,
  Wave = 6,
  Mosaic = 7,
};

class TTransitionEffects {
 public:
  // Frame times in milliseconds.
  static constexpr uint32_t kFadeinFrameTime = 150;
  static constexpr uint32_t kStripFrameTime = 40;  // LeftTo, TopTo, Blind, Square
  static constexpr uint32_t kRndPanelFrameTime = 30;
  static constexpr uint32_t kWaveFrameTime = 100;
  static constexpr uint32_t kMosaicFrameTime = 200;

  // Called after each paint of the canvas (and its presentation) with the
  // number of paints so far in this routine, before the frame's wait. Lets
  // an observer look at the intermediate frames.
  using TFrameHook = std::function<void(int paintCount)>;

  // canvas: where every frame is painted (the window's canvas); random: the
  // generator of RndPanel's panel order, seeded by the owner.
  TTransitionEffects(TCanvas& canvas, std::mt19937& random);

  // The effect number of a transition keyword ("Fadein" ... "Mosaic",
  // compared exactly); -1 for anything else, "None" included.
  static int EffectNumber(std::string_view name);

  // Runs transition number effect from oldPicture (which is overwritten) to
  // newPicture inside (x, y, width, height). A number outside 0..7 plays
  // nothing and returns false.
  bool Run(int effect, TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y,
           int width, int height);

  void Fadein(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
              int height);
  void LeftTo(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
              int height);
  void TopTo(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
             int height);
  void RndPanel(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
                int height);
  void Blind(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
             int height);
  void Square(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
              int height);
  void Wave(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
            int height);
  void Mosaic(TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y, int width,
              int height);

  void SetFrameHook(TFrameHook hook) { FFrameHook = std::move(hook); }

 private:
  struct TRect {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
  };

  // Cuts the rectangle to the part both pictures cover (so a rectangle far
  // beyond the window cannot make a transition run for hours, and pieces
  // never spill outside it). False when nothing is left.
  [[nodiscard]] bool BeginEffect(const TLasGraphic& oldPicture, const TLasGraphic& newPicture, int x, int y,
                                 int width, int height, uint32_t frameTime);
  // Copies a piece of source onto dest, cut to the effect rectangle.
  void CopyPiece(const TLasGraphic& source, TLasGraphic& dest, int destX, int destY, int width,
                 int height, int srcX, int srcY) const;
  void StripsReveal(TLasGraphic& oldPicture, const TLasGraphic& newPicture, bool columns);
  void Pixelate(const TLasGraphic& source, TLasGraphic& work, int blockSize) const;
  // Paints the whole picture to the canvas and presents it.
  void Paint(const TLasGraphic& picture);
  // Paints, then waits until start + frames painted so far x frame time.
  void PaintAndWait(const TLasGraphic& picture);

  TCanvas& FCanvas;
  std::mt19937& FRandom;
  TFrameHook FFrameHook;
  TRect FRect;
  uint32_t FStart = 0;
  uint32_t FFrameTime = 0;
  int FFrames = 0;
  int FPaints = 0;
};

}  // namespace pelto5
