// The browser backend: the frame goes to the page's canvas, input comes
// from the page's events, the 200 ms timer and every wait run on the
// browser's event loop. The engine's blocking waits and modal dialogs stay
// as they are: the build's Asyncify lets a wait hand control back to the
// browser and resume where it was, so the page never blocks.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/RgbaFrame.h"

namespace pelto5 {

struct TWebOptions {
  bool Trace = false;
};

// One input event from the page, in picture pixels.
struct TWebEvent {
  enum class TKind { MouseDown, MouseUp, MouseMove, Wheel, KeyDown, KeyUp, ToggleFullScreen };
  TKind Kind = TKind::MouseMove;
  TMouseButton Button = TMouseButton::Left;
  int X = 0;
  int Y = 0;
  int Key = 0;    // virtual-key code
  int Delta = 0;  // wheel notches, positive up
};

class TWebPlatform : public TPlatform {
 public:
  explicit TWebPlatform(TWebOptions options = {});
  ~TWebPlatform() override;
  TWebPlatform(const TWebPlatform&) = delete;
  TWebPlatform& operator=(const TWebPlatform&) = delete;

  // Starts listening to the page's canvas and keyboard.
  void Initialize();
  // The page's input, queued until the engine next processes messages.
  // Input that arrives while a dialog is up is the dialog's and is dropped;
  // a key-up is only passed on when its key-down was. False when the
  // event was dropped.
  [[nodiscard]] bool QueueEvent(const TWebEvent& event);

  uint32_t GetTickCount() override;
  TLocalTime GetLocalTime() override;
  void ProcessMessages() override;
  void Terminate() override;
  [[nodiscard]] bool Terminated() const override { return FTerminated; }
  void WaitUntil(uint32_t tick) override;
  void SetMainTimerEnabled(bool enabled) override;
  [[nodiscard]] bool MainTimerEnabled() const override { return FTimerEnabled; }
  int Run(TPlatformClient& client) override;

  TMessageResult ShowMessageBox(const std::string& text, TMessageIcon icon,
                                TMessageButtons buttons) override;
  [[nodiscard]] bool ShowInputQuery(const std::string& caption, const std::string& prompt,
                                    std::string& value) override;

  void ShowMainWindow() override;
  void SetClientSize(int width, int height) override;
  int ClientWidth() const override { return FCanvas.Width(); }
  int ClientHeight() const override { return FCanvas.Height(); }
  void SetWindowPosition(int left, int top) override;
  int WindowLeft() const override { return FLeft; }
  int WindowTop() const override { return FTop; }
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override { return FCaption; }
  [[nodiscard]] bool SetFullScreen(bool on, int width, int height) override;
  [[nodiscard]] bool FullScreen() const override;
  TCanvas& Canvas() override { return FCanvas; }
  void Present() override;
  void PresentRects(const std::vector<TRect>& rects) override;
  void SetCursor(int cursor) override;
  int Cursor() const override { return FCursor; }

  std::unique_ptr<TToolWindow> CreateToolWindow(TToolWindowClient& client) override;
  std::unique_ptr<TAudioChannel> CreateAudioChannel(TAudioKind kind) override;

  void TraceLine(const std::string& text) override;
  [[nodiscard]] bool TraceEnabled() const override { return FOptions.Trace; }
  // The browser's clipboard, when the page may write it (a secure page;
  // the browser may still refuse, which is then not known here).
  bool SetClipboardText(const std::string& utf8) override;
  // The browser's speech synthesis, where it has one.
  [[nodiscard]] bool StartSpeech() override;
  void Speak(const std::string& utf8, const std::string& language) override;
  void StopSpeech() override;

 private:
  void Deliver(const TWebEvent& event);
  void RunTimerTick();
  // Hands control to the browser for up to ms milliseconds; new input ends
  // the wait early.
  void Sleep(uint32_t ms);

  TWebOptions FOptions;
  TPlatformClient* FClient = nullptr;
  std::deque<TWebEvent> FEvents;
  std::set<int> FKeysDown;  // keys whose key-down the client got
  bool FTerminated = false;
  bool FTimerEnabled = false;
  uint32_t FNextTick = 0;
  int FModalDepth = 0;
  TCanvas FCanvas;
  TRgbaFrame FRgba;  // the frame as the page's ImageData wants it
  std::string FCaption;
  int FLeft = 0;
  int FTop = 0;
  int FCursor = crDefault;
  bool FShown = false;
};

}  // namespace pelto5
