// One playback channel of the platform's audio: a file opened by path,
// played, stopped and rewound, polled for completion, at a volume given in
// hundredths of a decibel. The engine asks the platform for one channel per
// use (TPlatform::CreateAudioChannel) and never sees how a backend decodes
// or outputs the sound.
#pragma once

#include <string>

namespace pelto5 {

// What a channel carries. A backend may give the two kinds different
// outputs (the SDL backend plays music on its music stream and sound
// effects on a reserved chunk channel).
enum class TAudioKind { Music, Sound };

// The channel level range in hundredths of a decibel: 0 is full level,
// -10000 is silence.
constexpr int kAudioLevelSilent = -10000;
constexpr int kAudioLevelFull = 0;

class TAudioChannel {
 public:
  virtual ~TAudioChannel() = default;

  // Opens the file at path (a native path), closing what was open first.
  // False if the file is missing or cannot be decoded, or there is no
  // audio output; the channel is then closed.
  [[nodiscard]] virtual bool Open(const std::string& path) = 0;
  // Stops playback and releases the file.
  virtual void Close() = 0;
  [[nodiscard]] virtual bool IsOpen() const = 0;
  // Starts (or goes on with) playback from the current position; nothing
  // while the channel is closed or already playing.
  virtual void Play() = 0;
  // Stops playback and moves back to the start.
  virtual void Stop() = 0;
  // Moves back to the start; a channel that is playing goes on playing
  // from there, even when it had reached the end.
  virtual void Rewind() = 0;
  // True if the channel is closed or has played to the end since Play;
  // false while it plays and while it is stopped.
  [[nodiscard]] virtual bool IsFinished() = 0;
  // Sets the level in hundredths of a decibel (kAudioLevelSilent ..
  // kAudioLevelFull). False, level unchanged, if the channel is closed or
  // the level is out of range.
  [[nodiscard]] virtual bool SetVolume(int level) = 0;
};

}  // namespace pelto5
