// One audio stream of a file read through FFmpeg's demuxers and decoders,
// frame by frame in the codec's own sample format and rate. Only local
// files and audio container formats are accepted: playlists, image
// sequences and network protocols that could make FFmpeg read other files
// are refused.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace pelto5 {

class TFfmpegInput {
 public:
  TFfmpegInput() = default;
  ~TFfmpegInput();
  TFfmpegInput(const TFfmpegInput&) = delete;
  TFfmpegInput& operator=(const TFfmpegInput&) = delete;

  // Opens path (a native path) and its best audio stream's decoder. Fails
  // with a short reason when the file is not an audio file FFmpeg decodes.
  TResult Open(const std::string& path);
  void Close();
  [[nodiscard]] bool IsOpen() const { return FCodec != nullptr; }

  // Decodes the next frame with samples into frame. False at the end of the
  // stream, and when the stream cannot be decoded any further (a long run of
  // damaged packets or a failing decoder).
  [[nodiscard]] bool NextFrame(AVFrame* frame);

  // The decoder's name, for diagnostics ("" while closed).
  std::string CodecName() const;

 private:
  // Sends the next packet of the stream to the decoder, or the end of the
  // stream once the file has no more; false when nothing is left to send.
  [[nodiscard]] bool Feed();

  AVFormatContext* FFormat = nullptr;
  AVCodecContext* FCodec = nullptr;
  AVPacket* FPacket = nullptr;
  int FStream = -1;
  bool FDraining = false;
  bool FFailed = false;
  int FBadPackets = 0;  // damaged packets since the last decoded frame
};

}  // namespace pelto5
