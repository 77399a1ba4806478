// --record FILE: the reader's input written as an events file for the
// headless player. It stands between the platform and the main form,
// passing every event on and writing the input ones with the time of the
// virtual clock a headless run would have at the same point: input after a
// main-timer tick is due just after that tick's time, input during a wait
// (a transition, a sound) at the clock's time then. F12 becomes
// a "shot" line; the end of the run a "quit" line.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace pelto5 {

class TInputRecorder : public TPlatformClient {
 public:
  // Writes are flushed at most every this many main-timer ticks.
  static constexpr int kFlushTicks = 5;

  TInputRecorder(TPlatformClient& form, std::string path);
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
  void FormToggleFullScreen() override { FForm.FormToggleFullScreen(); }
  void FormReload() override { FForm.FormReload(); }

 private:
  // When input now is due in a headless run.
  uint32_t Now() const;
  void Add(const std::string& event);
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
  uint32_t FLastTime = 0;
  int FShots = 0;
  int FTicks = 0;
};

}  // namespace pelto5
