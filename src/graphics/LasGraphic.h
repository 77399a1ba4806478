// TLasGraphic: the one picture type. A 32-bit colour surface (pixels
// 0xXXRRGGBB: bytes blue, green, red, fourth) with an optional 8-bit alpha
// plane that takes decoded pictures over, clipped copies and blends onto
// other surfaces, fills, and the layout and rendering of message-text
// markup, which records the text steps that the message window replays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Rect.h"
#include "image/Picture.h"
#include "image/PictureView.h"
#include "graphics/TextStepList.h"
#include "platform/Canvas.h"
#include "platform/Font.h"

namespace pelto5 {

enum class TAlphaType { None = 0, Mask = 1, Blend = 3 };

class TLasGraphic {
 public:
  // Largest side and area a surface takes; bigger requests are clamped so
  // that a script or an image header cannot ask for unbounded memory.
  static constexpr int kMaxSide = kPictureMaxSide;
  static constexpr int64_t kMaxArea = kPictureMaxArea;
  // Lines one layout takes at most.
  static constexpr int kMaxLines = 300;

  TLasGraphic();

  // A copy between two surfaces after clipping (defined with the drawing).
  struct TCopy;

  // --- Sizes and surfaces ---------------------------------------------
  // The size SetSize really gives for a request.
  static void ClampSize(int& width, int& height);
  void SetSize(int width, int height);
  void SetAlphaType(TAlphaType type);
  TAlphaType AlphaType() const { return FAlphaType; }
  void Assign(const TLasGraphic& source);
  // Takes a decoded picture's size and pixels, without an alpha plane.
  void AssignGraphic(const TPicture& picture);
  // Takes over a decoded picture with its alpha: a picture with alpha makes
  // the surface Mask or Blend as the picture says, one without makes it
  // opaque (no alpha plane). A PNG picture comes in this way.
  void TakePicture(TPicture&& picture);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  [[nodiscard]] bool HasAlpha() const { return !FAlpha.empty(); }
  // Colour at (x, y) as a colour value 0x00BBGGRR (0 outside the surface).
  uint32_t GetPixel(int x, int y) const;
  [[nodiscard]] bool IsOpaqueAt(int x, int y) const;

  // Writable rows count as a change of the picture (see Version).
  uint32_t* Row(int y) {
    ++FVersion;
    return FPixels.data() + static_cast<size_t>(y) * FWidth;
  }
  const uint32_t* Row(int y) const { return FPixels.data() + static_cast<size_t>(y) * FWidth; }
  // Alpha row; only valid while the surface has an alpha plane.
  uint8_t* AlphaRow(int y) {
    ++FVersion;
    return FAlpha.data() + static_cast<size_t>(y) * FWidth;
  }
  const uint8_t* AlphaRow(int y) const { return FAlpha.data() + static_cast<size_t>(y) * FWidth; }
  // The colour pixels, for the encoders; valid until the surface changes.
  TPictureView View() const { return {FWidth, FHeight, FPixels.data()}; }

  // Grows with every change of the size, the alpha or a pixel (and with
  // every writable row handed out), never goes back: equal versions of one
  // surface mean the same picture.
  uint64_t Version() const { return FVersion; }

  // --- Drawing between surfaces (the receiver is the source) -------------
  void DrawTo(TLasGraphic& dest, int destX, int destY, int width, int height, int srcX,
              int srcY) const;
  // The same, changing only the pixels of dest inside clip.
  void DrawTo(TLasGraphic& dest, int destX, int destY, int width, int height, int srcX, int srcY,
              const TRect& clip) const;
  // The rectangle of dest that DrawTo with these arguments changes (empty
  // when it changes nothing); fromX and fromY, if given, receive the pixel
  // of this surface drawn at its top left corner.
  TRect DrawArea(const TLasGraphic& dest, int destX, int destY, int width, int height, int srcX,
                 int srcY, int* fromX = nullptr, int* fromY = nullptr) const;
  // Copies the pixels inside rect to the same place of dest, which has this
  // surface's size and no alpha plane.
  void CopyRectTo(TLasGraphic& dest, const TRect& rect) const;
  void BlendTo(TLasGraphic& dest, int destX, int destY, int width, int height, int srcX, int srcY,
               int alpha) const;
  // color is a colour value 0x00BBGGRR.
  void FillRect(int x, int y, int width, int height, uint32_t color);
  void DrawToCanvas(TCanvas& canvas, int x, int y) const;
  // The same for the pixels of canvas inside clip.
  void DrawToCanvas(TCanvas& canvas, int x, int y, const TRect& clip) const;
  void StretchToCanvas(TCanvas& canvas, int x, int y, int width, int height) const;

  // --- Alpha preparation --------------------------------------------------
  void SetColorKey();
  void SetHalfTranslucent();
  void ClearAlpha();

  // --- Text ---------------------------------------------------------------
  int DrawText();
  int DrawTextFit(int width, int maxHeight);
  TTextStep NextTextStep() { return FSteps.Next(); }
  const TTextStepList& Steps() const { return FSteps; }
  // The marked-up text of the page the last layout took (the rest of the
  // text waits in Text for the next page).
  const std::string& PageText() const { return FPageText; }

  // --- Translated text ----------------------------------------------------
  // While Translated is set the text is a translation: its lines break at
  // the last space that fits (a word longer than the line still breaks
  // where the line is full), and Untranslated holds the scenario's own
  // text, which saves store in its place. PageNumber counts the pages
  // DrawText has laid out since the text was set.
  bool Translated = false;
  std::string Untranslated;
  int PageNumber = 0;
  // LastText as it would be without the translation: the page of
  // Untranslated with the number of the page shown, its last page when the
  // last page of the translation shows or it has fewer pages. LastText
  // itself when the text is no translation.
  std::string UntranslatedLastText() const;
  // The page of Untranslated whose LastText is lastText (1 for the first),
  // and whether it is its last; 0 when no page is.
  int UntranslatedPageOf(const std::string& lastText, bool& lastPage) const;

  TFont Font;
  std::string Text;
  std::string LastText;
  int FontSize = 10;
  bool Bold = false;
  bool Italic = false;
  uint32_t FontColor = 0;

 private:
  struct TTag;

  void CopyRows(TLasGraphic& dest, const TCopy& c) const;

  void ResetLayoutState();
  int LayoutText(int width, int heightLimit, bool fit);
  int LayoutLine(std::string& text, int width, int bottom, bool render);
  // One line laid out run by run, ending at the byte limit at the latest;
  // full tells whether a character did not fit on it.
  int LayoutRuns(std::string& text, int width, int bottom, bool render, size_t limit, bool* full);
  // Where a translated line breaks at a space: the position of the space in
  // text, npos when the line is not full or has no space to break at.
  size_t SpaceBreak(const std::string& text, int width);
  // A surface of this size and font that lays out Untranslated page by page.
  void PrepareUntranslated(TLasGraphic& scratch) const;
  void ApplyTag(std::string_view tag, bool render);
  void RenderRun(std::string_view run, int x, int top, int runWidth, int runHeight);
  std::string PagePrefix() const;

  int FWidth = 0;
  int FHeight = 0;
  uint64_t FVersion = 0;
  std::vector<uint32_t> FPixels;
  std::vector<uint8_t> FAlpha;
  TAlphaType FAlphaType = TAlphaType::None;
  TFont FLayoutFont;  // the font the layout currently measures and draws with
  TTextStepList FSteps;
  std::string FPageText;
};

}  // namespace pelto5
