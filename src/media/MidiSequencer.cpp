#include "media/MidiSequencer.h"

#include <algorithm>
#include <vector>

namespace pelto5 {

size_t TMidiSequencer::Run(TSink& sink, size_t frames) {
  const std::vector<TMidiEvent>& events = FFile.Events();
  const std::vector<uint8_t>& sysex = FFile.SysexData();
  const uint64_t length = FFile.LengthFrames();
  const size_t total = static_cast<size_t>(std::min<uint64_t>(frames, length - std::min(FPosition, length)));
  size_t written = 0;
  while (written < total) {
    while (FNextEvent < events.size() && events[FNextEvent].Frame <= FPosition) {
      const TMidiEvent& e = events[FNextEvent++];
      const bool isSysex = e.Status == 0xF0 && uint64_t{e.SysexStart} + e.SysexLength <= sysex.size();
      if (e.Status == 0xF0 && !isSysex) continue;
      sink.Event(e, isSysex ? sysex.data() + e.SysexStart : nullptr);
    }
    uint64_t until = FPosition + (total - written);
    if (FNextEvent < events.size()) until = std::min(until, events[FNextEvent].Frame);
    const size_t n = static_cast<size_t>(until - FPosition);
    sink.Render(written, n);
    written += n;
    FPosition = until;
  }
  return written;
}

void TMidiSequencer::Rewind() {
  FNextEvent = 0;
  FPosition = 0;
}

}  // namespace pelto5
