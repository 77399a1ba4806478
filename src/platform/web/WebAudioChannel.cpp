#include "platform/web/WebAudioChannel.h"

#include <emscripten.h>

#include "media/AudioGain.h"
#include "media/MidiFile.h"
#include "platform/FileSystem.h"
#include "media/MidiScore.h"

namespace pelto5 {

namespace {

int NextChannelId() {
  static int next = 0;
  return ++next;
}

}  // namespace

// The page's side of every channel: Module.pelto5Audio (pelto5-audio.js).
EM_ASYNC_JS(int, pelto5_web_audio_open, (int id, const uint8_t* data, int size), {
  if (!Module.pelto5Audio) return 0;
  return (await Module.pelto5Audio.open(id, HEAPU8.slice(data, data + size))) ? 1 : 0;
});
// A MIDI file: the score the engine sequenced, for the page's synthesizer
// to render (steps of three words, see TMidiScore).
EM_JS(int, pelto5_web_audio_open_midi,
      (int id, const int32_t* steps, int stepWords, const uint8_t* sysex, int sysexSize, double frames), {
  if (!Module.pelto5Audio || !Module.pelto5Audio.openMidi) return 0;
  const score = HEAP32.slice(steps >> 2, (steps >> 2) + stepWords);
  return Module.pelto5Audio.openMidi(id, score, HEAPU8.slice(sysex, sysex + sysexSize), frames) ? 1 : 0;
});
EM_JS(void, pelto5_web_audio_close, (int id), { if (Module.pelto5Audio) Module.pelto5Audio.close(id); });
EM_JS(void, pelto5_web_audio_play, (int id), { if (Module.pelto5Audio) Module.pelto5Audio.play(id); });
EM_JS(void, pelto5_web_audio_stop, (int id), { if (Module.pelto5Audio) Module.pelto5Audio.stop(id); });
EM_JS(void, pelto5_web_audio_rewind, (int id), { if (Module.pelto5Audio) Module.pelto5Audio.rewind(id); });
EM_JS(int, pelto5_web_audio_finished, (int id), {
  return !Module.pelto5Audio || Module.pelto5Audio.finished(id) ? 1 : 0;
});
EM_JS(void, pelto5_web_audio_gain, (int id, double gain), {
  if (Module.pelto5Audio) Module.pelto5Audio.gain(id, gain);
});

TWebAudioChannel::TWebAudioChannel(TAudioKind /*kind*/) : FId(NextChannelId()) {}

TWebAudioChannel::~TWebAudioChannel() { Close(); }

bool TWebAudioChannel::Open(const std::string& path) {
  Close();
  std::string data;
  if (!TFileSystem::ReadFile(path, data) || data.empty()) return false;
  if (TMidiFile::LooksLikeMidi(data)) {
    TMidiScore score;
    if (!score.Parse(data)) return false;
    const std::vector<int32_t>& steps = score.Steps();
    const std::vector<uint8_t>& sysex = score.Sysex();
    FOpen = pelto5_web_audio_open_midi(FId, steps.data(), static_cast<int>(steps.size()), sysex.data(),
                                       static_cast<int>(sysex.size()),
                                       static_cast<double>(score.LengthFrames())) != 0;
    return FOpen;
  }
  FOpen = pelto5_web_audio_open(FId, reinterpret_cast<const uint8_t*>(data.data()),
                                static_cast<int>(data.size())) != 0;
  return FOpen;
}

void TWebAudioChannel::Close() {
  if (!FOpen) return;
  pelto5_web_audio_close(FId);
  FOpen = false;
}

void TWebAudioChannel::Play() {
  if (FOpen) pelto5_web_audio_play(FId);
}

void TWebAudioChannel::Stop() {
  if (FOpen) pelto5_web_audio_stop(FId);
}

void TWebAudioChannel::Rewind() {
  if (FOpen) pelto5_web_audio_rewind(FId);
}

bool TWebAudioChannel::IsFinished() { return !FOpen || pelto5_web_audio_finished(FId) != 0; }

bool TWebAudioChannel::SetVolume(int level) {
  if (!FOpen || level < kAudioLevelSilent || level > kAudioLevelFull) return false;
  pelto5_web_audio_gain(FId, level <= kAudioLevelSilent ? 0.0 : AudioLevelGain(level));
  return true;
}

}  // namespace pelto5
