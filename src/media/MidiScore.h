// A MIDI file sequenced ahead into a score: what TMidiSequencer would call
// on a synthesizer, in order, written down as steps (the messages, each
// system exclusive body, and the frames to render between them). The
// browser build's synthesizer is FluidSynth compiled to WebAssembly as a
// module of its own (the page's pelto5-midi.js runs it in a worker), which
// the engine cannot call: the engine sends it the score, and playing the
// score back into FluidSynth yields the samples TMidiDecoder renders for the
// same file.
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

class TMidiScore {
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
