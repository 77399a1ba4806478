// --record FILE: the reader's input written as an events file for the
// headless player. It stands between the platform and the main form,
// passing every event on and writing the input ones with the time of the
// virtual clock a headless run would have at the same point: input after a
// main-timer tick is due just after that tick's time, input during a wait
// (a transition, a sound) at the clock's time then. F12 becomes
// a "shot" line, Alt+Enter a "fullscreen" line; the end of the run a
// "quit" line. How question boxes and
// the text-input dialog were answered becomes "answer" and "text" lines,
// placed where the replay needs them: a box's answer ahead of the input
// that brought the box up (a replay's box takes the answers delivered
// before it), a dialog's after it (the replay's dialog looks at the input
// due when it opens).
// A game controller's button becomes a "pad" line at its press (a replayed
// pad event presses and releases at once).
// Input that arrives between two commands of one tick, before its clock
// has moved, is held until the tick has run: a headless run delivers input
// only before a tick or during a wait, so only then does the replay see it
// at the same point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace pelto5 {

class TInputRecorder : public TPlatformClient {
 public:
  // Writes are flushed at most every this many main-timer ticks.
  static constexpr int kFlushTicks = 5;

  TInputRecorder(TPlatformClient& form, std::string path);
  ~TInputRecorder() override;
  TInputRecorder(const TInputRecorder&) = delete;
  TInputRecorder& operator=(const TInputRecorder&) = delete;
  // Tries the file at once; false (said once, in a line and a box) when it
  // cannot be written. The run goes on unrecorded then.
  [[nodiscard]] bool Start();
  // The last line ("quit") and the final write.
  void Finish();
  // The events written so far (UTF-8).
  const std::string& Text() const { return FText; }

  void FormMouseDown(TMouseButton button, int x, int y) override;
  void FormMouseUp(TMouseButton button, int x, int y) override;
  void FormMouseMove(int x, int y) override;
  void FormKeyDown(int key) override;
  void FormKeyUp(int key) override;
  void FormMouseWheel(int delta, int x, int y) override;
  void FormPaint() override { FForm.FormPaint(); }
  void FormActivate() override { FForm.FormActivate(); }
  void MainTimerTimer() override;
  void FormToggleFullScreen() override;
  void FormPadButton(TPadButton button, bool down) override;
  void FormReload() override { FForm.FormReload(); }

 private:
  // Counts the input being passed on, during which a dialog belongs to it.
  struct TDispatch {
    explicit TDispatch(TInputRecorder& recorder) : Recorder(recorder) { ++Recorder.FDispatching; }
    ~TDispatch() { --Recorder.FDispatching; }
    TDispatch(const TDispatch&) = delete;
    TDispatch& operator=(const TDispatch&) = delete;
    TInputRecorder& Recorder;
  };

  // When input now is due in a headless run.
  uint32_t Now() const;
  // True when input must wait for the end of the running tick; it is then
  // kept to be passed on after it.
  bool Deferred(std::function<void()> input);
  // An input event's line (moves at one time collapse to the last).
  void Add(const std::string& event);
  // A line after everything written so far.
  void Append(const std::string& event);
  void BoxAnswered(TMessageButtons buttons, TMessageResult answer);
  void TextAnswered(bool accepted, const std::string& text);
  void StopListening();
  void Flush();

  TPlatformClient& FForm;
  std::string FPath;
  std::string FText;
  bool FRecording = false;
  bool FInTick = false;
  bool FTicked = false;     // a main-timer tick has run
  uint32_t FLastTick = 0;   // the clock at the last one
  bool FDirty = false;
  bool FFailed = false;
  bool FShotKeyDown = false;
  bool FLastWasMove = false;
  size_t FLastLineStart = 0;
  size_t FInputLineStart = std::string::npos;  // the line of the latest input
  int FDispatching = 0;
  uint32_t FLastTime = 0;
  int FShots = 0;
  int FTicks = 0;
  std::vector<std::function<void()>> FHeld;
};

}  // namespace pelto5
