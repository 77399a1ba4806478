#include "audio/MediaChannel.h"

#include "platform/Platform.h"

namespace pelto5 {

TMediaChannel::TMediaChannel(TAudioKind kind) : FChannel(Platform().CreateAudioChannel(kind)) {}

TMediaChannel::~TMediaChannel() { Release(); }

bool TMediaChannel::Open(const std::string& fileName) {
  Release();
  return FChannel && FChannel->Open(fileName);
}

void TMediaChannel::Release() {
  if (FChannel) FChannel->Close();
}

void TMediaChannel::Play() {
  if (FChannel) FChannel->Play();
}

void TMediaChannel::Stop() {
  if (!FChannel) return;
  FChannel->Stop();
  Seek(0);
}

bool TMediaChannel::Seek(int seconds) {
  if (!FChannel || seconds != 0) return false;
  FChannel->Rewind();
  return true;
}

bool TMediaChannel::IsFinished() { return !FChannel || FChannel->IsFinished(); }

int TMediaChannel::VolumeToLevel(int v) { return v * 100 - 10000; }

bool TMediaChannel::SetVolume(int v) {
  // Checked before the conversion, which would overflow for huge values.
  if (!FChannel || v < 0 || v > 100) return false;
  return FChannel->SetVolume(VolumeToLevel(v));
}

}  // namespace pelto5
