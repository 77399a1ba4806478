#include "shell/InputRecorder.h"

#include <algorithm>

#include "base/SjisText.h"
#include "platform/FileSystem.h"

namespace pelto5 {

namespace {

constexpr const char* kHeader = "# Recorded with pelto5 --record; replay with --headless --events.\n";

std::string PointEvent(const char* kind, int x, int y) {
  return std::string(kind) + " " + std::to_string(std::max(x, 0)) + " " + std::to_string(std::max(y, 0));
}

}  // namespace

TInputRecorder::TInputRecorder(TPlatformClient& form, std::string path) : FForm(form), FPath(std::move(path)) {}

bool TInputRecorder::Start() {
  FText = kHeader;
  if (!TFileSystem::WriteFileAtomic(FPath, FText)) {
    const std::string text = FillIn(LocalizedUtf8(TOwnText::RecordNotWritten), {FPath});
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + text));
    Platform().MessageBox(sjis::FromUtf8(text), TMessageIcon::Warning, TMessageButtons::Ok);
    FFailed = true;
    return false;
  }
  FRecording = true;
  return true;
}

void TInputRecorder::Finish() {
  if (!FRecording) return;
  Add("quit");
  Flush();
  FRecording = false;
}

uint32_t TInputRecorder::Now() const {
  // A headless run delivers input due at a tick's time before that tick:
  // input after the tick at this time has run is due a moment later.
  const uint32_t clock = Platform().GetTickCount();
  return FTicked && !FInTick && clock == FLastTick ? clock + 1 : clock;
}

void TInputRecorder::Add(const std::string& event) {
  if (!FRecording) return;
  const bool move = event.rfind("move ", 0) == 0;
  const uint32_t now = Now();
  // Of moves at one time only the last one matters.
  if (move && FLastWasMove && now == FLastTime) FText.resize(FLastLineStart);
  FLastLineStart = FText.size();
  FLastWasMove = move;
  FLastTime = now;
  FText += std::to_string(now) + " " + event + "\n";
  FDirty = true;
}

void TInputRecorder::Flush() {
  if (!FDirty || FFailed) return;
  FDirty = false;
  if (!TFileSystem::WriteFileAtomic(FPath, FText)) FFailed = true;
}

void TInputRecorder::FormMouseDown(TMouseButton button, int x, int y) {
  const char* kind = button == TMouseButton::Left ? "click" : button == TMouseButton::Right ? "rclick" : "mclick";
  Add(PointEvent(kind, x, y));
  FForm.FormMouseDown(button, x, y);
}

void TInputRecorder::FormMouseUp(TMouseButton button, int x, int y) { FForm.FormMouseUp(button, x, y); }

void TInputRecorder::FormMouseMove(int x, int y) {
  Add(PointEvent("move", x, y));
  FForm.FormMouseMove(x, y);
}

void TInputRecorder::FormKeyDown(int key) {
  if (key == VK_F12) {
    // The reader's screenshot: the replay takes the same picture.
    if (!FShotKeyDown) {
      ++FShots;
      const std::string number = std::to_string(100 + FShots).substr(1);
      // Written beside the recording when it is replayed.
      Add("shot " + TFileSystem::ChangeExtension(FPath, "") + "-" + number + ".png");
    }
    FShotKeyDown = true;
  } else if (key > 0 && key <= 255) {
    Add("key-down " + std::to_string(key));
  }
  FForm.FormKeyDown(key);
}

void TInputRecorder::FormKeyUp(int key) {
  if (key == VK_F12) {
    FShotKeyDown = false;
  } else if (key > 0 && key <= 255) {
    Add("key-up " + std::to_string(key));
  }
  FForm.FormKeyUp(key);
}

void TInputRecorder::FormMouseWheel(int delta, int x, int y) {
  if (delta != 0) Add("wheel " + std::to_string(delta));
  FForm.FormMouseWheel(delta, x, y);
}

void TInputRecorder::MainTimerTimer() {
  FTicked = true;
  FLastTick = Platform().GetTickCount();
  FInTick = true;
  FForm.MainTimerTimer();
  FInTick = false;
  if (++FTicks >= kFlushTicks) {
    FTicks = 0;
    Flush();
  }
}

}  // namespace pelto5
