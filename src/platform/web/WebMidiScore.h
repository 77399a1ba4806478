// A MIDI file sequenced for the page's synthesizer. The browser build's
// synthesizer is FluidSynth compiled to WebAssembly as a module of its own
// (pelto5-midi.js runs it in a worker), so the engine cannot call it; the
// engine's sequencer (TMidiSequencer, the desktop's) runs here instead and
// writes down what it would call, in order: the messages, each system
// exclusive body, and the frames to render between them. The page plays
// that back into the synthesizer, which yields the samples the desktop's
// TMidiDecoder renders for the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"
#include "media/MidiFile.h"

namespace pelto5 {

// What one step of a score does (the first of its three words).
enum class TMidiStep : int32_t {
  Render = 0,   // render word 1 frames
  Message = 1,  // send channel message: word 1 the status byte, word 2 data1 | data2 << 8
  Sysex = 2,    // send the system exclusive body at word 1 of Sysex(), word 2 bytes long
};

class TWebMidiScore {
 public:
  static constexpr int kWordsPerStep = 3;

  // Reads and sequences a MIDI file's bytes; fails as TMidiFile does.
  TResult Parse(const std::string& bytes);

  const std::vector<int32_t>& Steps() const { return FSteps; }
  const std::vector<uint8_t>& Sysex() const { return FFile.SysexData(); }
  uint64_t LengthFrames() const { return FFile.LengthFrames(); }

 private:
  TMidiFile FFile;
  std::vector<int32_t> FSteps;
};

}  // namespace pelto5
