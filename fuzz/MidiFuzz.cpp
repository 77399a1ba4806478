// libFuzzer target: any bytes read as a MIDI or RMID file; a file that
// reads must have its events in time order, inside its length, with their
// system exclusive bodies inside the kept data.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "media/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelto5::TMidiFile midi;
  if (!midi.Parse(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  uint64_t last = 0;
  for (const pelto5::TMidiEvent& e : midi.Events()) {
    if (e.Frame < last || e.Frame > midi.LengthFrames()) std::abort();
    if (e.Status == 0xF0 && uint64_t{e.SysexStart} + e.SysexLength > midi.SysexData().size()) std::abort();
    last = e.Frame;
  }
  return 0;
}
