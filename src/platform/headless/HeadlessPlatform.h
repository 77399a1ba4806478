// The deterministic backend: no window, no audio device, a virtual clock
// that advances only when the program waits, input from an events file,
// message boxes written to standard error and answered automatically.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/MessageTexts.h"
#include "base/Result.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessToolWindow.h"

namespace pelto5 {

struct THeadlessEvent {
  enum class TKind {
    Move, Click, RightClick, MiddleClick, Key, KeyDown, KeyUp, Wheel, Text, TextCancel, Shot, Quit,
    // A game controller's button pressed and released (Key holds a TPadButton).
    Pad,
    // Input and pictures of the debug window (the newest tool window).
    DebugShot, DebugTab, DebugClick, DebugKey, DebugWheel, DebugDrag,
    // The debug window's pause, resume and single-step controls.
    DebugPause, DebugResume, DebugStep,
    // The content's files taken as changed (--watch).
    Reload,
    // The answer of the next question box (Key holds a TMessageResult).
    Answer,
    // The reader's switch between full screen and a window (Alt+Enter).
    FullScreen
  };
  uint32_t Time = 0;
  TKind Kind = TKind::Move;
  int X = 0;
  int Y = 0;
  int X2 = 0;  // end of a drag
  int Y2 = 0;
  int Key = 0;    // key code, tab index or debug-window wheel notches
  int Delta = 0;  // wheel notches, positive up
  std::string Text;  // answer (Shift-JIS) or screenshot path (UTF-8)
};

struct THeadlessOptions {
  bool Trace = false;
  uint32_t MaxTime = 3600000;
  // How Abort/Ignore and Yes/No boxes are answered; unset = Ignore / Yes.
  std::optional<TMessageResult> Answer;
  // Write message-box and trace lines to standard error.
  bool EchoToStderr = true;
  // Also write a line for every change of an audio channel.
  bool TraceAudio = false;
  // The language of the player's own texts; unset = the locale's.
  std::optional<TLanguage> Language;
  // When set, a "shot FILE" event hands FILE and the window's picture to
  // it instead of writing the file (the scenario tests compare it).
  std::function<void(const std::string& path, const TCanvas& canvas)> ShotTaken;
};

class THeadlessPlatform : public TPlatform {
 public:
  explicit THeadlessPlatform(THeadlessOptions options = {});

  // Parses an events file (UTF-8). On a malformed line fails with a
  // message naming the line in error, and no event of the file is added.
  TResult LoadEvents(const std::string& path);
  TResult ParseEvents(const std::string& text);
  // The events of an events file's text, in file order; on a malformed
  // line fails as ParseEvents does, with no events.
  static TResult ParseEventList(const std::string& text, std::vector<THeadlessEvent>& events);
  void AddEvent(const THeadlessEvent& event);
  // True while an event of the file or of AddEvent is still to come.
  [[nodiscard]] bool HasPendingEvents() const { return !FEvents.empty(); }

  // Everything written to standard error (message-box and trace lines),
  // kept for tests.
  const std::vector<std::string>& OutputLines() const { return FOutput; }
  // True once --max-time stopped the run.
  [[nodiscard]] bool TimedOut() const { return FTimedOut; }
  void AdvanceClock(uint32_t ms);
  // Makes the display refuse full screen (as one without the mode would),
  // and counts the display-mode changes made.
  void SetFullScreenRefused(bool refused) { FFullScreenRefused = refused; }
  int DisplayModeChanges() const { return FDisplayModeChanges; }

  uint32_t GetTickCount() override { return FClock; }
  TLocalTime GetLocalTime() override;
  void ProcessMessages() override;
  void Terminate() override { FTerminated = true; }
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
  void SetCaption(const std::string& caption) override { FCaption = caption; }
  std::string Caption() const override { return FCaption; }
  [[nodiscard]] bool SetFullScreen(bool on, int width, int height) override;
  [[nodiscard]] bool FullScreen() const override { return FFullScreen; }
  TCanvas& Canvas() override { return FCanvas; }
  void Present() override {}
  void SetCursor(int cursor) override { FCursor = cursor; }
  int Cursor() const override { return FCursor; }

  std::unique_ptr<TToolWindow> CreateToolWindow(TToolWindowClient& client) override;
  // Tool windows announce themselves here; the newest is the debug window
  // that the events file's debug events address.
  void RegisterToolWindow(THeadlessToolWindow* window);
  void UnregisterToolWindow(THeadlessToolWindow* window);
  THeadlessToolWindow* DebugWindow() const { return FToolWindows.empty() ? nullptr : FToolWindows.back(); }

  std::unique_ptr<TAudioChannel> CreateAudioChannel(TAudioKind kind) override;

  void TraceLine(const std::string& text) override;
  void WarningLine(const std::string& text) override;
  [[nodiscard]] TLanguage Language() const override;
  // There is no clipboard: the text goes to standard error as
  // "clipboard: TEXT" (line breaks as "\n").
  bool SetClipboardText(const std::string& utf8) override;
  // Speech is "speech: TEXT" on standard error (line breaks as "\n").
  [[nodiscard]] bool StartSpeech() override { return true; }
  void Speak(const std::string& utf8, const std::string& language) override;
  [[nodiscard]] bool TraceEnabled() const override { return FOptions.Trace; }
  [[nodiscard]] bool PollsFileChanges() const override { return false; }
  [[nodiscard]] bool AudioTraceEnabled() const { return FOptions.TraceAudio; }
  // Writes one --trace-audio line (Shift-JIS), with or without --trace.
  void AudioTraceLine(const std::string& text);

 private:
  void Deliver(const THeadlessEvent& event);
  void WriteLine(const std::string& utf8);
  void TakeScreenshot(const std::string& path);
  void DeliverToDebugWindow(const THeadlessEvent& event);

  THeadlessOptions FOptions;
  uint32_t FClock = 0;
  bool FTerminated = false;
  bool FTimedOut = false;
  bool FTimerEnabled = false;
  uint32_t FNextTimerTick = 200;
  TPlatformClient* FClient = nullptr;
  std::deque<THeadlessEvent> FEvents;
  std::deque<std::optional<std::string>> FTextAnswers;
  std::deque<TMessageResult> FBoxAnswers;
  std::vector<std::string> FOutput;
  TCanvas FCanvas;
  std::string FCaption = msg::kDefaultCaption;
  int FLeft = 0;
  int FTop = 0;
  int FCursor = crDefault;
  int FMouseX = 0;  // where the last mouse event was, for the wheel
  int FMouseY = 0;
  bool FFullScreen = false;
  bool FFullScreenRefused = false;
  int FDisplayModeChanges = 0;
  std::vector<THeadlessToolWindow*> FToolWindows;
};

}  // namespace pelto5
