#include "platform/headless/HeadlessAudioChannel.h"

#include "platform/FileSystem.h"
#include "base/SjisText.h"
#include "media/AudioFileOpener.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {

THeadlessAudioChannel::THeadlessAudioChannel(TAudioKind kind, THeadlessPlatform& platform)
    : FKind(kind), FPlatform(platform) {}

bool THeadlessAudioChannel::Open(const std::string& path) {
  Close();
  const std::string name = TFileSystem::FileNameOf(path);
  const TAudioOpenResult opened = TAudioFileOpener::Open(path, TAudioUse::Check);
  if (!opened.Decoder) {
    Trace("missing " + name);
    if (FPlatform.TraceEnabled()) {
      FPlatform.TraceLine(sjis::FromUtf8("audio: " + std::to_string(FPlatform.GetTickCount()) + " " + KindName() +
                                         " cannot play " + name + ": " + opened.Reason));
    }
    return false;
  }
  FOpen = true;
  FName = name;
  FDuration = opened.Decoder->LengthMs();
  Trace("open " + FName + " " + std::to_string(FDuration) + "ms");
  return true;
}

void THeadlessAudioChannel::Close() {
  FOpen = false;
  FPlaying = false;
  FName.clear();
  FDuration = 0;
}

void THeadlessAudioChannel::Play() {
  if (!FOpen || FPlaying) return;
  FPlaying = true;
  FStart = FPlatform.GetTickCount();
  Trace("play");
}

void THeadlessAudioChannel::Stop() {
  if (!FOpen) return;
  FPlaying = false;
  Trace("stop");
}

void THeadlessAudioChannel::Rewind() {
  // A stopped channel is at the start already.
  if (!FOpen || !FPlaying) return;
  FStart = FPlatform.GetTickCount();
  Trace("rewind");
}

bool THeadlessAudioChannel::IsFinished() {
  if (!FOpen) return true;
  return FPlaying && FPlatform.GetTickCount() - FStart >= FDuration;
}

bool THeadlessAudioChannel::SetVolume(int level) {
  if (!FOpen || level < kAudioLevelSilent || level > kAudioLevelFull) return false;
  FLevel = level;
  Trace("volume " + std::to_string(level));
  return true;
}

const char* THeadlessAudioChannel::KindName() const { return FKind == TAudioKind::Music ? "music" : "sound"; }

void THeadlessAudioChannel::Trace(const std::string& utf8Action) {
  if (!FPlatform.AudioTraceEnabled()) return;
  FPlatform.AudioTraceLine(
      sjis::FromUtf8("audio: " + std::to_string(FPlatform.GetTickCount()) + " " + KindName() + " " + utf8Action));
}

}  // namespace pelto5
