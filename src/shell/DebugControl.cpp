#include "shell/DebugControl.h"

#include "base/SjisText.h"

namespace pelto5 {

bool TDebugControl::ParseBreakpoint(const std::string& text, TBreakpoint& breakpoint) {
  const size_t slash = sjis::FindChar(text, '/');
  if (slash == std::string::npos || slash == 0) return false;
  std::string page = text.substr(slash + 1);
  int index = 0;
  // The index follows the last "#", so a page name may hold one.
  size_t hash = std::string::npos;
  for (size_t pos = sjis::FindChar(page, '#'); pos != std::string::npos;
       pos = sjis::FindChar(page, '#', pos + 1)) {
    hash = pos;
  }
  if (hash != std::string::npos) {
    const std::string digits = page.substr(hash + 1);
    if (digits.empty()) return false;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
    }
    if (digits.size() > 6) return false;
    index = std::stoi(digits);
    page.erase(hash);
  }
  if (page.empty()) return false;
  breakpoint.Book = text.substr(0, slash);
  breakpoint.Page = page;
  breakpoint.Index = index;
  return true;
}

std::string TDebugControl::Text(const TBreakpoint& breakpoint) {
  return breakpoint.Book + "/" + breakpoint.Page + "#" + std::to_string(breakpoint.Index);
}

void TDebugControl::Pause() {
  FPaused = true;
  FStepPending = false;
  FStepDone = false;
}

void TDebugControl::Resume() {
  if (!FPaused) return;
  FPaused = false;
  FStepPending = false;
  FStepDone = false;
  FPassBreakpoint = true;
}

void TDebugControl::Step() {
  if (!FPaused) {
    Pause();
    return;
  }
  FStepPending = true;
  FPassBreakpoint = true;
}

void TDebugControl::TogglePause() {
  if (FPaused) {
    Resume();
  } else {
    Pause();
  }
}

bool TDebugControl::ToggleBreakpoint(const TBreakpoint& breakpoint) {
  if (FBreakpoints.erase(breakpoint) > 0) return false;
  FBreakpoints.insert(breakpoint);
  return true;
}

TDebugControl::TFetch TDebugControl::BeforeFetch(const TBreakpoint& position) {
  if (FPaused && !FStepPending) {
    if (!FStepDone) return TFetch::Paused;
    FStepDone = false;
    return TFetch::Stopped;
  }
  const bool pass = FPassBreakpoint;
  FPassBreakpoint = false;
  if (FStepPending) {
    FStepPending = false;
    FStepDone = true;
    return TFetch::Go;
  }
  if (!pass && HasBreakpoint(position)) {
    FPaused = true;
    return TFetch::Stopped;
  }
  return TFetch::Go;
}

std::string TDebugControl::DumpLines() const {
  std::string out = std::string("Paused=") + (FPaused ? "1" : "0") + "\n";
  for (const TBreakpoint& b : FBreakpoints) out += "Breakpoint=" + sjis::ToUtf8(Text(b)) + "\n";
  return out;
}

}  // namespace pelto5
