#include "platform/audio/MidiDecoder.h"

#include <fluidsynth.h>

#include <algorithm>
#include <mutex>

#include "platform/audio/SoundFontLocator.h"

namespace pelto5 {

namespace {

// The synthesizer's master gain. Its default (0.2) leaves General MIDI
// music far quieter than sampled sound at the same volume setting.
constexpr double kSynthGain = 1.0;

// FluidSynth reports every odd sound font and file to standard error.
void QuietSynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  });
}

}  // namespace

TMidiDecoder::~TMidiDecoder() { FreeSynth(); }

void TMidiDecoder::FreeSynth() {
  if (FSynth) delete_fluid_synth(FSynth);
  if (FSettings) delete_fluid_settings(FSettings);
  FSynth = nullptr;
  FSettings = nullptr;
}

bool TMidiDecoder::Open(const std::string& path, bool startSynth, std::string& reason) {
  FreeSynth();
  FSynthFailed = false;
  FNextEvent = 0;
  FPosition = 0;
  if (!FFile.Load(path, reason)) return false;
  FSoundFont = TSoundFontLocator::Find();
  if (FSoundFont.empty()) {
    reason = "no General MIDI sound font installed (set SDL_SOUNDFONTS)";
    return false;
  }
  return !startSynth || StartSynth(reason);
}

bool TMidiDecoder::StartSynth(std::string& reason) {
  QuietSynth();
  FSettings = new_fluid_settings();
  if (FSettings == nullptr) {
    reason = "cannot start the MIDI synthesizer";
    return false;
  }
  fluid_settings_setnum(FSettings, "synth.sample-rate", kPcmRate);
  fluid_settings_setnum(FSettings, "synth.gain", kSynthGain);
  // Calls come from one thread at a time (the channel's lock).
  fluid_settings_setint(FSettings, "synth.threadsafe-api", 0);
  FSynth = new_fluid_synth(FSettings);
  if (FSynth == nullptr) {
    reason = "cannot start the MIDI synthesizer";
    FreeSynth();
    return false;
  }
  if (fluid_synth_sfload(FSynth, FSoundFont.c_str(), 1) == FLUID_FAILED) {
    reason = "sound font " + FSoundFont + " does not load";
    FreeSynth();
    return false;
  }
  return true;
}

void TMidiDecoder::Send(const TMidiEvent& e) {
  const int channel = e.Status & 0x0F;
  switch (e.Status & 0xF0) {
    case 0x80: fluid_synth_noteoff(FSynth, channel, e.Data1); break;
    case 0x90: fluid_synth_noteon(FSynth, channel, e.Data1, e.Data2); break;
    case 0xA0: fluid_synth_key_pressure(FSynth, channel, e.Data1, e.Data2); break;
    case 0xB0: fluid_synth_cc(FSynth, channel, e.Data1, e.Data2); break;
    case 0xC0: fluid_synth_program_change(FSynth, channel, e.Data1); break;
    case 0xD0: fluid_synth_channel_pressure(FSynth, channel, e.Data1); break;
    case 0xE0: fluid_synth_pitch_bend(FSynth, channel, e.Data1 | e.Data2 << 7); break;
    case 0xF0: {
      const auto* data = reinterpret_cast<const char*>(FFile.SysexData().data() + e.SysexStart);
      fluid_synth_sysex(FSynth, data, static_cast<int>(e.SysexLength), nullptr, nullptr, nullptr, 0);
      break;
    }
    default: break;
  }
}

size_t TMidiDecoder::Read(int16_t* out, size_t frames) {
  if (FSynth == nullptr) {
    std::string reason;
    if (FSynthFailed || !StartSynth(reason)) {
      FSynthFailed = true;
      return 0;
    }
  }
  const std::vector<TMidiEvent>& events = FFile.Events();
  const uint64_t length = FFile.LengthFrames();
  const size_t total = static_cast<size_t>(std::min<uint64_t>(frames, length - std::min(FPosition, length)));
  size_t written = 0;
  while (written < total) {
    while (FNextEvent < events.size() && events[FNextEvent].Frame <= FPosition) Send(events[FNextEvent++]);
    uint64_t until = FPosition + (total - written);
    if (FNextEvent < events.size()) until = std::min(until, events[FNextEvent].Frame);
    const int n = static_cast<int>(until - FPosition);
    int16_t* at = out + written * kPcmChannels;
    fluid_synth_write_s16(FSynth, n, at, 0, kPcmChannels, at, 1, kPcmChannels);
    written += static_cast<size_t>(n);
    FPosition = until;
  }
  return written;
}

bool TMidiDecoder::Rewind() {
  FNextEvent = 0;
  FPosition = 0;
  if (FSynth) fluid_synth_system_reset(FSynth);
  return true;
}

}  // namespace pelto5
