// A Standard MIDI File (".mid", or the same data inside a RIFF "RMID" file,
// ".rmi") read into one time-ordered list of the events a synthesizer
// plays, with each event's time in output frames (kPcmRate) taken from the
// file's tempo map. The file's length is the time of its last event.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"

namespace pelto5 {

struct TMidiEvent {
  uint64_t Frame = 0;     // when it sounds, in frames from the start
  uint8_t Status = 0;     // channel message status byte, or 0xF0 for system exclusive
  uint8_t Data1 = 0;
  uint8_t Data2 = 0;
  uint32_t SysexStart = 0;  // system exclusive: body in SysexData (without F0 / F7)
  uint32_t SysexLength = 0;
};

class TMidiFile {
 public:
  // True if bytes start like a MIDI file or an RMID file (nothing else is
  // checked).
  [[nodiscard]] static bool LooksLikeMidi(const std::string& head);

  // Reads a whole file. Fails with a short reason for a file that is not
  // MIDI, is damaged or truncated, has no events at all or lasts over
  // three hours (damaged event times).
  TResult Load(const std::string& path);
  // The same for a file's bytes.
  TResult Parse(const std::string& bytes);

  const std::vector<TMidiEvent>& Events() const { return FEvents; }
  const std::vector<uint8_t>& SysexData() const { return FSysex; }
  uint64_t LengthFrames() const { return FLengthFrames; }
  uint32_t LengthMs() const;

 private:
  struct TTempo {
    uint64_t Tick;
    uint32_t MicrosPerQuarter;
  };
  // Reads one track chunk's events at their ticks into FEvents (Frame holds
  // the tick until ConvertTicks); fails with a reason if it is damaged.
  TResult ParseTrack(const uint8_t* p, size_t size, std::vector<TTempo>& tempos, uint64_t& endTick);
  // Turns ticks into frames with the tempo map (or the SMPTE rate).
  void ConvertTicks(std::vector<TTempo>& tempos, uint64_t endTick);

  int FDivision = 0;  // the header's division word
  std::vector<TMidiEvent> FEvents;
  std::vector<uint8_t> FSysex;
  uint64_t FLengthFrames = 0;
};

}  // namespace pelto5
