#include "media/MidiDecoder.h"

#include <fluidsynth.h>

#include <algorithm>

#include "media/SoundFontLocator.h"

namespace pelto5 {

TMidiDecoder::~TMidiDecoder() { TMidiSynth::Release(std::move(FSynth)); }

TResult TMidiDecoder::Open(const std::string& path, bool startSynth) {
  TMidiSynth::Release(std::move(FSynth));
  FSynthFailed = false;
  FNextEvent = 0;
  FPosition = 0;
  TResult loaded = FFile.Load(path);
  if (!loaded) return loaded;
  FSoundFont = TSoundFontLocator::Find();
  if (FSoundFont.empty()) return TResult::Fail("no General MIDI sound font installed (set SDL_SOUNDFONTS)");
  return startSynth ? StartSynth() : TResult::Ok();
}

TResult TMidiDecoder::StartSynth() {
  std::string reason;
  FSynth = TMidiSynth::Acquire(FSoundFont, reason);
  return FSynth ? TResult::Ok() : TResult::Fail(reason);
}

void TMidiDecoder::Send(fluid_synth_t* synth, const TMidiEvent& e) {
  const int channel = e.Status & 0x0F;
  switch (e.Status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, e.Data1); break;
    case 0x90: fluid_synth_noteon(synth, channel, e.Data1, e.Data2); break;
    case 0xA0: fluid_synth_key_pressure(synth, channel, e.Data1, e.Data2); break;
    case 0xB0: fluid_synth_cc(synth, channel, e.Data1, e.Data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, e.Data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, e.Data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, e.Data1 | e.Data2 << 7); break;
    case 0xF0: {
      const auto* data = reinterpret_cast<const char*>(FFile.SysexData().data() + e.SysexStart);
      fluid_synth_sysex(synth, data, static_cast<int>(e.SysexLength), nullptr, nullptr, nullptr, 0);
      break;
    }
    default: break;
  }
}

size_t TMidiDecoder::Read(int16_t* out, size_t frames) {
  if (FSynth == nullptr) {
    // The reason is not reported here: a synthesizer that does not start
    // plays as silence that has ended.
    if (FSynthFailed || !StartSynth()) {
      FSynthFailed = true;
      return 0;
    }
  }
  const std::vector<TMidiEvent>& events = FFile.Events();
  const uint64_t length = FFile.LengthFrames();
  const size_t total = static_cast<size_t>(std::min<uint64_t>(frames, length - std::min(FPosition, length)));
  size_t written = 0;
  while (written < total) {
    while (FNextEvent < events.size() && events[FNextEvent].Frame <= FPosition) {
      Send(FSynth->Handle(), events[FNextEvent++]);
    }
    uint64_t until = FPosition + (total - written);
    if (FNextEvent < events.size()) until = std::min(until, events[FNextEvent].Frame);
    const int n = static_cast<int>(until - FPosition);
    int16_t* at = out + written * kPcmChannels;
    fluid_synth_write_s16(FSynth->Handle(), n, at, 0, kPcmChannels, at, 1, kPcmChannels);
    written += static_cast<size_t>(n);
    FPosition = until;
  }
  return written;
}

bool TMidiDecoder::Rewind() {
  FNextEvent = 0;
  FPosition = 0;
  if (FSynth) fluid_synth_system_reset(FSynth->Handle());
  return true;
}

}  // namespace pelto5
