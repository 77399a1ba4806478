// The debug information window for scenario authors: a tool window beside
// the main one listing the execution position and call stack, the layers
// and dynamic layers of the main screen, and every variable. It is rebuilt
// after every step and only reads the state it shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "base/KeyValueList.h"
#include "shell/DebugInfoList.h"
#include "shell/PixelView.h"

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;
class TDebugControl;

class TfrmDebugInfo : public TToolWindowClient {
 public:
  static constexpr int kWidth = 331;
  static constexpr int kHeight = 485;
  static constexpr int kTabCount = 3;
  static constexpr int kSectionWidth = 150;
  // The most characters of a value (and of a dynamic layer's text) shown.
  static constexpr int kMaxValueChars = 32;

  // A row as the window shows it: icon (-1: none), key and value text.
  struct TShownRow {
    int Icon = -1;
    std::string Key;
    std::string Value;
  };

  TfrmDebugInfo();
  ~TfrmDebugInfo() override;
  TfrmDebugInfo(const TfrmDebugInfo&) = delete;
  TfrmDebugInfo& operator=(const TfrmDebugInfo&) = delete;

  void SetPosition(int left, int top);
  void Show();
  [[nodiscard]] bool Visible() const;

  void RefreshInfo();
  // The main loop has come to a halt before the next command (a breakpoint
  // or the end of a single step): the process tab shows it selected.
  void ShowBreak();
  // The script changed: the command rows are read again.
  void ForgetCommands();
  void ShowLines();
  void TabControlChange();
  int lstDebugInfoMeasureItem(const std::string& item) const;

  int TabIndex() const { return FTabIndex; }
  const TDebugInfoList& List() const { return FList; }
  int SectionWidth() const { return FSectionWidth; }
  TShownRow ShownRow(int index) const;
  // The "[debug]" and "[debug-view]" sections of the state dump (UTF-8).
  std::string DumpSections() const;

  // TToolWindowClient
  void ToolPaint() override;
  void ToolResize(int width, int height) override;
  void ToolMouseDown(TMouseButton button, int x, int y) override;
  void ToolMouseUp(TMouseButton button, int x, int y) override;
  void ToolMouseMove(int x, int y) override;
  void ToolMouseWheel(int notches) override;
  void ToolKeyDown(int key) override;
  void ToolClose() override;
  void ToolSelectPage(int index) override;
  void ToolAction(TToolAction action) override;

  TPeltoAccessControl* FAccessControl = nullptr;
  TScreenControl* FScreenControl = nullptr;
  TDebugControl* FDebugControl = nullptr;  // the pause control (none until set)

 private:
  struct TRect {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    [[nodiscard]] bool Contains(int x, int y) const { return x >= X && y >= Y && x < X + W && y < Y + H; }
  };
  struct TLayout {
    TRect Tabs[kTabCount];
    TRect Page;
    TRect Header;
    TRect ListFrame;
    TRect List;       // the rows' area inside the frame, without the scroll bar
    TRect ScrollBar;  // empty when every row fits
    TRect PauseButton;  // pause / resume, right of the tabs
    TRect StepButton;
  };

  TLayout Layout() const;
  void UpdateViewHeight();
  void lstDebugInfoDrawItem(const TPixelView& list, int index, const TRect& rect, bool selected);
  void PaintTabs(const TPixelView& view, const TLayout& layout);
  void PaintHeader(const TPixelView& view, const TRect& header);
  void PaintList(const TPixelView& view, const TLayout& layout);
  void PaintScrollBar(const TPixelView& view, const TRect& bar);
  void PaintButton(const TPixelView& view, const TRect& rect, const std::string& label);
  // The current page's commands as rows of the process tab.
  void BuildCommandLines();
  // The command a row of the process tab stands for; -1 for other rows.
  int CommandOfRow(int row) const;
  void Changed();

  std::unique_ptr<TToolWindow> FWindow;
  TStringList FProcessLines;
  TStringList FLayerLines;
  TStringList FDynamicLayerLines;
  TStringList FValueLines;
  TStringList FTextLines;
  TStringList FCommandLines;
  // The current page's command lines, kept while the page stays the same.
  std::string FCommandsBook;
  std::string FCommandsPage;
  std::vector<std::string> FCommandTexts;
  TDebugInfoList FList;
  int FTabIndex = 0;
  int FSectionWidth = kSectionWidth;
  bool FSizingSection = false;
  int FLeft = 0;
  int FTop = 0;
  mutable std::vector<int> FTabTextWidths;
};

}  // namespace pelto5
