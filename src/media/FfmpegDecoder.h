// A sound file that FFmpeg decodes (WAV with any codec FFmpeg knows, MP3,
// WMA, Ogg Vorbis and Opus, FLAC, AIFF, tracker modules, …), converted to
// the decoders' common PCM format as it is read: only the frame being
// converted is in memory, so long music streams from the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"
#include "media/AudioDecoder.h"
#include "media/FfmpegInput.h"

struct AVFrame;
struct SwrContext;

namespace pelto5 {

class TFfmpegDecoder : public TAudioDecoder {
 public:
  TFfmpegDecoder();
  ~TFfmpegDecoder() override;
  TFfmpegDecoder(const TFfmpegDecoder&) = delete;
  TFfmpegDecoder& operator=(const TFfmpegDecoder&) = delete;

  // Opens path and decodes its first frame, so a file that opens has sound
  // to play. Fails with a short reason otherwise.
  TResult Open(const std::string& path);

  size_t Read(int16_t* out, size_t frames) override;
  [[nodiscard]] bool Rewind() override;
  // Decodes the whole file once on a second reader, counting frames at the
  // file's own rate; the result is kept.
  uint32_t LengthMs() override;

  // The FFmpeg decoder in use, for diagnostics.
  std::string CodecName() const { return FInput.CodecName(); }

 private:
  // Converts the next decoded frame (or the converter's last samples) into
  // FPending; false when nothing is left.
  [[nodiscard]] bool Refill();
  // (Re)makes the converter for the frame's format; false if impossible.
  [[nodiscard]] bool PrepareConverter(const AVFrame* frame);
  void FreeState();

  std::string FPath;
  TFfmpegInput FInput;
  AVFrame* FFrame = nullptr;
  SwrContext* FConverter = nullptr;
  int FConverterRate = 0;
  int FConverterFormat = -1;
  uint64_t FConverterLayout = 0;  // channel mask of the converter's input
  int FConverterChannels = 0;
  bool FFlushed = false;           // the converter's delayed samples were taken
  std::vector<int16_t> FPending;   // converted samples not yet read
  size_t FPendingAt = 0;
  bool FFirstFrameReady = false;   // FFrame holds the frame Open decoded
  int64_t FLengthMs = -1;          // -1 until measured
};

}  // namespace pelto5
