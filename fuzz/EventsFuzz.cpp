// libFuzzer target: any bytes as a headless events file. A file that does
// not parse must name a line of the file and give no event; one that
// parses gives at most one event a line, each within the bounds the file
// format sets. (The platform's ParseEvents queues exactly these; it is
// not called here, as each platform brings a 640 x 480 canvas that would
// cost more than the parsing.)
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

namespace {

using pelto5::THeadlessEvent;

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

bool WithinBounds(const THeadlessEvent& e) {
  using K = THeadlessEvent::TKind;
  constexpr int kMax = 100000;
  switch (e.Kind) {
    case K::Move:
    case K::Click:
    case K::RightClick:
    case K::MiddleClick:
    case K::DebugClick:
      return InRange(e.X, 0, kMax) && InRange(e.Y, 0, kMax);
    case K::DebugDrag:
      return InRange(e.X, 0, kMax) && InRange(e.Y, 0, kMax) && InRange(e.X2, 0, kMax) && InRange(e.Y2, 0, kMax);
    case K::Key:
    case K::KeyDown:
    case K::KeyUp:
    case K::DebugKey:
      return InRange(e.Key, 1, 255);
    case K::Wheel:
      return e.Delta != 0 && InRange(e.Delta, -1000, 1000);
    case K::DebugTab:
      return InRange(e.Key, 0, 1000);
    case K::DebugWheel:
      return InRange(e.Key, -1000, 1000);
    case K::Shot:
    case K::DebugShot:
      return !e.Text.empty();
    case K::Answer:
      return e.Key == static_cast<int>(pelto5::TMessageResult::Abort) ||
             e.Key == static_cast<int>(pelto5::TMessageResult::Ignore) ||
             e.Key == static_cast<int>(pelto5::TMessageResult::Yes) ||
             e.Key == static_cast<int>(pelto5::TMessageResult::No);
    case K::Pad:
      return InRange(e.Key, static_cast<int>(pelto5::TPadButton::A), static_cast<int>(pelto5::TPadButton::DpadRight));
    case K::Text:
    case K::TextCancel:
    case K::Quit:
    case K::DebugPause:
    case K::DebugResume:
    case K::DebugStep:
    case K::Reload:
    case K::FullScreen:
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelto5;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const long lines = std::count(text.begin(), text.end(), '\n') + 1;
  std::vector<THeadlessEvent> events;
  const TResult parsed = THeadlessPlatform::ParseEventList(text, events);
  if (!parsed) {
    // "N: reason: line", N a line of the file.
    const long line = std::strtol(parsed.Reason().c_str(), nullptr, 10);
    if (!events.empty() || line < 1 || line > lines || parsed.Reason().find(": ") == std::string::npos) {
      std::abort();
    }
  } else {
    if (static_cast<long>(events.size()) > lines) std::abort();
    for (const THeadlessEvent& e : events) {
      if (!WithinBounds(e)) std::abort();
    }
  }
  return 0;
}
