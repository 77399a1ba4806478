// Background music and sound effects: one music track and one sound at a
// time, each on its own playback channel. Serves "@Music", "@Sound" and
// "@MusicStop", the system command's audio switches and volumes, the save
// files (the music state) and the main loop, which lets it replay looping
// music once per step.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/MediaChannel.h"
#include "base/KeyValueList.h"

namespace pelto5 {

class TMusicCtrl {
 public:
  TMusicCtrl();
  ~TMusicCtrl();
  TMusicCtrl(const TMusicCtrl&) = delete;
  TMusicCtrl& operator=(const TMusicCtrl&) = delete;

  // Plays fileName (a full native path) loopCount times in all, 0 = without
  // end. With music switched off nothing is opened, but the track is
  // remembered as playing. False if the file could not be opened (the track
  // is remembered all the same). scriptName is the name the script gave
  // (Shift-JIS), which saves store; without it they store fileName.
  bool PlayMusic(const std::string& fileName, int32_t loopCount, const std::string& scriptName = "");
  // Replays a finished track while loops remain, or stops it after the last.
  void PollMusic();
  void StopMusic();
  // Plays a sound effect. soundMode 0 waits here until it has finished;
  // 1 makes the next PlaySound wait for it; 2 lets the next one cut it off.
  void PlaySound(const std::string& fileName, int32_t soundMode);
  void StopSound();
  void SetMusicEnabled(bool on);
  // Store the volume (also when out of range) and apply it; false if it
  // could not be applied.
  bool SetMusicVolume(int32_t v);
  bool SetSoundVolume(int32_t v);
  int32_t GetMusicVolume() const { return FMusicVolume; }
  int32_t GetSoundVolume() const { return FSoundVolume; }
  // The music state as key=value lines of a save file, and back. resolve
  // turns the stored name into a native path ("" when there is none);
  // without it the stored name is taken as the path.
  using TResolver = std::function<std::string(const std::string&)>;
  void SaveInfo(TStringList& list) const;
  void LoadInfo(const TStringList& list, const TResolver& resolve = nullptr);

  const std::string& MusicFileName() const { return FMusicFileName; }
  const std::string& MusicName() const { return FMusicName; }
  [[nodiscard]] bool MusicPlaying() const { return FMusicPlaying; }
  int32_t MusicLoop() const { return FMusicLoop; }
  [[nodiscard]] bool SoundPlaying() const { return FSoundPlaying; }
  int32_t SoundMode() const { return FSoundMode; }
  [[nodiscard]] bool UseMusic() const { return FUseMusic; }

  // Sound switched on; the system command and the settings loader set it
  // directly. Switching it off does not cut off a sound that is playing.
  bool FUseSound = true;

 private:
  // Serves input and painting until the sound channel has finished (or the
  // application is terminating); the script does not advance meanwhile.
  void WaitForSound();

  std::unique_ptr<TMediaChannel> FMusicChannel;
  std::unique_ptr<TMediaChannel> FSoundChannel;
  std::string FMusicFileName;
  std::string FMusicName;  // as the script gave it
  bool FMusicPlaying = false;
  int32_t FMusicLoop = 0;
  bool FSoundPlaying = false;
  int32_t FSoundMode = 2;
  int32_t FMusicVolume = 100;
  int32_t FSoundVolume = 100;
  bool FUseMusic = true;
};

}  // namespace pelto5
