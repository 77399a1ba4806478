#include "graphics/DynamicLayerList.h"

#include "graphics/ImageSource.h"

namespace pelto5 {

namespace {

// Colour value (0x00BBGGRR) of the bar behind an active text entry.
constexpr uint32_t kActiveBarColor = 0x00FF0000;

}  // namespace

bool TDynamicLayerList::BuildImage(const TLasGraphic* loaded) {
  Image.reset();
  ++FImageBuilds;
  if (IsImageEntry()) {
    if (loaded == nullptr) return false;
    Image = std::make_unique<TLasGraphic>();
    Image->Assign(*loaded);
    if (AnimeCount < 1) AnimeCount = 1;
    if (DivideCount < 1) DivideCount = 1;
    AreaWidth = Image->Width() / AnimeCount;
    AreaHeight = Image->Height() / DivideCount;
    return true;
  }
  if (IsTextEntry()) return BuildTextImage();
  AnimeCount = 1;
  DivideCount = 1;
  return true;
}

bool TDynamicLayerList::BuildImageFrom(TImageSource& source) {
  if (!IsImageEntry()) return BuildImage(nullptr);
  TLasGraphic loaded;
  if (!source.LoadImage(ImageFileName, loaded)) return BuildImage(nullptr);
  return BuildImage(&loaded);
}

// Renders Text at the area's width into a picture of two rows: the text on
// a transparent ground (idle) above the same text over a half-translucent
// blue bar (active).
bool TDynamicLayerList::BuildTextImage() {
  const int w = AreaWidth;
  // Without a width no character fits and the layout would only produce
  // empty lines; such an entry cannot be built.
  if (w < 1) return false;
  TLasGraphic t;
  t.Font.Name = TextFontName;
  t.Font.Size = TextFontSize;
  t.Font.Color = TextFontColor;
  t.Font.Bold = TextFontStyle.Bold;
  t.Font.Italic = TextFontStyle.Italic;
  t.FontColor = TextFontColor;
  t.Text = Text;
  t.DrawTextFit(w, 0);
  const int th = t.Height();
  if (th < 1) return false;

  auto s = std::make_unique<TLasGraphic>();
  s->SetSize(w, 2 * th);
  s->ClearAlpha();
  s->FillRect(0, th, w, th, kActiveBarColor);
  s->SetHalfTranslucent();
  t.DrawTo(*s, 0, 0, w, th, 0, 0);
  t.DrawTo(*s, 0, th, w, th, 0, 0);

  Image = std::move(s);
  AreaWidth = w;
  AreaHeight = th;
  AnimeCount = 1;
  DivideCount = 2;
  ImageIndexDisable = 0;
  ImageIndexEnable = 0;
  ImageIndexActive = 1;
  ImageIndexClick = 1;
  return true;
}

int TDynamicLayerList::CellWidth() const {
  if (!Image || AnimeCount < 1) return 0;
  return Image->Width() / AnimeCount;
}

int TDynamicLayerList::CellHeight() const {
  if (!Image || DivideCount < 1) return 0;
  return Image->Height() / DivideCount;
}

int TDynamicLayerList::RowForStatus() const {
  switch (Status) {
    case TDynamicStatus::Disable:
      return ImageIndexDisable;
    case TDynamicStatus::Active:
      return ImageIndexActive;
    case TDynamicStatus::Idle:
      break;
  }
  return ImageIndexEnable;
}

bool TDynamicLayerList::HitsPoint(int x, int y) const {
  const int64_t left = AreaLeft;
  const int64_t top = AreaTop;
  if (x < left || x >= left + AreaWidth || y < top || y >= top + AreaHeight) return false;
  if (ActiveArea == TDynamicActiveArea::All) return true;
  if (ActiveArea != TDynamicActiveArea::Opaque || !Image) return false;
  // Opacity is read on the top-left cell, whichever cell is shown.
  return Image->IsOpaqueAt(static_cast<int>(x - left), static_cast<int>(y - top));
}

void TDynamicLayerList::SettleFrame() {
  if (AnimeIndex >= AnimeCount || AnimeIndex < 0) AnimeIndex = 0;
  FocusIndex = RowForStatus();
  Changed = false;
}

TDynamicPlacement TDynamicLayerList::Placement(const TLasGraphic& frame) const {
  TDynamicPlacement p;
  if (!Image) return p;
  const int animeIndex = (AnimeIndex >= AnimeCount || AnimeIndex < 0) ? 0 : AnimeIndex;
  const int focusIndex = RowForStatus();
  const int cellWidth = CellWidth();
  const int cellHeight = CellHeight();
  // A cell of no size, an area of no size or a row outside the picture has
  // nothing to show; drawing it would spread the copy to the frame's edge
  // or read above the picture.
  if (cellWidth < 1 || cellHeight < 1 || AreaWidth < 1 || AreaHeight < 1) return p;
  if (focusIndex < 0 || focusIndex >= DivideCount) return p;
  p.SrcX = cellWidth * animeIndex;
  p.SrcY = cellHeight * focusIndex;
  p.Area = Image->DrawArea(frame, AreaLeft, AreaTop, AreaWidth, AreaHeight, p.SrcX, p.SrcY, &p.FromX,
                           &p.FromY);
  p.Shown = !p.Area.IsEmpty();
  p.Image = Image.get();
  p.ImageVersion = Image->Version();
  p.ImageBuild = FImageBuilds;
  return p;
}

void TDynamicLayerList::DrawTo(TLasGraphic& frame) {
  if (!Image) return;
  SettleFrame();
  const TDynamicPlacement p = Placement(frame);
  if (p.Shown) Image->DrawTo(frame, AreaLeft, AreaTop, AreaWidth, AreaHeight, p.SrcX, p.SrcY);
}

void TDynamicLayerList::DrawTo(TLasGraphic& frame, const TRect& clip) {
  if (!Image) return;
  SettleFrame();
  const TDynamicPlacement p = Placement(frame);
  if (p.Shown) Image->DrawTo(frame, AreaLeft, AreaTop, AreaWidth, AreaHeight, p.SrcX, p.SrcY, clip);
}

}  // namespace pelto5
