// The player's own comforts for the reader, on keys and the wheel that no
// scenario uses: skip (Ctrl held), auto-advance ("A"), the message history
// (wheel up or Page Up), screenshots (F12), the click focus (Tab,
// Shift+Tab and the arrow keys) and reading aloud ("V"). They act only as a reader's
// Space press would, or pause the whole scenario; the marks and views they
// draw go onto the window's canvas, never into the screen the scenario
// composes, saves or dumps. None is on unless the reader asks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Canvas.h"
#include "platform/Platform.h"
#include "shell/ClickFocus.h"
#include "shell/MessageHistory.h"
#include "shell/SelfVoicing.h"

namespace pelto5 {

class TPeltoAccessControl;
class TScreenControl;

class TReaderComforts {
 public:
  static constexpr uint32_t kAutoBaseDelay = 1500;   // ms before a key wait ends by itself
  static constexpr uint32_t kAutoCharDelay = 60;     // ms more per character just shown
  static constexpr uint32_t kCaptionNoticeTime = 2000;
  static constexpr int kWheelLines = 3;

  // picture gives the window's picture as a screenshot shows it.
  TReaderComforts(TPeltoAccessControl& access, TScreenControl& screen,
                  std::function<const TCanvas*()> picture);
  ~TReaderComforts();
  TReaderComforts(const TReaderComforts&) = delete;
  TReaderComforts& operator=(const TReaderComforts&) = delete;
  // Where F12 writes its pictures: the player's save folder (the data
  // directory until this is called).
  void SetSaveFolder(const std::string& folder) { FSaveFolder = folder; }

  // --- Input from the main form; true when the event was the player's own
  // and must not reach the scenario.
  [[nodiscard]] bool KeyDown(int key);
  void KeyUp(int key);
  [[nodiscard]] bool MouseDown(TMouseButton button);
  void MouseWheel(int delta);
  // Enter or Space: the click of the area with the focus, if any (the
  // focus is gone afterwards).
  [[nodiscard]] TDynamicClick TakeFocusedClick();
  // A game controller's shoulder button: skip on or off until pressed
  // again (or the reader clicks or presses a key).
  void ToggleSkip();
  // A message page begins to show (marked-up text): read aloud when on.
  void MessagePageBegun(const std::string& markedUpText) { FVoicing.MessagePage(markedUpText); }

  // --- The main loop
  // While a step runs (a transition, a sound wait) the history does not open.
  void SetStepRunning(bool running) { FStepRunning = running; }
  // True while the scenario is paused (the history is open).
  [[nodiscard]] bool Paused() const { return FHistory.IsOpen(); }
  // Every main-timer tick, paused or not.
  void TimerTick();
  // Before each step: ends message waits for skip and auto-advance.
  void BeforeStep();
  // Draws the auto-advance mark or the history view over the picture.
  // Returns the rectangle of canvas it drew on.
  TRect DrawOverlay(TCanvas& canvas) const;

  [[nodiscard]] bool AutoAdvance() const { return FAuto; }
  [[nodiscard]] bool Skipping() const { return FCtrlDown || FSkipOn; }
  const TClickFocus& Focus() const { return FFocus; }
  [[nodiscard]] bool ReadingAloud() const { return FVoicing.On(); }
  const TMessageHistory& History() const { return FHistory; }

 private:
  void SetAuto(bool on);
  void ArmAuto(int characters);
  void OpenHistory();
  void CloseHistory();
  void ScrollHistory(int lines);
  [[nodiscard]] bool HistoryKey(int key);
  // Tab and the arrow keys; true when the key moved the focus.
  [[nodiscard]] bool FocusKey(int key);
  void SaveScreenshot();
  std::string ScreenshotPath();
  void ShowCaptionNotice(const std::string& notice);
  void ToggleVoicing();
  void Repaint();
  // The folder screenshots go to: the one that holds the saves.
  std::string SaveFolder() const;

  TPeltoAccessControl& FAccess;
  TScreenControl& FScreen;
  std::function<const TCanvas*()> FPicture;
  std::string FSaveFolder;
  TMessageHistory FHistory;
  TClickFocus FFocus;
  TSelfVoicing FVoicing;
  bool FVoiceKeyDown = false;
  bool FStepRunning = false;
  bool FCtrlDown = false;
  bool FShiftDown = false;
  bool FSkipOn = false;
  bool FAutoKeyDown = false;
  bool FShotKeyDown = false;
  bool FAuto = false;
  bool FAutoArmed = false;
  uint32_t FAutoStart = 0;
  uint32_t FAutoDelay = 0;
  uint32_t FPausedAt = 0;
  bool FCaptionNotice = false;
  uint32_t FCaptionNoticeAt = 0;
  std::string FCaption;  // the caption the notice replaced
};

}  // namespace pelto5
