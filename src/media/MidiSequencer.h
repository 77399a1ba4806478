// Plays a MIDI file's events into a synthesizer at their exact frames: the
// one sequencer of every build. It knows nothing of the synthesizer; a sink
// receives each event when its frame is reached and renders the frames
// between events. The desktop's sink is FluidSynth in the process
// (TMidiDecoder); the browser's writes the same calls down for the page's
// synthesizer (TMidiScore).
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/MidiFile.h"

namespace pelto5 {

class TMidiSequencer {
 public:
  class TSink {
   public:
    virtual ~TSink() = default;
    // An event is due now; sysex points at a system exclusive event's body
    // (SysexLength bytes, without F0 / F7), nullptr for other events.
    virtual void Event(const TMidiEvent& event, const uint8_t* sysex) = 0;
    // Renders the next frames frames (at most what one call was asked for);
    // offset counts the frames already rendered in this call of Run.
    virtual void Render(size_t offset, size_t frames) = 0;
  };

  // The file must outlive the sequencer.
  explicit TMidiSequencer(const TMidiFile& file) : FFile(file) {}

  // Plays up to frames frames from the current position, never past the
  // file's length; returns how many frames were rendered (0 at the end).
  size_t Run(TSink& sink, size_t frames);
  // Back to the start (the synthesizer's reset is the caller's).
  void Rewind();
  uint64_t Position() const { return FPosition; }

 private:
  const TMidiFile& FFile;
  size_t FNextEvent = 0;
  uint64_t FPosition = 0;  // frames rendered since the start
};

}  // namespace pelto5
