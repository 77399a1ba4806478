#include "media/MidiSendQueue.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pelto5 {

namespace {

constexpr uint8_t kDefaultChannelVolume = 100;  // General MIDI's power-on CC 7
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kChannelVolume = 7;

}  // namespace

TMidiSendQueue::TMidiSendQueue(std::unique_ptr<TMidiOutPort> port, double volumeScale) : FPort(std::move(port)) {
  FChannelVolume.fill(kDefaultChannelVolume);
  TItem scale;
  scale.Kind = TKind::VolumeScale;
  scale.Scale = volumeScale;
  PostNow(std::move(scale));
  FThread = std::thread([this] { Run(); });
}

TMidiSendQueue::~TMidiSendQueue() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FItems = {};
    TItem reset;
    reset.Kind = TKind::Reset;
    reset.Due = TClock::time_point::min();
    reset.Order = FNextOrder++;
    FItems.push(std::move(reset));
    FStopping = true;
  }
  FWake.notify_one();
  FThread.join();
}

void TMidiSendQueue::PostShort(TClock::time_point due, uint8_t status, uint8_t data1, uint8_t data2) {
  TItem item;
  item.Due = due;
  item.Status = status;
  item.Data1 = data1;
  item.Data2 = data2;
  Post(std::move(item));
}

void TMidiSendQueue::PostSystemExclusive(TClock::time_point due, std::vector<uint8_t> message) {
  TItem item;
  item.Due = due;
  item.Kind = TKind::SystemExclusive;
  item.Bytes = std::move(message);
  Post(std::move(item));
}

void TMidiSendQueue::SetVolumeScale(double scale) {
  TItem item;
  item.Kind = TKind::VolumeScale;
  item.Scale = std::clamp(scale, 0.0, 1.0);
  PostNow(std::move(item));
}

void TMidiSendQueue::Reset() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FItems = {};
  }
  TItem item;
  item.Kind = TKind::Reset;
  PostNow(std::move(item));
}

void TMidiSendQueue::Post(TItem item) {
  {
    std::lock_guard<std::mutex> lock(FLock);
    item.Order = FNextOrder++;
    FItems.push(std::move(item));
  }
  FWake.notify_one();
}

void TMidiSendQueue::PostNow(TItem item) {
  item.Due = TClock::time_point::min();
  Post(std::move(item));
}

void TMidiSendQueue::Run() {
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    if (FItems.empty()) {
      if (FStopping) return;
      FWake.wait(lock);
      continue;
    }
    const TClock::time_point due = FItems.top().Due;
    if (due > TClock::now()) {
      // Stopping drops what is not due yet (the reset is always due).
      if (FStopping) return;
      FWake.wait_until(lock, due);
      continue;
    }
    TItem item = FItems.top();
    FItems.pop();
    lock.unlock();
    Perform(item);
    lock.lock();
  }
}

void TMidiSendQueue::Perform(const TItem& item) {
  switch (item.Kind) {
    case TKind::Short:
      if ((item.Status & 0xF0) == kControlChange && item.Data1 == kChannelVolume) {
        const int channel = item.Status & 0x0F;
        FChannelVolume[static_cast<size_t>(channel)] = item.Data2;
        SendVolume(channel);
      } else {
        SendShort(item.Status, item.Data1, item.Data2);
      }
      return;
    case TKind::SystemExclusive:
      FPort->SystemExclusive(item.Bytes);
      return;
    case TKind::VolumeScale:
      FVolumeScale = item.Scale;
      for (int channel = 0; channel < 16; ++channel) SendVolume(channel);
      return;
    case TKind::Reset:
      Silence();
      FChannelVolume.fill(kDefaultChannelVolume);
      for (int channel = 0; channel < 16; ++channel) SendVolume(channel);
      return;
  }
}

void TMidiSendQueue::SendShort(uint8_t status, uint8_t data1, uint8_t data2) { FPort->Short(status, data1, data2); }

void TMidiSendQueue::SendVolume(int channel) {
  const double scaled = FChannelVolume[static_cast<size_t>(channel)] * FVolumeScale;
  const int volume = std::clamp(static_cast<int>(std::lround(scaled)), 0, 127);
  SendShort(static_cast<uint8_t>(kControlChange | channel), kChannelVolume, static_cast<uint8_t>(volume));
}

// Every note off and the controllers back to their defaults, on every
// channel, so nothing rings on after a stop or a rewind.
void TMidiSendQueue::Silence() {
  for (uint8_t channel = 0; channel < 16; ++channel) {
    SendShort(static_cast<uint8_t>(kControlChange | channel), 123, 0);  // all notes off
    SendShort(static_cast<uint8_t>(kControlChange | channel), 121, 0);  // reset all controllers
  }
}

}  // namespace pelto5
