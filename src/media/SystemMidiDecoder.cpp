#include "media/SystemMidiDecoder.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "media/WinMmMidiPort.h"

namespace pelto5 {

TSystemMidiDecoder::TSystemMidiDecoder(TPortOpener openPort)
    : FOpenPort(openPort ? std::move(openPort) : TPortOpener(&TWinMmMidiPort::Open)) {}

TSystemMidiDecoder::~TSystemMidiDecoder() = default;

TResult TSystemMidiDecoder::Open(const std::string& path) {
  FNextEvent = 0;
  FPosition = 0;
  return FFile.Load(path);
}

void TSystemMidiDecoder::Post(TMidiSendQueue::TClock::time_point due, const TMidiEvent& e) {
  if (e.Status != 0xF0) {
    FQueue->PostShort(due, e.Status, e.Data1, e.Data2);
    return;
  }
  std::vector<uint8_t> message(e.SysexLength + 2);
  message.front() = 0xF0;
  std::copy_n(FFile.SysexData().begin() + e.SysexStart, e.SysexLength, message.begin() + 1);
  message.back() = 0xF7;
  FQueue->PostSystemExclusive(due, std::move(message));
}

size_t TSystemMidiDecoder::Read(int16_t* out, size_t frames) {
  if (!FQueue && !FPortFailed) {
    std::unique_ptr<TMidiOutPort> port = FOpenPort();
    if (port) {
      FQueue = std::make_unique<TMidiSendQueue>(std::move(port), FVolumeScale);
    } else {
      FPortFailed = true;
    }
  }
  if (!FQueue) return 0;
  const std::vector<TMidiEvent>& events = FFile.Events();
  const uint64_t length = FFile.LengthFrames();
  const size_t total = static_cast<size_t>(std::min<uint64_t>(frames, length - std::min(FPosition, length)));
  const uint64_t until = FPosition + total;
  // The buffer starts sounding about now; each event sounds its distance
  // in frames later.
  const TMidiSendQueue::TClock::time_point start = TMidiSendQueue::TClock::now();
  for (; FNextEvent < events.size() && events[FNextEvent].Frame < until; ++FNextEvent) {
    const TMidiEvent& event = events[FNextEvent];
    const uint64_t offset = event.Frame > FPosition ? event.Frame - FPosition : 0;
    Post(start + std::chrono::microseconds(offset * 1000000 / kPcmRate), event);
  }
  std::fill(out, out + total * kPcmChannels, int16_t{0});
  FPosition = until;
  return total;
}

bool TSystemMidiDecoder::Rewind() {
  FNextEvent = 0;
  FPosition = 0;
  if (FQueue) FQueue->Reset();
  return true;
}

void TSystemMidiDecoder::SetGain(double gain) {
  // A MIDI volume's loudness goes with its square: the gain's square root
  // scales it to the same loudness as the gain scales samples.
  FVolumeScale = std::sqrt(std::clamp(gain, 0.0, 1.0));
  if (FQueue) FQueue->SetVolumeScale(FVolumeScale);
}

}  // namespace pelto5
