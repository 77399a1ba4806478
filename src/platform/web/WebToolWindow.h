// A tool window in the browser build. A page has no second window, so the
// debug window keeps its canvas and state but is never shown.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace pelto5 {

class TWebToolWindow : public TToolWindow {
 public:
  explicit TWebToolWindow(TToolWindowClient& /*client*/) {}

  void SetCaption(const std::string& caption) override { FCaption = caption; }
  void SetBounds(int, int, int width, int height) override { FCanvas.SetSize(width, height); }
  void Show() override {}
  void Hide() override {}
  [[nodiscard]] bool Visible() const override { return false; }
  TCanvas& Canvas() override { return FCanvas; }
  void Present() override {}
  void Invalidate() override {}

 private:
  TCanvas FCanvas;
  std::string FCaption;
};

}  // namespace pelto5
