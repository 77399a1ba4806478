#include "audio/MusicCtrl.h"

#include "platform/Platform.h"

namespace pelto5 {

namespace {

// Sound modes: what the current sound means for the next PlaySound.
constexpr int32_t kSoundWait = 0;
constexpr int32_t kSoundProtect = 1;
constexpr int32_t kSoundCut = 2;
// The wait for a sound looks at the channel this often.
constexpr uint32_t kSoundPollMs = 100;

}  // namespace

TMusicCtrl::TMusicCtrl()
    : FMusicChannel(std::make_unique<TMediaChannel>(TAudioKind::Music)),
      FSoundChannel(std::make_unique<TMediaChannel>(TAudioKind::Sound)) {}

TMusicCtrl::~TMusicCtrl() = default;

bool TMusicCtrl::PlayMusic(const std::string& fileName, int32_t loopCount, const std::string& scriptName) {
  bool result = true;
  if (FUseMusic) {
    StopMusic();
    result = FMusicChannel->Open(fileName);
    if (result) {
      FMusicChannel->SetVolume(FMusicVolume);
      FMusicChannel->Play();
    }
  }
  FMusicFileName = fileName;
  FMusicName = scriptName;
  FMusicPlaying = true;
  FMusicLoop = loopCount;
  return result;
}

void TMusicCtrl::PollMusic() {
  // While music is switched off the channel holds nothing to finish; the
  // remembered loop count must last until music is switched on again.
  if (!FUseMusic || !FMusicPlaying || !FMusicChannel->IsFinished()) return;
  if (FMusicLoop > 0) {
    --FMusicLoop;
    if (FMusicLoop == 0) {
      StopMusic();
      return;
    }
  }
  FMusicChannel->Seek(0);
  FMusicChannel->Play();
}

void TMusicCtrl::StopMusic() {
  if (!FUseMusic || !FMusicPlaying) return;
  FMusicChannel->Stop();
  FMusicPlaying = false;
  FMusicLoop = 0;
}

void TMusicCtrl::PlaySound(const std::string& fileName, int32_t soundMode) {
  if (!FUseSound) return;
  if (FSoundMode == kSoundProtect && FSoundPlaying) WaitForSound();
  StopSound();
  if (!FSoundChannel->Open(fileName)) return;
  FSoundChannel->SetVolume(FSoundVolume);
  FSoundChannel->Play();
  FSoundPlaying = true;
  FSoundMode = soundMode;
  if (soundMode == kSoundWait) {
    WaitForSound();
    StopSound();
  }
}

void TMusicCtrl::StopSound() {
  if (!FUseSound || !FSoundPlaying) return;
  FSoundChannel->Stop();
  FSoundPlaying = false;
  FSoundMode = kSoundCut;
}

void TMusicCtrl::WaitForSound() {
  TPlatform& platform = Platform();
  while (!FSoundChannel->IsFinished() && !platform.Terminated()) {
    platform.ProcessMessages();
    if (platform.Terminated()) break;
    platform.WaitUntil(platform.GetTickCount() + kSoundPollMs);
  }
}

void TMusicCtrl::SetMusicEnabled(bool on) {
  if (on == FUseMusic) return;
  if (FMusicPlaying) {
    if (on && !FMusicFileName.empty()) {
      // The remembered track starts again from its beginning.
      // A track that no longer opens stays silent; Play does nothing then.
      (void)FMusicChannel->Open(FMusicFileName);
      FMusicChannel->SetVolume(FMusicVolume);
      FMusicChannel->Play();
    } else if (!on) {
      FMusicChannel->Stop();
    }
  }
  FUseMusic = on;
}

bool TMusicCtrl::SetMusicVolume(int32_t v) {
  FMusicVolume = v;
  return FMusicChannel->SetVolume(v);
}

bool TMusicCtrl::SetSoundVolume(int32_t v) {
  FSoundVolume = v;
  return FSoundChannel->SetVolume(v);
}

void TMusicCtrl::SaveInfo(TStringList& list) const {
  // The name as the script gave it: the path on this machine means nothing
  // to another one, nor to a moved content folder.
  ListWriteString(list, "Music.FileName", FMusicName.empty() ? FMusicFileName : FMusicName);
  ListWriteBool(list, "Music.Playing", FMusicPlaying);
  ListWriteInteger(list, "Music.Loop", FMusicLoop);
  ListWriteInteger(list, "Music.Volume", FMusicVolume);
  ListWriteInteger(list, "Sound.Volume", FSoundVolume);
}

void TMusicCtrl::LoadInfo(const TStringList& list, const TResolver& resolve) {
  StopMusic();
  StopSound();
  const std::string fileName = ListReadString(list, "Music.FileName", "");
  const bool playing = ListReadBool(list, "Music.Playing", false);
  const int32_t loop = ListReadInteger(list, "Music.Loop", 0);
  SetMusicVolume(ListReadInteger(list, "Music.Volume", 100));
  SetSoundVolume(ListReadInteger(list, "Sound.Volume", 100));
  const std::string path = !resolve || fileName.empty() ? fileName : resolve(fileName);
  if (!path.empty() && playing) {
    PlayMusic(path, loop, resolve ? fileName : std::string());
  } else {
    StopMusic();
  }
}

}  // namespace pelto5
