// Where a picture lies when it is scaled into a window of another size
// with its aspect ratio kept: centred, with bars on two sides. Maps window
// points back to picture pixels and picture pixels out to window points.
#pragma once

namespace pelto5 {

class TLetterbox {
 public:
  // The largest rectangle of the picture's aspect that fits the output,
  // centred. Sizes below 1 count as 1.
  static TLetterbox Fit(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight);

  // A point of the output to the picture pixel under it, rounding towards
  // minus infinity, so a point on a bar stays outside the picture.
  void ToPicture(int x, int y, int& pictureX, int& pictureY) const;
  // A picture position to the output point where it is shown.
  void ToOutput(int pictureX, int pictureY, int& x, int& y) const;

  int X = 0;
  int Y = 0;
  int Width = 1;
  int Height = 1;
  int PictureWidth = 1;
  int PictureHeight = 1;
};

}  // namespace pelto5
