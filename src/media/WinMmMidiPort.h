// The system's own MIDI output on Windows: the MIDI mapper, which plays on
// the Microsoft GS Wavetable Synth unless the user chose another device.
#pragma once

#include <memory>

#include "media/MidiOutPort.h"

namespace pelto5 {

class TWinMmMidiPort : public TMidiOutPort {
 public:
  // The open port; null where it cannot be opened, and on every system
  // other than Windows.
  static std::unique_ptr<TMidiOutPort> Open();
  ~TWinMmMidiPort() override;
  TWinMmMidiPort(const TWinMmMidiPort&) = delete;
  TWinMmMidiPort& operator=(const TWinMmMidiPort&) = delete;

  void Short(uint8_t status, uint8_t data1, uint8_t data2) override;
  void SystemExclusive(const std::vector<uint8_t>& message) override;

 private:
  explicit TWinMmMidiPort(void* handle) : FHandle(handle) {}
  void* FHandle;  // HMIDIOUT
};

}  // namespace pelto5
