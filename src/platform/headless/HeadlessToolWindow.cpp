#include "platform/headless/HeadlessToolWindow.h"

#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {

THeadlessToolWindow::THeadlessToolWindow(THeadlessPlatform& owner, TToolWindowClient& client)
    : FOwner(owner), FClient(client) {
  FOwner.RegisterToolWindow(this);
}

THeadlessToolWindow::~THeadlessToolWindow() { FOwner.UnregisterToolWindow(this); }

void THeadlessToolWindow::SetBounds(int left, int top, int width, int height) {
  FLeft = left;
  FTop = top;
  if (width == FCanvas.Width() && height == FCanvas.Height()) return;
  FCanvas.SetSize(width, height);
  FClient.ToolResize(FCanvas.Width(), FCanvas.Height());
  FInvalid = true;
}

void THeadlessToolWindow::Show() {
  FVisible = true;
  FInvalid = true;
}

void THeadlessToolWindow::PaintIfInvalid() {
  if (FInvalid) FClient.ToolPaint();
  FInvalid = false;
}

}  // namespace pelto5
