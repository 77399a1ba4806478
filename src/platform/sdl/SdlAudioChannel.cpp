#include "platform/sdl/SdlAudioChannel.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "base/SjisText.h"
#include "media/AudioFileOpener.h"
#include "media/AudioGain.h"
#include "media/AudioStream.h"

namespace pelto5 {

// The audio device shared by all channels: opened on the first Open of any
// channel, closed with the last channel. It hands out the reserved mixer
// channels and holds the silent chunk the channels loop.
class TSdlMixer {
 public:
  static std::shared_ptr<TSdlMixer> Acquire();
  ~TSdlMixer();

  // Opens the device once; a device that failed to open is not tried again
  // while this mixer lives.
  bool EnsureOpen();
  // A mixer channel kept out of SDL_mixer's own channel choice; -1 if none.
  int ReserveChannel();
  void ReleaseChannel(int channel);
  Mix_Chunk* Silence() const { return FSilence; }

 private:
  bool FTried = false;
  bool FOpen = false;
  std::vector<bool> FReserved;
  std::vector<int16_t> FSilenceSamples;
  Mix_Chunk* FSilence = nullptr;
};

namespace {

constexpr int kChunkSize = 2048;
constexpr int kSilenceFrames = 4096;

// The mixer while any channel holds it.
std::weak_ptr<TSdlMixer> gMixer;

// The effect on a channel's mixer channel: the stream's samples replace the
// looping silence.
void StreamEffect(int, void* buffer, int bytes, void* stream) {
  const size_t frames = static_cast<size_t>(bytes) / (sizeof(int16_t) * kPcmChannels);
  static_cast<TAudioStream*>(stream)->Fill(static_cast<int16_t*>(buffer), frames);
}

void QuitAudioSubsystem() {
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

}  // namespace

std::shared_ptr<TSdlMixer> TSdlMixer::Acquire() {
  std::shared_ptr<TSdlMixer> mixer = gMixer.lock();
  if (!mixer) {
    mixer = std::make_shared<TSdlMixer>();
    gMixer = mixer;
  }
  return mixer;
}

TSdlMixer::~TSdlMixer() {
  if (!FOpen) return;
  Mix_HaltChannel(-1);
  Mix_FreeChunk(FSilence);
  Mix_CloseAudio();
  QuitAudioSubsystem();
}

bool TSdlMixer::EnsureOpen() {
  if (FTried) return FOpen;
  FTried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  // The device takes the decoders' format as it is; SDL converts for the
  // hardware if it must.
  if (Mix_OpenAudioDevice(kPcmRate, AUDIO_S16SYS, kPcmChannels, kChunkSize, nullptr, 0) != 0) {
    QuitAudioSubsystem();
    return false;
  }
  FSilenceSamples.assign(static_cast<size_t>(kSilenceFrames) * kPcmChannels, 0);
  FSilence = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(FSilenceSamples.data()),
                               static_cast<Uint32>(FSilenceSamples.size() * sizeof(int16_t)));
  if (FSilence == nullptr) {
    Mix_CloseAudio();
    QuitAudioSubsystem();
    return false;
  }
  FOpen = true;
  return true;
}

int TSdlMixer::ReserveChannel() {
  if (!FOpen) return -1;
  auto freeSlot = std::find(FReserved.begin(), FReserved.end(), false);
  const int channel = static_cast<int>(freeSlot - FReserved.begin());
  if (freeSlot == FReserved.end()) FReserved.push_back(true);
  else *freeSlot = true;
  const int needed = static_cast<int>(FReserved.size());
  if (Mix_AllocateChannels(-1) < needed) Mix_AllocateChannels(needed);
  // Reserved channels are the lowest numbers.
  Mix_ReserveChannels(needed);
  return channel;
}

void TSdlMixer::ReleaseChannel(int channel) {
  if (channel < 0 || channel >= static_cast<int>(FReserved.size())) return;
  FReserved[channel] = false;
}

TSdlAudioChannel::TSdlAudioChannel(TAudioKind kind) : FKind(kind), FMixer(TSdlMixer::Acquire()) {}

TSdlAudioChannel::~TSdlAudioChannel() {
  Close();
  FMixer->ReleaseChannel(FMixerChannel);
}

bool TSdlAudioChannel::Open(const std::string& path) {
  Close();
  if (!FMixer->EnsureOpen()) {
    TraceFailure(path, "no audio device");
    return false;
  }
  if (FMixerChannel < 0) FMixerChannel = FMixer->ReserveChannel();
  if (FMixerChannel < 0) {
    TraceFailure(path, "no mixer channel");
    return false;
  }
  TAudioOpenResult opened = TAudioFileOpener::Open(path, TAudioUse::Play);
  if (!opened.Decoder) {
    TraceFailure(path, opened.Reason);
    return false;
  }
  FStream = std::make_unique<TAudioStream>(std::move(opened.Decoder));
  FStream->SetGain(AudioLevelGain(FLevel));
  return true;
}

void TSdlAudioChannel::Close() {
  FPlaying = false;
  if (!FStream) return;
  // Halting removes the effect, so the mixer no longer reads the stream.
  Mix_HaltChannel(FMixerChannel);
  FStream.reset();
}

void TSdlAudioChannel::Play() {
  if (!IsOpen() || FPlaying) return;
  FPlaying = true;
  Mix_HaltChannel(FMixerChannel);
  Mix_Volume(FMixerChannel, MIX_MAX_VOLUME);
  // A channel that fails to start counts as played to its end at once.
  if (Mix_RegisterEffect(FMixerChannel, StreamEffect, nullptr, FStream.get()) == 0 ||
      Mix_PlayChannel(FMixerChannel, FMixer->Silence(), -1) < 0) {
    Mix_HaltChannel(FMixerChannel);
    FStream->End();
  }
}

void TSdlAudioChannel::Stop() {
  if (!IsOpen()) return;
  FPlaying = false;
  Mix_HaltChannel(FMixerChannel);
  FStream->Rewind();
}

void TSdlAudioChannel::Rewind() {
  if (IsOpen() && FPlaying) FStream->Rewind();
}

bool TSdlAudioChannel::IsFinished() {
  if (!IsOpen()) return true;
  return FPlaying && FStream->Ended();
}

bool TSdlAudioChannel::SetVolume(int level) {
  if (!IsOpen() || level < kAudioLevelSilent || level > kAudioLevelFull) return false;
  FLevel = level;
  FStream->SetGain(AudioLevelGain(level));
  return true;
}

void TSdlAudioChannel::TraceFailure(const std::string& path, const std::string& reason) const {
  if (!Platform().TraceEnabled()) return;
  const char* kind = FKind == TAudioKind::Music ? "music" : "sound";
  Platform().TraceLine(sjis::FromUtf8("audio: " + std::to_string(Platform().GetTickCount()) + " " + kind +
                                      " cannot play " + TFileSystem::FileNameOf(path) + ": " + reason));
}

}  // namespace pelto5
