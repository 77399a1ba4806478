// Sends the MIDI messages of a system-synthesized file to its port at their
// due times, from a thread of its own. The mixer reads a sound a buffer
// (tens of milliseconds) at a time; the events of a buffer are posted with
// the moment each falls on, so they sound spread as in the file instead of
// together when the buffer is read.
//
// The thread also owns the channel volumes: a channel volume (CC 7) is sent
// scaled by the volume scale the moment it goes out, so a scale set later
// applies to volumes still waiting.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "media/MidiOutPort.h"

namespace pelto5 {

class TMidiSendQueue {
 public:
  using TClock = std::chrono::steady_clock;

  // Starts the thread; every channel's volume is sent at once.
  explicit TMidiSendQueue(std::unique_ptr<TMidiOutPort> port, double volumeScale = 1.0);
  // Drops what is still waiting, silences every channel and stops.
  ~TMidiSendQueue();
  TMidiSendQueue(const TMidiSendQueue&) = delete;
  TMidiSendQueue& operator=(const TMidiSendQueue&) = delete;

  // Messages due at the same time go out in the order they were posted.
  void PostShort(TClock::time_point due, uint8_t status, uint8_t data1, uint8_t data2);
  void PostSystemExclusive(TClock::time_point due, std::vector<uint8_t> message);
  // The factor (0 to 1) channel volumes are sent with from now on; every
  // channel's volume is sent again at once.
  void SetVolumeScale(double scale);
  // Drops what is waiting; at once every note off, every controller back
  // to its default and the channel volumes back to their power-on value.
  void Reset();

 private:
  enum class TKind { Short, SystemExclusive, VolumeScale, Reset };
  struct TItem {
    TClock::time_point Due;
    uint64_t Order = 0;
    TKind Kind = TKind::Short;
    uint8_t Status = 0;
    uint8_t Data1 = 0;
    uint8_t Data2 = 0;
    double Scale = 1.0;
    std::vector<uint8_t> Bytes;
  };
  struct TLater {
    bool operator()(const TItem& a, const TItem& b) const {
      return a.Due != b.Due ? a.Due > b.Due : a.Order > b.Order;
    }
  };

  void Post(TItem item);
  // Posts an item that goes before everything waiting.
  void PostNow(TItem item);
  void Run();
  void Perform(const TItem& item);
  void SendShort(uint8_t status, uint8_t data1, uint8_t data2);
  void SendVolume(int channel);
  void Silence();

  std::unique_ptr<TMidiOutPort> FPort;
  std::mutex FLock;
  std::condition_variable FWake;
  std::priority_queue<TItem, std::vector<TItem>, TLater> FItems;
  uint64_t FNextOrder = 0;
  bool FStopping = false;
  // Owned by the thread.
  std::array<uint8_t, 16> FChannelVolume{};
  double FVolumeScale = 1.0;
  std::thread FThread;
};

}  // namespace pelto5
