#include "shell/FrmDebugInfo.h"

#include <algorithm>

#include "base/LocaleCompare.h"
#include "base/MessageTexts.h"
#include "exec/PeltoAccessControl.h"
#include "graphics/ScreenControl.h"
#include "platform/FontService.h"
#include "base/SjisText.h"
#include "script/CommandCtrl.h"
#include "script/PeltoFile.h"
#include "script/VariableCtrl.h"
#include "shell/DebugControl.h"
#include "shell/DebugIcons.h"

namespace pelto5 {

namespace {

// "ＭＳ Ｐゴシック"
constexpr const char* kPGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr const char* kTabNames[TfrmDebugInfo::kTabCount] = {msg::kDebugTabProcess, msg::kDebugTabScreen,
                                                             msg::kDebugTabVariables};

// Point sizes at 96 dpi of the 12-pixel form font and 13-pixel list font.
constexpr int kFormFontSize = 9;
constexpr int kListFontSize = 10;
constexpr int kListFontPixels = 13;
constexpr int kMinItemHeight = 16;

// Geometry of the client area.
constexpr int kPanelBorder = 4;
constexpr int kTabHeight = 20;
constexpr int kTabPadding = 6;
constexpr int kPageInset = 4;
constexpr int kHeaderHeight = 17;
constexpr int kScrollBarWidth = 16;
constexpr int kSizingGrip = 3;
constexpr int kMinSectionWidth = 16;
constexpr int kWheelRows = 3;
constexpr int kButtonPadding = 8;
constexpr int kButtonGap = 4;

// Keys of the pause control.
constexpr int kPauseKey = 116;  // F5
constexpr int kStepKey = 121;   // F10

// Marks before a command row's "#INDEX": "●" a breakpoint, "→" the next
// command to run.
constexpr const char* kBreakMark = "\x81\x9C";
constexpr const char* kNextMark = "\x81\xA8";

// Canvas colours 0x00RRGGBB.
constexpr uint32_t kFace = 0xF0F0F0;
constexpr uint32_t kInactiveTab = 0xE3E3E3;
constexpr uint32_t kShadow = 0xA0A0A0;
constexpr uint32_t kListBorder = 0x828790;
constexpr uint32_t kWindow = 0xFFFFFF;
constexpr uint32_t kHighlight = 0x0078D7;
constexpr uint32_t kScrollTrack = 0xE8E8E8;
constexpr uint32_t kScrollThumb = 0xC2C2C2;
// Font colours 0x00BBGGRR.
constexpr uint32_t kTextColor = 0x000000;
constexpr uint32_t kHighlightText = 0xFFFFFF;

TFont MakeFont(int size) {
  TFont font;
  font.Name = kPGothic;
  font.Size = size;
  font.Color = kTextColor;
  return font;
}

// The first count characters of text; a double-byte character is never cut.
std::string LeftChars(const std::string& text, int count) {
  size_t pos = 0;
  for (int n = 0; n < count && pos < text.size(); ++n) pos += sjis::CharLength(text, pos);
  return text.substr(0, pos);
}

void SplitLine(const std::string& line, std::string& key, std::string& value) {
  const size_t eq = sjis::FindChar(line, '=');
  if (eq == std::string::npos) {
    key.clear();
    value = line;
  } else {
    key = line.substr(0, eq);
    value = line.substr(eq + 1);
  }
}

}  // namespace

TfrmDebugInfo::TfrmDebugInfo()
    : FList([this](const std::string& item) { return lstDebugInfoMeasureItem(item); }) {
  FWindow = Platform().CreateToolWindow(*this);
  FWindow->SetCaption(msg::kDebugCaption);
  FWindow->SetBounds(FLeft, FTop, kWidth, kHeight);
  UpdateViewHeight();
}

TfrmDebugInfo::~TfrmDebugInfo() { FWindow.reset(); }

void TfrmDebugInfo::SetPosition(int left, int top) {
  FLeft = left;
  FTop = top;
  FWindow->SetBounds(left, top, FWindow->Canvas().Width(), FWindow->Canvas().Height());
}

void TfrmDebugInfo::Show() {
  FWindow->Show();
  FWindow->Invalidate();
}

bool TfrmDebugInfo::Visible() const { return FWindow->Visible(); }

void TfrmDebugInfo::RefreshInfo() {
  if (!FAccessControl || !FScreenControl) return;
  FProcessLines.clear();
  FAccessControl->GetStackInfo(FProcessLines);
  BuildCommandLines();

  FLayerLines.clear();
  FDynamicLayerLines.clear();
  const TWindowRecord* main = FScreenControl->GetWindow(0);
  if (main && main->Screen) {
    for (const TLasLayer* layer = main->Screen->GetTopLayer(); layer; layer = layer->LowerLayer) {
      FLayerLines.push_back(layer->LayerName + "=" +
                            (layer->Visible ? layer->FileName : std::string(msg::kDebugHidden)));
    }
    for (const TDynamicLayerList* entry = main->Screen->DynamicLayers.GetNewest(); entry; entry = entry->Older) {
      if (!entry->ImageFileName.empty()) {
        FDynamicLayerLines.push_back(entry->ImageFileName);
      } else if (!entry->Text.empty()) {
        FDynamicLayerLines.push_back(LeftChars(entry->Text, kMaxValueChars));
      } else {
        FDynamicLayerLines.push_back(msg::kDebugUnknown);
      }
    }
  }

  FValueLines.clear();
  FAccessControl->VariableCtrl().CopyValueVars(FValueLines);
  LocaleSort(FValueLines);
  FTextLines.clear();
  FAccessControl->VariableCtrl().CopyStringVars(FTextLines);
  LocaleSort(FTextLines);
  ShowLines();
}

void TfrmDebugInfo::BuildCommandLines() {
  FCommandLines.clear();
  if (!FDebugControl) return;
  TCommandCtrl& commands = FAccessControl->CommandCtrl();
  const int count = commands.GetCommandCount();
  if (commands.BookName() != FCommandsBook || commands.PageName() != FCommandsPage ||
      static_cast<int>(FCommandTexts.size()) != count) {
    FCommandsBook = commands.BookName();
    FCommandsPage = commands.PageName();
    FCommandTexts.clear();
    TPeltoFile& file = FAccessControl->PeltoFile();
    for (int i = 0; i < count; ++i) {
      FCommandTexts.push_back(
          sjis::Trim(file.GetPageLine(FCommandsBook, FCommandsPage, commands.GetCommandLineIndex(i))));
    }
  }
  const int next = FAccessControl->NextCommandIndex();
  for (int i = 0; i < count; ++i) {
    std::string key;
    if (FDebugControl->HasBreakpoint({FCommandsBook, FCommandsPage, i})) key += kBreakMark;
    if (i == next) key += kNextMark;
    FCommandLines.push_back(key + "#" + std::to_string(i) + "=" + FCommandTexts[i]);
  }
}

void TfrmDebugInfo::ForgetCommands() {
  FCommandsBook.clear();
  FCommandsPage.clear();
  FCommandTexts.clear();
}

int TfrmDebugInfo::CommandOfRow(int row) const {
  if (FTabIndex != 0) return -1;
  const int first = static_cast<int>(FProcessLines.size());
  if (row < first || row >= first + static_cast<int>(FCommandLines.size())) return -1;
  return row - first;
}

void TfrmDebugInfo::ShowBreak() {
  RefreshInfo();
  if (FTabIndex != 0) {
    FTabIndex = 0;
    ShowLines();
  }
  const int next = FAccessControl ? FAccessControl->NextCommandIndex() : -1;
  if (next >= 0 && next < static_cast<int>(FCommandLines.size())) {
    FList.Select(static_cast<int>(FProcessLines.size()) + next);
    Changed();
  }
}

void TfrmDebugInfo::ShowLines() {
  TStringList items;
  switch (FTabIndex) {
    case 0:
      items = FProcessLines;
      items.insert(items.end(), FCommandLines.begin(), FCommandLines.end());
      break;
    case 1:
      items = FDynamicLayerLines;
      items.insert(items.end(), FLayerLines.begin(), FLayerLines.end());
      break;
    case 2:
      items = FValueLines;
      items.insert(items.end(), FTextLines.begin(), FTextLines.end());
      break;
    default:
      break;
  }
  UpdateViewHeight();
  FList.Assign(items);
  Changed();
}

void TfrmDebugInfo::TabControlChange() { ShowLines(); }

int TfrmDebugInfo::lstDebugInfoMeasureItem(const std::string& item) const {
  return std::max(FontService().Measure(item, MakeFont(kListFontSize)).Height, kMinItemHeight);
}

TfrmDebugInfo::TShownRow TfrmDebugInfo::ShownRow(int index) const {
  TShownRow row;
  if (index < 0 || index >= FList.Count()) return row;
  std::string key;
  std::string value;
  SplitLine(FList.Item(index), key, value);
  switch (FTabIndex) {
    case 0:
      // Lines without a key (the frame borders) are empty rows.
      if (key.empty()) return row;
      if (key == "Stack.BookName") {
        row.Icon = TDebugIcons::BookName;
        key = msg::kDebugBookName;
      } else if (key == "Stack.PageName") {
        row.Icon = TDebugIcons::PageName;
        key = msg::kDebugPageName;
      } else if (key == "Stack.CommandIndex") {
        row.Icon = TDebugIcons::CommandIndex;
        key = msg::kDebugCommandIndex;
      } else {
        row.Icon = TDebugIcons::ProcessLine;
      }
      break;
    case 1:
      row.Icon = index < static_cast<int>(FDynamicLayerLines.size()) ? TDebugIcons::DynamicLayer
                                                                       : TDebugIcons::Layer;
      break;
    case 2:
      row.Icon = index < static_cast<int>(FValueLines.size()) ? TDebugIcons::ValueVariable
                                                                : TDebugIcons::StringVariable;
      break;
    default:
      return row;
  }
  row.Key = key;
  row.Value = LeftChars(value, kMaxValueChars);
  return row;
}

std::string TfrmDebugInfo::DumpSections() const {
  std::string out = "[debug]\n";
  std::string icons;
  std::string heights;
  for (int i = 0; i < FList.Count(); ++i) {
    const TShownRow row = ShownRow(i);
    out += sjis::ToUtf8(row.Key) + "=" + sjis::ToUtf8(row.Value) + "\n";
    if (i > 0) {
      icons += ",";
      heights += ",";
    }
    icons += std::to_string(row.Icon);
    heights += std::to_string(FList.ItemHeight(i));
  }
  if (FDebugControl) out += FDebugControl->DumpLines();
  out += "[debug-view]\n";
  out += "Tab=" + std::to_string(FTabIndex) + "\n";
  out += "Selected=" + std::to_string(FList.ItemIndex()) + "\n";
  out += "TopIndex=" + std::to_string(FList.TopIndex()) + "\n";
  out += "Icons=" + icons + "\n";
  out += "Heights=" + heights + "\n";
  out += "Visible=" + std::string(FWindow->Visible() ? "1" : "0") + "\n";
  out += "Left=" + std::to_string(FLeft) + "\n";
  out += "Top=" + std::to_string(FTop) + "\n";
  out += "Width=" + std::to_string(FWindow->Canvas().Width()) + "\n";
  out += "Height=" + std::to_string(FWindow->Canvas().Height()) + "\n";
  out += "SectionWidth=" + std::to_string(FSectionWidth) + "\n";
  return out;
}

// --- Layout and painting ---------------------------------------------------

TfrmDebugInfo::TLayout TfrmDebugInfo::Layout() const {
  const int width = FWindow->Canvas().Width();
  const int height = FWindow->Canvas().Height();
  if (FTabTextWidths.empty()) {
    for (const char* name : kTabNames) {
      FTabTextWidths.push_back(FontService().Measure(name, MakeFont(kFormFontSize)).Width);
    }
  }
  TLayout l;
  int x = kPanelBorder + 2;
  for (int i = 0; i < kTabCount; ++i) {
    l.Tabs[i] = {x, kPanelBorder, FTabTextWidths[i] + 2 * kTabPadding, kTabHeight};
    x += l.Tabs[i].W;
  }
  if (FDebugControl) {
    // The pause and step controls stand at the right end of the tab row.
    const TFont font = MakeFont(kFormFontSize);
    const int stepW = FontService().Measure(Localized(TOwnText::StepLabel), font).Width + 2 * kButtonPadding;
    const int pauseW = std::max(FontService().Measure(Localized(TOwnText::PauseLabel), font).Width,
                                FontService().Measure(Localized(TOwnText::ResumeLabel), font).Width) +
                       2 * kButtonPadding;
    const int right = width - kPanelBorder;
    l.StepButton = {right - stepW, kPanelBorder, stepW, kTabHeight - 2};
    l.PauseButton = {l.StepButton.X - kButtonGap - pauseW, kPanelBorder, pauseW, kTabHeight - 2};
  }
  const int pageTop = kPanelBorder + kTabHeight;
  l.Page = {kPanelBorder, pageTop, std::max(width - 2 * kPanelBorder, 0),
            std::max(height - kPanelBorder - pageTop, 0)};
  const int innerX = l.Page.X + kPageInset;
  const int innerY = l.Page.Y + kPageInset;
  const int innerW = std::max(l.Page.W - 2 * kPageInset, 0);
  const int innerH = std::max(l.Page.H - 2 * kPageInset, 0);
  l.Header = {innerX, innerY, innerW, std::min(kHeaderHeight, innerH)};
  l.ListFrame = {innerX, innerY + l.Header.H, innerW, std::max(innerH - l.Header.H, 0)};
  l.List = {l.ListFrame.X + 1, l.ListFrame.Y + 1, std::max(l.ListFrame.W - 2, 0),
            std::max(l.ListFrame.H - 2, 0)};
  if (!FList.AllFit() && l.List.W > kScrollBarWidth) {
    l.ScrollBar = {l.List.X + l.List.W - kScrollBarWidth, l.List.Y, kScrollBarWidth, l.List.H};
    l.List.W -= kScrollBarWidth;
  }
  return l;
}

void TfrmDebugInfo::UpdateViewHeight() {
  const int height = FWindow->Canvas().Height();
  const int frameTop = kPanelBorder + kTabHeight + kPageInset + kHeaderHeight;
  FList.SetViewHeight(std::max(height - kPanelBorder - kPageInset - frameTop - 2, 0));
}

void TfrmDebugInfo::Changed() { FWindow->Invalidate(); }

void TfrmDebugInfo::ToolPaint() {
  TCanvas& canvas = FWindow->Canvas();
  UpdateViewHeight();
  const TLayout layout = Layout();
  const TPixelView all = TPixelView::Of(canvas, 0, 0, canvas.Width(), canvas.Height());
  all.FillRect(0, 0, all.Width, all.Height, kFace);
  all.FrameRect(layout.Page.X, layout.Page.Y, layout.Page.W, layout.Page.H, kShadow);
  PaintTabs(all, layout);
  if (FDebugControl) {
    PaintButton(all, layout.PauseButton,
                Localized(FDebugControl->Paused() ? TOwnText::ResumeLabel : TOwnText::PauseLabel));
    PaintButton(all, layout.StepButton, Localized(TOwnText::StepLabel));
  }
  PaintHeader(all.Sub(layout.Header.X, layout.Header.Y, layout.Header.W, layout.Header.H), layout.Header);
  PaintList(all, layout);
  FWindow->Present();
}

void TfrmDebugInfo::PaintTabs(const TPixelView& view, const TLayout& layout) {
  const TFont font = MakeFont(kFormFontSize);
  const int textHeight = FontService().Measure(kTabNames[0], font).Height;
  for (int i = 0; i < kTabCount; ++i) {
    TRect r = layout.Tabs[i];
    const bool selected = i == FTabIndex;
    if (selected) {
      // The selected tab stands out and joins the page below it.
      r.X -= 2;
      r.W += 4;
      r.Y -= 2;
      r.H += 3;
    } else {
      r.Y += 1;
      r.H -= 1;
    }
    view.FillRect(r.X, r.Y, r.W, r.H, selected ? kFace : kInactiveTab);
    view.HorzLine(r.X, r.Y, r.W, kShadow);
    view.VertLine(r.X, r.Y, selected ? r.H : r.H + 1, kShadow);
    view.VertLine(r.X + r.W - 1, r.Y, selected ? r.H : r.H + 1, kShadow);
    const int textX = layout.Tabs[i].X + kTabPadding;
    const int textY = layout.Tabs[i].Y + (kTabHeight - textHeight) / 2 + (selected ? -1 : 1);
    view.DrawText(textX, textY, kTabNames[i], font);
  }
}

void TfrmDebugInfo::PaintButton(const TPixelView& view, const TRect& rect, const std::string& label) {
  if (rect.W <= 0) return;
  const TFont font = MakeFont(kFormFontSize);
  view.FillRect(rect.X, rect.Y, rect.W, rect.H, kInactiveTab);
  view.FrameRect(rect.X, rect.Y, rect.W, rect.H, kShadow);
  const TTextExtent size = FontService().Measure(label, font);
  view.Sub(rect.X + 1, rect.Y + 1, std::max(rect.W - 2, 0), std::max(rect.H - 2, 0))
      .DrawText((rect.W - size.Width) / 2 - 1, (rect.H - size.Height) / 2 - 1, label, font);
}

void TfrmDebugInfo::PaintHeader(const TPixelView& view, const TRect& header) {
  const TFont font = MakeFont(kFormFontSize);
  view.FillRect(0, 0, header.W, header.H, kWindow);
  view.HorzLine(0, header.H - 1, header.W, kShadow);
  const int width = std::min(FSectionWidth, header.W);
  const int textHeight = FontService().Measure(msg::kDebugSection, font).Height;
  view.Sub(0, 0, width - 1, header.H).DrawText(4, (header.H - textHeight) / 2, msg::kDebugSection, font);
  view.VertLine(width - 1, 2, header.H - 4, kShadow);
}

void TfrmDebugInfo::PaintList(const TPixelView& view, const TLayout& layout) {
  const TRect& frame = layout.ListFrame;
  view.FrameRect(frame.X, frame.Y, frame.W, frame.H, kListBorder);
  const TPixelView list = view.Sub(layout.List.X, layout.List.Y, layout.List.W, layout.List.H);
  list.FillRect(0, 0, list.Width, list.Height, kWindow);
  int y = 0;
  for (int i = FList.TopIndex(); i < FList.Count() && y < layout.List.H; ++i) {
    const TRect rect{0, y, layout.List.W, FList.ItemHeight(i)};
    lstDebugInfoDrawItem(list, i, rect, i == FList.ItemIndex());
    y += rect.H;
  }
  if (layout.ScrollBar.W > 0) PaintScrollBar(view, layout.ScrollBar);
}

void TfrmDebugInfo::lstDebugInfoDrawItem(const TPixelView& list, int index, const TRect& rect, bool selected) {
  const TShownRow row = ShownRow(index);
  const TPixelView cell = list.Sub(rect.X, rect.Y, rect.W, rect.H);
  cell.FillRect(0, 0, cell.Width, cell.Height, selected ? kHighlight : kWindow);
  if (row.Icon < 0) return;
  TDebugIcons::Draw(cell, row.Icon, 0, 0);
  TFont font = MakeFont(kListFontSize);
  font.Color = selected ? kHighlightText : kTextColor;
  // The text sits at the bottom of the row; the key stops at the value's column.
  const int textTop = rect.H - kListFontPixels;
  const int valueX = FSectionWidth;
  cell.Sub(0, 0, std::max(valueX - 2, 0), rect.H).DrawText(TDebugIcons::kSize, textTop, row.Key, font);
  cell.DrawText(valueX, textTop, row.Value, font);
}

void TfrmDebugInfo::PaintScrollBar(const TPixelView& view, const TRect& bar) {
  view.FillRect(bar.X, bar.Y, bar.W, bar.H, kScrollTrack);
  const int count = std::max(FList.Count(), 1);
  const int shown = FList.RowsInView();
  const int thumbH = std::max(bar.H * shown / count, 8);
  const int range = std::max(FList.MaxTopIndex(), 1);
  const int thumbY = (bar.H - thumbH) * std::min(FList.TopIndex(), range) / range;
  view.FillRect(bar.X + 2, bar.Y + thumbY, bar.W - 4, thumbH, kScrollThumb);
}

// --- Input ------------------------------------------------------------------

void TfrmDebugInfo::ToolResize(int, int) {
  UpdateViewHeight();
  FList.SetTopIndex(FList.TopIndex());
  Changed();
}

void TfrmDebugInfo::ToolMouseDown(TMouseButton button, int x, int y) {
  if (button != TMouseButton::Left) return;
  const TLayout layout = Layout();
  const int edge = layout.Header.X + FSectionWidth;
  if (layout.Header.Contains(x, y) && x >= edge - kSizingGrip && x <= edge + kSizingGrip) {
    FSizingSection = true;
    return;
  }
  for (int i = 0; i < kTabCount; ++i) {
    if (layout.Tabs[i].Contains(x, y)) {
      ToolSelectPage(i);
      return;
    }
  }
  if (layout.PauseButton.Contains(x, y)) {
    ToolAction(FDebugControl->Paused() ? TToolAction::Resume : TToolAction::Pause);
    return;
  }
  if (layout.StepButton.Contains(x, y)) {
    ToolAction(TToolAction::Step);
    return;
  }
  if (layout.ScrollBar.Contains(x, y)) {
    // A click in the track pages towards it.
    const int rows = FList.RowsInView();
    const int thumbMid = layout.ScrollBar.Y + layout.ScrollBar.H * FList.TopIndex() / std::max(FList.Count(), 1);
    FList.Scroll(y < thumbMid ? -rows : rows);
    Changed();
    return;
  }
  if (layout.List.Contains(x, y)) {
    const int index = FList.ItemAt(y - layout.List.Y);
    if (index >= 0) {
      FList.Select(index);
      // A command row: its breakpoint goes on or off.
      const int command = CommandOfRow(index);
      if (command >= 0 && FDebugControl) {
        FDebugControl->ToggleBreakpoint({FCommandsBook, FCommandsPage, command});
        RefreshInfo();
      }
      Changed();
    }
  }
}

void TfrmDebugInfo::ToolMouseUp(TMouseButton button, int, int) {
  if (button == TMouseButton::Left) FSizingSection = false;
}

void TfrmDebugInfo::ToolMouseMove(int x, int) {
  if (!FSizingSection) return;
  const TLayout layout = Layout();
  FSectionWidth = std::max(x - layout.Header.X, kMinSectionWidth);
  Changed();
}

void TfrmDebugInfo::ToolMouseWheel(int notches) {
  FList.Scroll(-notches * kWheelRows);
  Changed();
}

void TfrmDebugInfo::ToolKeyDown(int key) {
  if (FDebugControl && (key == kPauseKey || key == kStepKey)) {
    ToolAction(key == kStepKey ? TToolAction::Step : FDebugControl->Paused() ? TToolAction::Resume
                                                                             : TToolAction::Pause);
    return;
  }
  const int index = FList.ItemIndex();
  const int page = std::max(FList.RowsInView() - 1, 1);
  switch (key) {
    case 37:  // left
    case 38:  // up
      FList.Select(index - 1);
      break;
    case 39:  // right
    case 40:  // down
      FList.Select(index + 1);
      break;
    case 33:  // page up
      FList.Select(index - page);
      break;
    case 34:  // page down
      FList.Select(index + page);
      break;
    case 36:  // home
      FList.Select(0);
      break;
    case 35:  // end
      FList.Select(FList.Count() - 1);
      break;
    default:
      return;
  }
  Changed();
}

void TfrmDebugInfo::ToolClose() { FWindow->Hide(); }

void TfrmDebugInfo::ToolAction(TToolAction action) {
  if (!FDebugControl) return;
  switch (action) {
    case TToolAction::Pause:
      FDebugControl->Pause();
      // Paused between commands: the next one is shown.
      ShowBreak();
      break;
    case TToolAction::Resume:
      FDebugControl->Resume();
      break;
    case TToolAction::Step:
      FDebugControl->Step();
      break;
  }
  Changed();
}

void TfrmDebugInfo::ToolSelectPage(int index) {
  if (index < 0 || index >= kTabCount || index == FTabIndex) return;
  FTabIndex = index;
  TabControlChange();
}

}  // namespace pelto5
