#include "shell/InputRecorder.h"

#include <algorithm>

#include "base/SjisText.h"
#include "platform/FileSystem.h"
#include "platform/PadButtons.h"

namespace pelto5 {

namespace {

constexpr const char* kHeader = "# Recorded with pelto5 --record; replay with --headless --events.\n";

std::string PointEvent(const char* kind, int x, int y) {
  return std::string(kind) + " " + std::to_string(std::max(x, 0)) + " " + std::to_string(std::max(y, 0));
}

}  // namespace

TInputRecorder::TInputRecorder(TPlatformClient& form, std::string path) : FForm(form), FPath(std::move(path)) {}

TInputRecorder::~TInputRecorder() { StopListening(); }

void TInputRecorder::StopListening() {
  if (!FRecording) return;
  Platform().OnMessageAnswer = nullptr;
  Platform().OnInputAnswer = nullptr;
}

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
  Platform().OnMessageAnswer = [this](TMessageButtons buttons, TMessageResult answer) {
    BoxAnswered(buttons, answer);
  };
  Platform().OnInputAnswer = [this](bool accepted, const std::string& text) { TextAnswered(accepted, text); };
  return true;
}

void TInputRecorder::Finish() {
  if (!FRecording) return;
  Append("quit");
  Flush();
  StopListening();
  FRecording = false;
}

uint32_t TInputRecorder::Now() const {
  // A headless run delivers input due at a tick's time before that tick:
  // input after the tick at this time has run is due a moment later.
  const uint32_t clock = Platform().GetTickCount();
  return FTicked && !FInTick && clock == FLastTick ? clock + 1 : clock;
}

bool TInputRecorder::Deferred(std::function<void()> input) {
  if (!FRecording || !FInTick || Platform().GetTickCount() != FLastTick) return false;
  FHeld.push_back(std::move(input));
  return true;
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
  FInputLineStart = FLastLineStart;
  FDirty = true;
}

void TInputRecorder::Append(const std::string& event) {
  if (!FRecording) return;
  FLastLineStart = FText.size();
  FLastWasMove = false;
  FLastTime = Now();
  FText += std::to_string(FLastTime) + " " + event + "\n";
  FDirty = true;
}

void TInputRecorder::BoxAnswered(TMessageButtons buttons, TMessageResult answer) {
  if (!FRecording || buttons == TMessageButtons::Ok) return;
  const char* word = answer == TMessageResult::Abort    ? "abort"
                     : answer == TMessageResult::Ignore ? "ignore"
                     : answer == TMessageResult::No     ? "no"
                                                        : "yes";
  if (FDispatching == 0 || FInputLineStart >= FText.size()) {
    Append(std::string("answer ") + word);
    return;
  }
  // Ahead of the input line, at its time.
  const size_t at = FInputLineStart;
  const std::string line = FText.substr(at, FText.find(' ', at) - at) + " answer " + word + "\n";
  FText.insert(at, line);
  FInputLineStart += line.size();
  if (FLastLineStart >= at) FLastLineStart += line.size();
  FDirty = true;
}

void TInputRecorder::TextAnswered(bool accepted, const std::string& text) {
  if (!accepted) {
    Append("text-cancel");
    return;
  }
  // An events line holds one line of text.
  std::string utf8 = sjis::ToUtf8(text);
  for (char& c : utf8) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  Append("text " + utf8);
}

void TInputRecorder::Flush() {
  if (!FDirty || FFailed) return;
  FDirty = false;
  if (!TFileSystem::WriteFileAtomic(FPath, FText)) FFailed = true;
}

void TInputRecorder::FormMouseDown(TMouseButton button, int x, int y) {
  if (Deferred([=, this] { FormMouseDown(button, x, y); })) return;
  const TDispatch dispatch(*this);
  const char* kind = button == TMouseButton::Left ? "click" : button == TMouseButton::Right ? "rclick" : "mclick";
  Add(PointEvent(kind, x, y));
  FForm.FormMouseDown(button, x, y);
}

void TInputRecorder::FormMouseUp(TMouseButton button, int x, int y) {
  if (Deferred([=, this] { FormMouseUp(button, x, y); })) return;
  // Belongs to the click written at the press.
  const TDispatch dispatch(*this);
  FForm.FormMouseUp(button, x, y);
}

void TInputRecorder::FormMouseMove(int x, int y) {
  if (Deferred([=, this] { FormMouseMove(x, y); })) return;
  const TDispatch dispatch(*this);
  Add(PointEvent("move", x, y));
  FForm.FormMouseMove(x, y);
}

void TInputRecorder::FormKeyDown(int key) {
  if (Deferred([=, this] { FormKeyDown(key); })) return;
  const TDispatch dispatch(*this);
  if (key == VK_F12) {
    // The reader's screenshot: the replay takes the same picture.
    if (!FShotKeyDown) {
      ++FShots;
      const std::string number = std::to_string(100 + FShots).substr(1);
      // Written beside the recording when it is replayed.
      Append("shot " + TFileSystem::ChangeExtension(FPath, "") + "-" + number + ".png");
    }
    FShotKeyDown = true;
  } else if (key > 0 && key <= 255) {
    Add("key-down " + std::to_string(key));
  }
  FForm.FormKeyDown(key);
}

void TInputRecorder::FormKeyUp(int key) {
  if (Deferred([=, this] { FormKeyUp(key); })) return;
  const TDispatch dispatch(*this);
  if (key == VK_F12) {
    FShotKeyDown = false;
  } else if (key > 0 && key <= 255) {
    Add("key-up " + std::to_string(key));
  }
  FForm.FormKeyUp(key);
}

void TInputRecorder::FormMouseWheel(int delta, int x, int y) {
  if (Deferred([=, this] { FormMouseWheel(delta, x, y); })) return;
  const TDispatch dispatch(*this);
  if (delta != 0) Add("wheel " + std::to_string(delta));
  FForm.FormMouseWheel(delta, x, y);
}

void TInputRecorder::FormToggleFullScreen() {
  if (Deferred([=, this] { FormToggleFullScreen(); })) return;
  const TDispatch dispatch(*this);
  Add("fullscreen");
  FForm.FormToggleFullScreen();
}

void TInputRecorder::FormPadButton(TPadButton button, bool down) {
  if (Deferred([=, this] { FormPadButton(button, down); })) return;
  const TDispatch dispatch(*this);
  if (down) Add(std::string("pad ") + PadButtonName(button));
  FForm.FormPadButton(button, down);
}

void TInputRecorder::MainTimerTimer() {
  FTicked = true;
  FLastTick = Platform().GetTickCount();
  FInTick = true;
  FForm.MainTimerTimer();
  FInTick = false;
  // Input held during the tick, in the order it came.
  std::vector<std::function<void()>> held;
  held.swap(FHeld);
  for (const auto& input : held) input();
  if (++FTicks >= kFlushTicks) {
    FTicks = 0;
    Flush();
  }
}

}  // namespace pelto5
