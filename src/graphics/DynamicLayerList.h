// TDynamicLayerList: one dynamic layer, an interactive or animated picture
// drawn over a window's composed layers. An entry is an image entry (a
// picture from a file, a grid of animation columns by state rows), a text
// entry (rendered text, plain while idle and over a half-translucent blue
// bar while active) or a transparent entry (only a rectangle that reacts to
// the mouse). Entries are linked in their container's stacking order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/LasGraphic.h"
#include "platform/Font.h"

namespace pelto5 {

class TImageSource;

enum class TDynamicActiveArea { None = 0, Opaque = 1, All = 2 };
enum class TDynamicActiveMode { Disable = 0, Waiting = 1, Always = 2 };
enum class TDynamicPageChange { Move = 0, Call = 1, KeepCall = 2 };
enum class TDynamicAnimeType { None = 0, Repeat = 1, Once = 2, Timer = 3 };
enum class TDynamicStatus { Disable = 0, Idle = 1, Active = 2 };

struct TDynamicFontStyle {
  bool Bold = false;
  bool Italic = false;
};

// Attribute numbers with a fixed meaning.
inline constexpr int kAttrDefault = 0;
inline constexpr int kAttrExpiredCountdown = 2000;
inline constexpr int kAttrSelectChoice = 2001;
inline constexpr int kAttrWaitMark = 2002;
inline constexpr int kAttrNotRestoredFirst = 1000;
inline constexpr int kAttrNotRestoredLast = 1999;

// Where an entry's shown cell lands on a frame and what it is taken from.
struct TDynamicPlacement {
  bool Shown = false;
  TRect Area;  // the pixels of the frame it changes
  int SrcX = 0;  // the cell's corner in the picture
  int SrcY = 0;
  int FromX = 0;  // the picture's pixel at the area's top left corner
  int FromY = 0;
  const TLasGraphic* Image = nullptr;
  uint64_t ImageVersion = 0;
  uint64_t ImageBuild = 0;
  bool operator==(const TDynamicPlacement&) const = default;
};

class TDynamicLayerList {
 public:
  TDynamicLayerList() = default;
  TDynamicLayerList(const TDynamicLayerList&) = delete;
  TDynamicLayerList& operator=(const TDynamicLayerList&) = delete;

  static std::unique_ptr<TDynamicLayerList> Create() {
    return std::make_unique<TDynamicLayerList>();
  }

  [[nodiscard]] bool IsImageEntry() const { return !ImageFileName.empty(); }
  [[nodiscard]] bool IsTextEntry() const { return ImageFileName.empty() && !Text.empty(); }
  // True for attribute numbers that a restored screen leaves out.
  [[nodiscard]] static bool IsNotRestoredAttr(int attrId) {
    return attrId >= kAttrNotRestoredFirst && attrId <= kAttrNotRestoredLast;
  }

  // Builds Image for the entry's kind: image entries copy loaded (and fail
  // without it), text entries render Text, transparent entries have none.
  bool BuildImage(const TLasGraphic* loaded);
  // Loads ImageFileName through source for an image entry, then BuildImage.
  [[nodiscard]] bool BuildImageFrom(TImageSource& source);

  // Picture cell sizes (0 without a picture).
  int CellWidth() const;
  int CellHeight() const;
  // The picture row shown for the current status.
  int RowForStatus() const;
  // Whether (x, y) in window coordinates hits the entry.
  [[nodiscard]] bool HitsPoint(int x, int y) const;
  // Draws the shown cell onto frame; Changed is cleared.
  void DrawTo(TLasGraphic& frame);
  // The same, changing only the pixels of frame inside clip.
  void DrawTo(TLasGraphic& frame, const TRect& clip);
  // What DrawTo would draw on frame now.
  TDynamicPlacement Placement(const TLasGraphic& frame) const;

  std::unique_ptr<TLasGraphic> Image;
  TDynamicLayerList* Newer = nullptr;  // next entry above (not owned)
  TDynamicLayerList* Older = nullptr;  // next entry below (owned by the container)
  int AttrID = kAttrDefault;
  int AreaLeft = 0;
  int AreaTop = 0;
  int AreaWidth = 0;
  int AreaHeight = 0;
  TDynamicActiveArea ActiveArea = TDynamicActiveArea::None;
  TDynamicActiveMode ActiveMode = TDynamicActiveMode::Disable;
  std::string FocusBookName;
  std::string FocusPageName;
  std::string ClickBookName;
  std::string ClickPageName;
  TDynamicPageChange PageChange = TDynamicPageChange::Move;
  bool AutoClear = false;
  bool Cursor = true;
  std::string ImageFileName;
  int AnimeCount = 1;
  int DivideCount = 1;
  TDynamicAnimeType AnimeType = TDynamicAnimeType::None;
  int ImageIndexDisable = 0;
  int ImageIndexEnable = 0;
  int ImageIndexActive = 0;
  int ImageIndexClick = 0;
  std::string Text;
  std::string TextFontName = kDefaultFontName;
  TDynamicFontStyle TextFontStyle;
  int TextFontSize = 16;
  uint32_t TextFontColor = 0;
  TDynamicStatus Status = TDynamicStatus::Idle;
  int AnimeIndex = 0;
  int FocusIndex = 0;
  bool Changed = true;
  // What the window's frame shows of the entry, kept by the container that
  // draws it there (so that a change shows up as the area it touches).
  TDynamicPlacement Shown;

 private:
  // Settles the frame numbers DrawTo shows: an animation frame out of range
  // becomes 0, the row follows the status.
  void SettleFrame();
  // Counts the pictures BuildImage made, so a new picture is never taken
  // for the old one.
  uint64_t FImageBuilds = 0;

  [[nodiscard]] bool BuildTextImage();
};

}  // namespace pelto5
