// The SDL2 backend: a real window with a streaming texture, SDL message
// boxes, the 200 ms main timer on SDL's event queue. The loop blocks until
// the next event or the next tick, so an idle player uses no CPU.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Result.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlKeys.h"

namespace pelto5 {

struct TSdlOptions {
  int Scale = 1;              // initial window size as a multiple of the picture
  bool Trace = false;
  bool LinearFilter = false;  // smooth scaling instead of whole pixels
  // The engine's clock and date are the virtual clock of headless runs,
  // advanced by the main timer's ticks and by waits (--record).
  bool VirtualClock = false;
  // Scale is the display's: the multiple of 96 dpi its pixels come closest
  // to (a Windows player declares itself DPI aware, so nothing else makes
  // its picture larger on a high-density display).
  bool ScaleToDisplay = false;
};

class TSdlPlatform : public TPlatform {
 public:
  explicit TSdlPlatform(TSdlOptions options = {});
  ~TSdlPlatform() override;
  // Initialises SDL and creates the (hidden) main window. Fails with a
  // message when there is no display; NoDisplay() then tells that the
  // failure was the missing display.
  TResult Initialize();
  [[nodiscard]] bool NoDisplay() const;
  // SDL's id of the main window (0 before Initialize succeeded); lets tests
  // and tools address the window's events and properties.
  uint32_t WindowId() const;

  uint32_t GetTickCount() override;
  TLocalTime GetLocalTime() override;
  void ProcessMessages() override;
  void Terminate() override;
  [[nodiscard]] bool Terminated() const override;
  void WaitUntil(uint32_t tick) override;
  void SetMainTimerEnabled(bool enabled) override;
  [[nodiscard]] bool MainTimerEnabled() const override;
  int Run(TPlatformClient& client) override;

  TMessageResult ShowMessageBox(const std::string& text, TMessageIcon icon,
                                TMessageButtons buttons) override;
  [[nodiscard]] bool ShowInputQuery(const std::string& caption, const std::string& prompt,
                                    std::string& value) override;
  [[nodiscard]] TChooseResult ChooseContentFile(const std::string& title, std::string& path) override;

  void ShowMainWindow() override;
  void SetClientSize(int width, int height) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetWindowPosition(int left, int top) override;
  int WindowLeft() const override;
  int WindowTop() const override;
  int WindowWidth() const override;
  int WindowHeight() const override;
  void SetWindowSize(int width, int height) override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override;
  [[nodiscard]] bool SetFullScreen(bool on, int width, int height) override;
  [[nodiscard]] bool FullScreen() const override;
  TCanvas& Canvas() override;
  void Present() override;
  void PresentRects(const std::vector<TRect>& rects) override;
  void SetCursor(int cursor) override;
  int Cursor() const override;

  std::unique_ptr<TToolWindow> CreateToolWindow(TToolWindowClient& client) override;
  std::unique_ptr<TAudioChannel> CreateAudioChannel(TAudioKind kind) override;

  void TraceLine(const std::string& text) override;
  [[nodiscard]] bool TraceEnabled() const override;
  bool SetClipboardText(const std::string& utf8) override;
  // Through speech-dispatcher (on Windows the system's speech API), when
  // it is there.
  [[nodiscard]] bool StartSpeech() override;
  void Speak(const std::string& utf8, const std::string& language) override;
  void StopSpeech() override;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace pelto5
