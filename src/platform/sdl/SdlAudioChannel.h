// The SDL backend's playback channel on SDL2_mixer. Music plays on the
// mixer's one music stream, sound effects on a mixer channel reserved for
// the channel object. The audio device is opened when the first channel
// opens a file and closed when the last channel is destroyed; when no
// device can be opened, every Open fails as it would for a file that cannot
// be played.
#pragma once

#include <memory>
#include <string>

#include "platform/AudioChannel.h"

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace pelto5 {

class TSdlMixer;

// SDL_mixer's volume (0..128) for a level in hundredths of a decibel:
// the level as a linear amplitude, scaled and rounded.
int SdlMixerVolume(int level);

class TSdlAudioChannel : public TAudioChannel {
 public:
  explicit TSdlAudioChannel(TAudioKind kind);
  ~TSdlAudioChannel() override;
  TSdlAudioChannel(const TSdlAudioChannel&) = delete;
  TSdlAudioChannel& operator=(const TSdlAudioChannel&) = delete;

  bool Open(const std::string& path) override;
  void Close() override;
  bool IsOpen() const override { return FMusic != nullptr || FChunk != nullptr; }
  void Play() override;
  void Stop() override;
  void Rewind() override;
  bool IsFinished() override;
  bool SetVolume(int level) override;

 private:
  // Starts the opened file from its beginning.
  void Start();
  // True while SDL_mixer still outputs this channel's file.
  bool Sounding() const;
  bool OwnsMusicStream() const;

  TAudioKind FKind;
  std::shared_ptr<TSdlMixer> FMixer;
  Mix_Music* FMusic = nullptr;
  Mix_Chunk* FChunk = nullptr;
  int FMixerChannel = -1;  // the reserved chunk channel (sound only)
  bool FPlaying = false;   // Play was called and neither Stop nor Close since
  int FVolume = 128;       // SDL_mixer volume
};

}  // namespace pelto5
