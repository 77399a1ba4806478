#include "exec/PeltoProcess.h"

#include <string_view>

#include "base/MessageTexts.h"
#include "exec/PeltoProcessStack.h"
#include "platform/Platform.h"

namespace pelto5 {

namespace {

// Keys of the process state in a call-stack frame, in the order written.
constexpr std::string_view kKeyPlayerMode = "Stack.PlayerMode";
constexpr std::string_view kKeyWaitTime = "Stack.WaitTime";
constexpr std::string_view kKeyActiveClick = "Stack.WaitCancel.ActiveClick";
constexpr std::string_view kKeyAnyKey = "Stack.WaitCancel.AnykeyClick";
constexpr std::string_view kKeyTimer = "Stack.WaitCancel.Timer";
constexpr std::string_view kKeyWindowIndex = "Stack.MessageEffect.WindowIndex";
constexpr std::string_view kKeyLayerName = "Stack.MessageEffect.LayerName";

uint32_t Now() { return Platform().GetTickCount(); }

bool KnownPlayerMode(int32_t mode) {
  return mode >= TPeltoProcess::Idle && mode <= TPeltoProcess::MessagePaused;
}

}  // namespace

bool TPeltoProcess::WaitTimeIsUp() const {
  // Elapsed time as an unsigned difference stays right when the tick
  // counter wraps during the wait; a negative length is no wait at all.
  const uint32_t elapsed = Now() - FWaitStart;
  const uint32_t length = FWaitTime > 0 ? static_cast<uint32_t>(FWaitTime) : 0;
  return elapsed >= length;
}

void TPeltoProcess::ClearBreakFlags() {
  FActiveClickBreak = false;
  FAnyKeyBreak = false;
  FTimerBreak = false;
}

bool TPeltoProcess::IsReady() {
  switch (PlayerMode) {
    case Idle:
      return true;
    case Waiting:
      if (!FTimerBreak || !WaitTimeIsUp()) return false;
      PlayerMode = Idle;
      ClearBreakFlags();
      FTimedOut = true;
      return true;
    default:
      return false;
  }
}

bool TPeltoProcess::BeginStep() {
  if (!IsReady()) return false;
  PlayerMode = Executing;
  return true;
}

void TPeltoProcess::EndStep() {
  if (PlayerMode == Executing) PlayerMode = Idle;
}

bool TPeltoProcess::TakeTimedOut() {
  const bool timedOut = FTimedOut;
  FTimedOut = false;
  return timedOut;
}

void TPeltoProcess::Reset() {
  PlayerMode = Idle;
  FWaitTime = 0;
  ClearBreakFlags();
  FMessageWindow = 0;
  FMessageLayer.clear();
}

void TPeltoProcess::StartWait() {
  ClearBreakFlags();
  PlayerMode = Waiting;
  FMessageSkip = false;
}

void TPeltoProcess::SetWaitTimer(int32_t ms) {
  FWaitStart = Now();
  FWaitTime = ms;
  FTimerBreak = true;
}

void TPeltoProcess::EnableActiveClickBreak() { FActiveClickBreak = true; }

void TPeltoProcess::EnableAnyKeyBreak() { FAnyKeyBreak = true; }

void TPeltoProcess::BreakWait() {
  if (PlayerMode == Waiting) {
    ClearBreakFlags();
    PlayerMode = Idle;
  }
  if (PlayerMode == MessagePaused) {
    ClearBreakFlags();
    PlayerMode = MessageDrawing;
  }
}

int TPeltoProcess::GetClickMode() const {
  if (FActiveClickBreak) return PlayerMode == Waiting ? 2 : 0;
  return (PlayerMode == Waiting || PlayerMode == MessagePaused) ? 1 : 0;
}

bool TPeltoProcess::IsAnyKeyBreak() const {
  return (PlayerMode == Waiting || PlayerMode == MessagePaused) && FAnyKeyBreak;
}

void TPeltoProcess::StartMessageEffect(int32_t window, const std::string& layer) {
  FMessageWindow = window;
  FMessageLayer = layer;
  PlayerMode = MessageDrawing;
}

bool TPeltoProcess::MessageEffectDue() {
  if (PlayerMode != MessageDrawing && PlayerMode != MessagePaused) return false;
  if (FMessageSkip) PlayerMode = MessageDrawing;
  if (PlayerMode == MessageDrawing) return true;
  if (!FTimerBreak || !WaitTimeIsUp()) return false;
  PlayerMode = MessageDrawing;
  ClearBreakFlags();
  return true;
}

void TPeltoProcess::PauseMessage() {
  ClearBreakFlags();
  PlayerMode = MessagePaused;
}

void TPeltoProcess::EndMessageEffect() {
  if (PlayerMode == MessageDrawing || PlayerMode == MessagePaused) PlayerMode = Idle;
  FMessageWindow = 0;
  FMessageLayer.clear();
}

void TPeltoProcess::SetMessageSkip() { FMessageSkip = true; }

void TPeltoProcess::ClearMessageSkip() { FMessageSkip = false; }

bool TPeltoProcess::GaugeTickDue() {
  // Not due while the next update lies from 0 to GaugeInterval ms ahead.
  // Measured as an unsigned distance this holds across the wrap of the
  // tick counter, and a mark that is further off (the initial 0 on a clock
  // that has long passed it) counts as due.
  const uint32_t now = Now();
  if (FNextGaugeTick - now <= GaugeInterval) return false;
  FNextGaugeTick = now + GaugeInterval;
  return true;
}

int32_t TPeltoProcess::RemainingSeconds() const {
  if (!FTimerBreak) return 0;
  const int64_t remaining = static_cast<int64_t>(FWaitTime) - static_cast<int64_t>(Now() - FWaitStart);
  if (remaining <= 0) return 0;
  return static_cast<int32_t>(remaining / 1000);
}

void TPeltoProcess::SaveState() {
  if (FStack == nullptr) return;
  FStack->WriteInteger(kKeyPlayerMode, PlayerMode);
  FStack->WriteInteger(kKeyWaitTime, FWaitTime);
  FStack->WriteBool(kKeyActiveClick, FActiveClickBreak);
  FStack->WriteBool(kKeyAnyKey, FAnyKeyBreak);
  FStack->WriteBool(kKeyTimer, FTimerBreak);
  FStack->WriteInteger(kKeyWindowIndex, FMessageWindow);
  FStack->WriteString(kKeyLayerName, FMessageLayer);
}

void TPeltoProcess::LoadState() {
  if (FStack == nullptr) return;
  PlayerMode = FStack->ReadInteger(kKeyPlayerMode, Idle);
  // A number no state has (a damaged save) would stop the player for good.
  if (!KnownPlayerMode(PlayerMode)) PlayerMode = Idle;
  FWaitTime = FStack->ReadInteger(kKeyWaitTime, 0);
  FActiveClickBreak = FStack->ReadBool(kKeyActiveClick, false);
  FAnyKeyBreak = FStack->ReadBool(kKeyAnyKey, false);
  FTimerBreak = FStack->ReadBool(kKeyTimer, false);
  FMessageWindow = FStack->ReadInteger(kKeyWindowIndex, 0);
  FMessageLayer = FStack->ReadString(kKeyLayerName, "");
}

bool TPeltoProcess::SaveStack(PackageWriter& writer) {
  if (FStack == nullptr) return false;
  return FStack->SaveToContainer(writer);
}

bool TPeltoProcess::LoadStack(PackageReader& reader) {
  if (FStack == nullptr) return false;
  // A save without "stack.info" must not resume from the frames of the
  // game that is running now.
  if (FStack->LoadFromContainer(reader)) {
    // An empty stack is the state of a page no call led to. It has no
    // frame to resume at; the process is left idle.
    if (FStack->Empty()) {
      FStack->ClearFrame();
      LoadState();
      return true;
    }
    if (FStack->PopFrame()) {
      LoadState();
      return true;
    }
  }
  Platform().MessageBox(msg::kBrokenSaveStack, TMessageIcon::None, TMessageButtons::Ok);
  Platform().Terminate();
  return false;
}

void TPeltoProcess::DelayTimers(uint32_t ms) {
  FWaitStart += ms;
  FNextGaugeTick += ms;
}

}  // namespace pelto5
