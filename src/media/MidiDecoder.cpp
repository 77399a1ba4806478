#include "media/MidiDecoder.h"

#include <fluidsynth.h>

#include "media/SoundFontLocator.h"

namespace pelto5 {

TMidiDecoder::~TMidiDecoder() { TMidiSynth::Release(std::move(FSynth)); }

TResult TMidiDecoder::Open(const std::string& path, bool startSynth) {
  TMidiSynth::Release(std::move(FSynth));
  FSynthFailed = false;
  FSequencer.Rewind();
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

namespace {

// The sequencer's events go to FluidSynth as they fall due, and the frames
// between them are written into the caller's buffer.
class TFluidSink : public TMidiSequencer::TSink {
 public:
  TFluidSink(fluid_synth_t* synth, int16_t* out) : FSynth(synth), FOut(out) {}

  void Event(const TMidiEvent& e, const uint8_t* sysex) override {
    const int channel = e.Status & 0x0F;
    switch (e.Status & 0xF0) {
      case 0x80: fluid_synth_noteoff(FSynth, channel, e.Data1); break;
      case 0x90: fluid_synth_noteon(FSynth, channel, e.Data1, e.Data2); break;
      case 0xA0: fluid_synth_key_pressure(FSynth, channel, e.Data1, e.Data2); break;
      case 0xB0: fluid_synth_cc(FSynth, channel, e.Data1, e.Data2); break;
      case 0xC0: fluid_synth_program_change(FSynth, channel, e.Data1); break;
      case 0xD0: fluid_synth_channel_pressure(FSynth, channel, e.Data1); break;
      case 0xE0: fluid_synth_pitch_bend(FSynth, channel, e.Data1 | e.Data2 << 7); break;
      case 0xF0:
        if (sysex != nullptr) {
          fluid_synth_sysex(FSynth, reinterpret_cast<const char*>(sysex), static_cast<int>(e.SysexLength), nullptr,
                            nullptr, nullptr, 0);
        }
        break;
      default: break;
    }
  }

  void Render(size_t offset, size_t frames) override {
    int16_t* at = FOut + offset * kPcmChannels;
    fluid_synth_write_s16(FSynth, static_cast<int>(frames), at, 0, kPcmChannels, at, 1, kPcmChannels);
  }

 private:
  fluid_synth_t* FSynth;
  int16_t* FOut;
};

}  // namespace

size_t TMidiDecoder::Read(int16_t* out, size_t frames) {
  if (FSynth == nullptr) {
    // The reason is not reported here: a synthesizer that does not start
    // plays as silence that has ended.
    if (FSynthFailed || !StartSynth()) {
      FSynthFailed = true;
      return 0;
    }
  }
  TFluidSink sink(FSynth->Handle(), out);
  return FSequencer.Run(sink, frames);
}

bool TMidiDecoder::Rewind() {
  FSequencer.Rewind();
  if (FSynth) fluid_synth_system_reset(FSynth->Handle());
  return true;
}

}  // namespace pelto5
