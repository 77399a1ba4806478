#include "platform/sdl/SdlAudioChannel.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelto5 {

// The audio device shared by all channels: opened on the first Open of any
// channel, closed with the last channel. It also hands out the reserved
// mixer channels of sound channels and remembers which channel's file the
// one music stream plays.
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

  const TSdlAudioChannel* MusicOwner = nullptr;

 private:
  bool FTried = false;
  bool FOpen = false;
  std::vector<bool> FReserved;
};

namespace {

constexpr int kSampleRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkSize = 2048;

// The mixer while any channel holds it.
std::weak_ptr<TSdlMixer> gMixer;

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
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

bool TSdlMixer::EnsureOpen() {
  if (FTried) return FOpen;
  FTried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  // Decoders that are not installed are simply not available.
  Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC | MIX_INIT_MID | MIX_INIT_MOD | MIX_INIT_OPUS);
  if (Mix_OpenAudio(kSampleRate, MIX_DEFAULT_FORMAT, kOutputChannels, kChunkSize) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
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

int SdlMixerVolume(int level) {
  const int clamped = std::clamp(level, kAudioLevelSilent, kAudioLevelFull);
  // Hundredths of a decibel: amplitude = 10^(dB / 20).
  const double amplitude = std::pow(10.0, clamped / 2000.0);
  return static_cast<int>(std::lround(amplitude * MIX_MAX_VOLUME));
}

TSdlAudioChannel::TSdlAudioChannel(TAudioKind kind) : FKind(kind), FMixer(TSdlMixer::Acquire()) {}

TSdlAudioChannel::~TSdlAudioChannel() {
  Close();
  FMixer->ReleaseChannel(FMixerChannel);
}

bool TSdlAudioChannel::Open(const std::string& path) {
  Close();
  if (!FMixer->EnsureOpen()) return false;
  if (FKind == TAudioKind::Music) {
    FMusic = Mix_LoadMUS(path.c_str());
    return FMusic != nullptr;
  }
  if (FMixerChannel < 0) FMixerChannel = FMixer->ReserveChannel();
  if (FMixerChannel < 0) return false;
  FChunk = Mix_LoadWAV(path.c_str());
  return FChunk != nullptr;
}

void TSdlAudioChannel::Close() {
  FPlaying = false;
  if (FMusic) {
    if (OwnsMusicStream()) {
      Mix_HaltMusic();
      FMixer->MusicOwner = nullptr;
    }
    Mix_FreeMusic(FMusic);
    FMusic = nullptr;
  }
  if (FChunk) {
    Mix_HaltChannel(FMixerChannel);
    Mix_FreeChunk(FChunk);
    FChunk = nullptr;
  }
}

void TSdlAudioChannel::Play() {
  if (!IsOpen() || FPlaying) return;
  FPlaying = true;
  Start();
}

void TSdlAudioChannel::Start() {
  // A file that fails to start counts as played to its end at once.
  if (FMusic) {
    FMixer->MusicOwner = this;
    Mix_VolumeMusic(FVolume);
    Mix_PlayMusic(FMusic, 1);
  } else if (FChunk) {
    Mix_Volume(FMixerChannel, FVolume);
    Mix_PlayChannel(FMixerChannel, FChunk, 0);
  }
}

void TSdlAudioChannel::Stop() {
  if (!IsOpen()) return;
  FPlaying = false;
  if (FMusic && OwnsMusicStream()) Mix_HaltMusic();
  if (FChunk) Mix_HaltChannel(FMixerChannel);
}

void TSdlAudioChannel::Rewind() {
  if (IsOpen() && FPlaying) Start();
}

bool TSdlAudioChannel::IsFinished() {
  if (!IsOpen()) return true;
  return FPlaying && !Sounding();
}

bool TSdlAudioChannel::SetVolume(int level) {
  if (!IsOpen() || level < kAudioLevelSilent || level > kAudioLevelFull) return false;
  FVolume = SdlMixerVolume(level);
  if (FMusic && OwnsMusicStream()) Mix_VolumeMusic(FVolume);
  if (FChunk) Mix_Volume(FMixerChannel, FVolume);
  return true;
}

bool TSdlAudioChannel::Sounding() const {
  if (FMusic) return OwnsMusicStream() && Mix_PlayingMusic() != 0;
  return FChunk && Mix_Playing(FMixerChannel) != 0 && Mix_GetChunk(FMixerChannel) == FChunk;
}

bool TSdlAudioChannel::OwnsMusicStream() const { return FMixer->MusicOwner == this; }

}  // namespace pelto5
