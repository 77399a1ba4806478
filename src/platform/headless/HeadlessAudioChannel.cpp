#include "platform/headless/HeadlessAudioChannel.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "platform/FileSystem.h"
#include "platform/SjisText.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {

namespace {

// Walking the chunk list of a file stops after this many chunks.
constexpr int kMaxWaveChunks = 256;
// Durations are kept well inside the signed range of tick differences.
constexpr uint64_t kMaxDurationMs = 0x7FFFFFFF;

uint32_t LittleEndian32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

bool SameTag(const char* p, const char* tag) { return std::equal(p, p + 4, tag); }

}  // namespace

THeadlessAudioChannel::THeadlessAudioChannel(TAudioKind kind, THeadlessPlatform& platform)
    : FKind(kind), FPlatform(platform) {}

uint32_t THeadlessAudioChannel::WaveDurationMs(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  if (end < 12) return 0;
  const uint64_t fileSize = static_cast<uint64_t>(end);
  in.seekg(0);
  std::array<char, 16> head{};
  if (!in.read(head.data(), 12) || !SameTag(head.data(), "RIFF") || !SameTag(head.data() + 8, "WAVE")) return 0;

  uint64_t position = 12;
  uint32_t byteRate = 0;
  uint64_t dataBytes = 0;
  bool haveData = false;
  for (int i = 0; i < kMaxWaveChunks && position + 8 <= fileSize; ++i) {
    in.seekg(static_cast<std::streamoff>(position));
    if (!in.read(head.data(), 8)) break;
    const uint32_t size = LittleEndian32(head.data() + 4);
    const uint64_t body = position + 8;
    if (SameTag(head.data(), "fmt ")) {
      if (size < 16 || !in.read(head.data(), 16)) return 0;
      byteRate = LittleEndian32(head.data() + 8);
    } else if (SameTag(head.data(), "data")) {
      // A streamed file may leave the size open or give too much.
      dataBytes = std::min<uint64_t>(size, fileSize - body);
      haveData = true;
    }
    if (byteRate != 0 && haveData) break;
    position = body + size + (size & 1u);
  }
  if (byteRate == 0 || !haveData) return 0;
  return static_cast<uint32_t>(std::min(dataBytes * 1000 / byteRate, kMaxDurationMs));
}

bool THeadlessAudioChannel::Open(const std::string& path) {
  Close();
  const std::string name = TFileSystem::FileNameOf(path);
  if (!TFileSystem::FileExists(path)) {
    Trace("missing " + name);
    return false;
  }
  FOpen = true;
  FName = name;
  FDuration = WaveDurationMs(path);
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

void THeadlessAudioChannel::Trace(const std::string& utf8Action) {
  if (!FPlatform.AudioTraceEnabled()) return;
  const char* kind = FKind == TAudioKind::Music ? "music" : "sound";
  FPlatform.TraceLine(sjis::FromUtf8("audio: " + std::to_string(FPlatform.GetTickCount()) + " " + kind + " " +
                                     utf8Action));
}

}  // namespace pelto5
