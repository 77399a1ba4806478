// A FluidSynth synthesizer with a sound font loaded. Loading a full General
// MIDI font takes seconds, so synthesizers are kept for the next MIDI file
// instead of being destroyed: Acquire hands out an idle one with the same
// font when there is one, Release takes it back (a few are kept).
#pragma once

#include <memory>
#include <string>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace pelto5 {

class TMidiSynth {
 public:
  ~TMidiSynth();
  TMidiSynth(const TMidiSynth&) = delete;
  TMidiSynth& operator=(const TMidiSynth&) = delete;

  // A synthesizer at rate kPcmRate with soundFont loaded, reset to its
  // power-on state; nullptr with a reason if it cannot be made.
  static std::unique_ptr<TMidiSynth> Acquire(const std::string& soundFont, std::string& reason);
  // Gives a synthesizer back for later use.
  static void Release(std::unique_ptr<TMidiSynth> synth);

  fluid_synth_t* Handle() const { return FSynth; }
  const std::string& SoundFont() const { return FSoundFont; }

 private:
  TMidiSynth() = default;

  fluid_settings_t* FSettings = nullptr;
  fluid_synth_t* FSynth = nullptr;
  std::string FSoundFont;
};

}  // namespace pelto5
