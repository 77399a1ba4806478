// A tool window of the headless backend: no window on any screen, but the
// same canvas the real one has, so that its drawing can be written to PNG
// and its input scripted.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace pelto5 {

class THeadlessPlatform;

class THeadlessToolWindow : public TToolWindow {
 public:
  THeadlessToolWindow(THeadlessPlatform& owner, TToolWindowClient& client);
  ~THeadlessToolWindow() override;
  THeadlessToolWindow(const THeadlessToolWindow&) = delete;
  THeadlessToolWindow& operator=(const THeadlessToolWindow&) = delete;

  void SetCaption(const std::string& caption) override { FCaption = caption; }
  void SetBounds(int left, int top, int width, int height) override;
  void Show() override;
  void Hide() override { FVisible = false; }
  [[nodiscard]] bool Visible() const override { return FVisible; }
  TCanvas& Canvas() override { return FCanvas; }
  void Present() override { FInvalid = false; }
  void Invalidate() override { FInvalid = true; }

  const std::string& Caption() const { return FCaption; }
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  TToolWindowClient& Client() { return FClient; }
  // Paints now if a paint is pending, so the canvas shows the latest state.
  void PaintIfInvalid();

 private:
  THeadlessPlatform& FOwner;
  TToolWindowClient& FClient;
  TCanvas FCanvas;
  std::string FCaption;
  int FLeft = 0;
  int FTop = 0;
  bool FVisible = false;
  bool FInvalid = true;
};

}  // namespace pelto5
