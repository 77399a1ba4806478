#include "media/MidiSynth.h"

#include <fluidsynth.h>

#include <mutex>
#include <vector>

#include "media/AudioDecoder.h"

namespace pelto5 {

namespace {

// The synthesizer's master gain. Its default (0.2) leaves General MIDI
// music far quieter than sampled sound at the same volume setting.
constexpr double kSynthGain = 1.0;
// Idle synthesizers kept: enough for music and a sound effect.
constexpr size_t kKeptSynths = 2;

std::mutex gPoolLock;
std::vector<std::unique_ptr<TMidiSynth>>& Pool() {
  static std::vector<std::unique_ptr<TMidiSynth>> pool;
  return pool;
}

// FluidSynth reports every odd sound font and file to standard error.
void QuietSynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  });
}

}  // namespace

TMidiSynth::~TMidiSynth() {
  if (FSynth) delete_fluid_synth(FSynth);
  if (FSettings) delete_fluid_settings(FSettings);
}

std::unique_ptr<TMidiSynth> TMidiSynth::Acquire(const std::string& soundFont, std::string& reason) {
  {
    std::lock_guard<std::mutex> hold(gPoolLock);
    auto& pool = Pool();
    for (auto it = pool.begin(); it != pool.end(); ++it) {
      if ((*it)->FSoundFont != soundFont) continue;
      std::unique_ptr<TMidiSynth> synth = std::move(*it);
      pool.erase(it);
      fluid_synth_system_reset(synth->FSynth);
      return synth;
    }
  }
  QuietSynth();
  std::unique_ptr<TMidiSynth> synth(new TMidiSynth());
  synth->FSoundFont = soundFont;
  synth->FSettings = new_fluid_settings();
  if (synth->FSettings == nullptr) {
    reason = "cannot start the MIDI synthesizer";
    return nullptr;
  }
  fluid_settings_setnum(synth->FSettings, "synth.sample-rate", kPcmRate);
  fluid_settings_setnum(synth->FSettings, "synth.gain", kSynthGain);
  // Each synthesizer is used by one decoder, under its stream's lock.
  fluid_settings_setint(synth->FSettings, "synth.threadsafe-api", 0);
  synth->FSynth = new_fluid_synth(synth->FSettings);
  if (synth->FSynth == nullptr) {
    reason = "cannot start the MIDI synthesizer";
    return nullptr;
  }
  if (fluid_synth_sfload(synth->FSynth, soundFont.c_str(), 1) == FLUID_FAILED) {
    reason = "sound font " + soundFont + " does not load";
    return nullptr;
  }
  return synth;
}

void TMidiSynth::Release(std::unique_ptr<TMidiSynth> synth) {
  if (!synth) return;
  fluid_synth_system_reset(synth->FSynth);
  std::lock_guard<std::mutex> hold(gPoolLock);
  auto& pool = Pool();
  if (pool.size() >= kKeptSynths) pool.erase(pool.begin());
  pool.push_back(std::move(synth));
}

}  // namespace pelto5
