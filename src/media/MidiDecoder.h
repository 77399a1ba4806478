// A MIDI file (".mid" or ".rmi") played by a FluidSynth software
// synthesizer (TMidiSynth) with the General MIDI sound font
// TSoundFontLocator finds.
// The file is sequenced by TMidiSequencer, event by event at its exact
// frame, so the sound lasts exactly the file's length (the time of its last
// event).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Result.h"
#include "media/AudioDecoder.h"
#include "media/MidiFile.h"
#include "media/MidiSequencer.h"
#include "media/MidiSynth.h"

namespace pelto5 {

class TMidiDecoder : public TAudioDecoder {
 public:
  TMidiDecoder() = default;
  ~TMidiDecoder() override;
  TMidiDecoder(const TMidiDecoder&) = delete;
  TMidiDecoder& operator=(const TMidiDecoder&) = delete;

  // Reads the file and finds the sound font. With startSynth the
  // synthesizer is made and the font loaded now (which takes a moment for a
  // large font); otherwise that waits for the first Read, so a file can be
  // checked and timed without synthesizing it. Fails with a reason for a
  // damaged file, a missing sound font or a font that does not load.
  TResult Open(const std::string& path, bool startSynth);

  size_t Read(int16_t* out, size_t frames) override;
  [[nodiscard]] bool Rewind() override;
  uint32_t LengthMs() override { return FFile.LengthMs(); }

  const std::string& SoundFont() const { return FSoundFont; }

 private:
  TResult StartSynth();

  TMidiFile FFile;
  std::string FSoundFont;
  std::unique_ptr<TMidiSynth> FSynth;
  bool FSynthFailed = false;
  TMidiSequencer FSequencer{FFile};
};

}  // namespace pelto5
