// Message-text layout and rendering of TLasGraphic.
//
// Markup: "#" breaks the line; "<...>" is a tag (size, style, speed, wait,
// key wait, colour). Lines are laid out run by run: a run grows one
// character at a time until it meets a tag, a line break, the end of the
// text or the width limit; each run is measured and drawn with the font the
// tags have set, all runs of a line sharing its bottom edge. A full line
// of a translated text breaks at its last space instead (the scenario's
// own text is laid out as it always was). While rendering, every examined
// character records a CharEnd step so that the message window can reveal
// the text character by character.
#include <algorithm>
#include <cstring>

#include "graphics/ColorText.h"
#include "graphics/LasGraphic.h"
#include "platform/FontService.h"
#include "base/SjisText.h"
#include "base/IntegerConversion.h"

namespace pelto5 {

namespace {

constexpr uint32_t kWhitePixel = 0x00FFFFFF;

// The number of a size or wait tag: its second and third characters.
int TagNumber(std::string_view tag) {
  if (tag.size() < 2) return 0;
  return StrToIntDef(tag.substr(1, 2), 0);
}

// Size tags that read back as size: a tag number has at most two
// characters, so a size outside -9..99 (or 0, which a size tag takes as the
// default) is reached with relative steps of at most 99.
std::string SizePrefix(int size) {
  const int base = size == 0 ? 1 : std::clamp(size, -9, 99);
  std::string prefix = "<*" + IntToStr(base) + ">";
  int64_t rest = int64_t{size} - base;
  while (rest != 0) {
    const int64_t step = std::clamp<int64_t>(rest, -99, 99);
    prefix += (step > 0 ? "<+" : "<-") + IntToStr(static_cast<int>(step > 0 ? step : -step)) + ">";
    rest -= step;
  }
  return prefix;
}

}  // namespace

void TLasGraphic::ResetLayoutState() {
  // Every layout starts from the surface's own font, colour included, so
  // that a colour tag of an earlier text does not reach a later one.
  FontSize = Font.Size;
  FontColor = Font.Color;
  Bold = false;
  Italic = false;
  FLayoutFont = Font;
  FLayoutFont.Color = ColorToRgb(Font.Color);
}

void TLasGraphic::ApplyTag(std::string_view tag, bool render) {
  if (tag.empty()) return;
  if (tag[0] == '+') {
    FontSize += TagNumber(tag);
    FLayoutFont.Size = FontSize;
  } else if (tag[0] == '-') {
    FontSize -= TagNumber(tag);
    FLayoutFont.Size = FontSize;
  } else if (tag[0] == '*') {
    // A size of 0 (or none at all) would make the text vanish: it means
    // the surface's own size.
    const int size = TagNumber(tag);
    FontSize = size != 0 ? size : Font.Size;
    FLayoutFont.Size = FontSize;
  } else if (tag == "B") {
    Bold = true;
    FLayoutFont.Bold = true;
    FLayoutFont.Italic = Italic;
  } else if (tag == "I") {
    Italic = true;
    FLayoutFont.Italic = true;
    FLayoutFont.Bold = Bold;
  } else if (tag == "N") {
    Bold = Italic = false;
    FLayoutFont.Bold = FLayoutFont.Italic = false;
  } else if (tag == "FAST") {
    if (render) FSteps.Push(tsSpeedFast);
  } else if (tag == "NORMAL") {
    if (render) FSteps.Push(tsSpeedNormal);
  } else if (tag == "SLOW") {
    if (render) FSteps.Push(tsSpeedSlow);
  } else if (tag == "KEY") {
    if (render) {
      FSteps.Push(tsKeyWaitMark);
      FSteps.Push(tsKeyWait);
      FSteps.Push(tsKeyWaitClear);
    }
  } else if (tag[0] == 'W') {
    if (render) FSteps.Push(tsWait, TagNumber(tag) * 100);
  } else if (tag.substr(0, 2) == "cl" || tag.substr(0, 2) == "0x") {
    // A tag that names no colour and is no number is ignored.
    uint32_t color = 0;
    if (TextToColor(tag, color)) {
      FontColor = color;
      FLayoutFont.Color = ColorToRgb(color);
    }
  }
}

void TLasGraphic::RenderRun(std::string_view run, int x, int top, int runWidth, int runHeight) {
  // Opaque white background behind the run on the colour surface only.
  const int left = std::max(x, 0);
  const int right = std::min(x + runWidth, FWidth);
  const int rowFrom = std::max(top, 0);
  const int rowTo = std::min(top + runHeight, FHeight);
  for (int row = rowFrom; row < rowTo && left < right; ++row) {
    std::fill_n(Row(row) + left, right - left, kWhitePixel);
  }
  if (FPixels.empty()) return;
  TTextTarget target;
  target.Pixels = FPixels.data();
  target.Stride = static_cast<size_t>(FWidth);
  target.Alpha = FAlpha.empty() ? nullptr : FAlpha.data();
  target.AlphaStride = static_cast<size_t>(FWidth);
  target.Width = FWidth;
  target.Height = FHeight;
  FontService().DrawRun(target, x, top, run, FLayoutFont);
}

int TLasGraphic::LayoutLine(std::string& text, int width, int bottom, bool render) {
  if (!Translated) return LayoutRuns(text, width, bottom, render, std::string::npos, nullptr);
  const size_t limit = SpaceBreak(text, width);
  const int height = LayoutRuns(text, width, bottom, render, limit, nullptr);
  // The spaces the line broke at begin no line.
  if (limit != std::string::npos) text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
  return height;
}

size_t TLasGraphic::SpaceBreak(const std::string& text, int width) {
  // A trial layout that draws nothing, from the same tag state.
  const int fontSize = FontSize;
  const uint32_t fontColor = FontColor;
  const bool bold = Bold;
  const bool italic = Italic;
  const TFont layoutFont = FLayoutFont;
  std::string rest = text;
  bool full = false;
  LayoutRuns(rest, width, 0, false, std::string::npos, &full);
  FontSize = fontSize;
  FontColor = fontColor;
  Bold = bold;
  Italic = italic;
  FLayoutFont = layoutFont;
  if (!full) return std::string::npos;
  const size_t taken = text.size() - rest.size();
  // The line breaks at the space that did not fit on it, else at the last
  // space it holds after a character; the bytes of tags are passed over as
  // the layout passes them.
  size_t space = std::string::npos;
  bool character = false;
  for (size_t p = 0; p < taken;) {
    if (text[p] == '<') {
      const size_t close = p + 2 <= text.size() ? text.find('>', p + 2) : std::string::npos;
      p = close != std::string::npos ? close + 1 : std::min(p + 2, text.size());
      continue;
    }
    if (text[p] == ' ') {
      if (character) space = p;
    } else {
      character = true;
    }
    p += sjis::CharLength(text, p);
  }
  if (character && taken < text.size() && text[taken] == ' ') return taken;
  return space;
}

int TLasGraphic::LayoutRuns(std::string& text, int width, int bottom, bool render, size_t limit, bool* full) {
  TFontService& fonts = FontService();
  int x = 0;
  int lineHeight = 1;
  size_t runStart = 0;
  size_t runLength = 0;
  bool lineEnded = false;
  while (!lineEnded) {
    const size_t previousLength = runLength;
    const size_t p = runStart + runLength;
    bool runEnded = false;
    bool isTag = false;
    bool isChar = false;
    size_t skip = 0;
    std::string_view tag;
    if (p >= text.size() || p >= limit) {
      runEnded = lineEnded = true;
    } else if (sjis::IsLeadByte(static_cast<unsigned char>(text[p]))) {
      runLength += sjis::CharLength(text, p);
      isChar = true;
    } else if (text[p] == '#') {
      runEnded = lineEnded = true;
      skip = 1;
    } else if (text[p] == '<') {
      runEnded = true;
      isTag = true;
      // A ">" right after "<" does not close the tag; no ">" at all makes an
      // empty tag of the "<" and the byte after it. Trail bytes of
      // double-byte characters are never ">", so a byte search is safe.
      const size_t close = p + 2 <= text.size() ? text.find('>', p + 2) : std::string::npos;
      if (close != std::string::npos) {
        tag = std::string_view(text).substr(p + 1, close - p - 1);
        skip = close - p + 1;
      } else {
        skip = std::min<size_t>(2, text.size() - p);
      }
    } else {
      // One byte, or a wide sequence as one character.
      runLength += sjis::CharLength(text, p);
      isChar = true;
    }
    const std::string_view run = std::string_view(text).substr(runStart, runLength);
    const TTextExtent extent = fonts.Measure(run, FLayoutFont);
    if (isChar && x + extent.Width > width) {
      runEnded = lineEnded = true;
      if (full) *full = true;
      // A character wider than the whole line stays alone on it, so that
      // every text is consumed; otherwise it goes to the next line.
      if (!(x == 0 && previousLength == 0)) runLength = previousLength;
    }
    if (render && !isTag) FSteps.Push(tsCharEnd, x + extent.Width);
    if (runEnded) {
      lineHeight = std::max(lineHeight, extent.Height);
      if (render && runLength > 0) {
        RenderRun(std::string_view(text).substr(runStart, runLength), x, bottom - extent.Height,
                  extent.Width, extent.Height);
      }
      x += extent.Width;
      runStart += runLength + skip;
      runLength = 0;
    }
    if (isTag) ApplyTag(tag, render);
  }
  text.erase(0, std::min(runStart, text.size()));
  return lineHeight;
}

std::string TLasGraphic::PagePrefix() const {
  // The colour goes in a form the colour tag reads back: its name, or the
  // number written with "0x".
  std::string color = ColorToText(FontColor);
  if (color.empty() || color[0] == '$') color = "0x" + color.substr(1);
  std::string prefix = SizePrefix(FontSize) + "<" + color + ">";
  if (Bold) prefix += "<B>";
  if (Italic) prefix += "<I>";
  return prefix;
}

int TLasGraphic::LayoutText(int width, int heightLimit, bool fit) {
  SetAlphaType(TAlphaType::Mask);
  LastText = Text;
  if (!fit) {
    std::fill(FPixels.begin(), FPixels.end(), kWhitePixel);
    std::fill(FAlpha.begin(), FAlpha.end(), 0);
  }
  ResetLayoutState();
  std::vector<int> lineBottoms;
  int total = 0;
  std::string copy = Text;
  for (int line = 0; line < kMaxLines; ++line) {
    const int lineHeight = LayoutLine(copy, width, 0, false);
    // The first line is always taken, even when it is taller than the limit.
    if (line > 0 && heightLimit > 0 && total + lineHeight > heightLimit) break;
    total += lineHeight;
    lineBottoms.push_back(total);
    if (copy.empty()) break;
  }
  if (fit) SetSize(width, total);
  ResetLayoutState();
  FSteps.Clear();
  FSteps.Push(tsSpeedNormal);
  for (size_t line = 0; line < lineBottoms.size(); ++line) {
    const int top = line == 0 ? 0 : lineBottoms[line - 1];
    FSteps.Push(tsLineX, 0);
    FSteps.Push(tsCharWidthReset, 0);
    FSteps.Push(tsLineTop, top);
    FSteps.Push(tsLineHeight, lineBottoms[line] - top);
    LayoutLine(Text, width, lineBottoms[line], true);
  }
  // The layout consumed the front of the text; what it took is this page.
  FPageText = LastText.substr(0, LastText.size() - std::min(Text.size(), LastText.size()));
  if (!Text.empty()) {
    FSteps.Push(tsPageWaitMark);
    FSteps.Push(tsPageKeyWait);
    FSteps.Push(tsPageWaitClear);
    FSteps.Push(tsNewPage, heightLimit);
    Text = PagePrefix() + Text;
  }
  FSteps.Push(tsEnd);
  for (uint8_t& a : FAlpha) {
    if (a != 0) a = 255;
  }
  return total;
}

int TLasGraphic::DrawText() {
  ++PageNumber;
  return LayoutText(FWidth, FHeight, false);
}

void TLasGraphic::PrepareUntranslated(TLasGraphic& scratch) const {
  scratch.SetSize(FWidth, FHeight);
  scratch.Font = Font;
  scratch.Text = Untranslated;
}

// Pages of one text are laid out at most this many times looking for one:
// every page takes at least one character, so only a text of more pages
// than this stops early.
constexpr int kMaxPagesLookedAt = 100000;

std::string TLasGraphic::UntranslatedLastText() const {
  if (!Translated) return LastText;
  TLasGraphic scratch;
  PrepareUntranslated(scratch);
  const bool last = Text.empty();
  do {
    scratch.DrawText();
  } while (!scratch.Text.empty() && (last || scratch.PageNumber < PageNumber) && scratch.PageNumber < kMaxPagesLookedAt);
  return scratch.LastText;
}

int TLasGraphic::UntranslatedPageOf(const std::string& lastText, bool& lastPage) const {
  TLasGraphic scratch;
  PrepareUntranslated(scratch);
  do {
    scratch.DrawText();
    if (scratch.LastText == lastText) {
      lastPage = scratch.Text.empty();
      return scratch.PageNumber;
    }
  } while (!scratch.Text.empty() && scratch.PageNumber < kMaxPagesLookedAt);
  return 0;
}

int TLasGraphic::DrawTextFit(int width, int maxHeight) { return LayoutText(width, maxHeight, true); }

}  // namespace pelto5
