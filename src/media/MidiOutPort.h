// Where a MIDI file that the system synthesizes is sent: the system's MIDI
// output, or whatever stands in for it.
#pragma once

#include <cstdint>
#include <vector>

namespace pelto5 {

class TMidiOutPort {
 public:
  virtual ~TMidiOutPort() = default;
  // A channel message of up to three bytes.
  virtual void Short(uint8_t status, uint8_t data1, uint8_t data2) = 0;
  // A whole system exclusive message, F0 to F7.
  virtual void SystemExclusive(const std::vector<uint8_t>& message) = 0;
};

}  // namespace pelto5
