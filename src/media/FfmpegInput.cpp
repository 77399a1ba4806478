#include "media/FfmpegInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

#include <mutex>

namespace pelto5 {

namespace {

// Container formats that hold sound. Anything else FFmpeg might recognise
// (playlists and concatenation lists that open further files, images,
// video) is not an audio file for the player.
constexpr const char* kAudioFormats =
    "wav,w64,rf64,mp3,asf,ogg,flac,aiff,voc,au,caf,libopenmpt,mov,aac,matroska,wv,ape,mpc,mpc8,tta,"
    "ac3,amr,gsm,tak,loas";

// A stream whose packets keep failing this many times in a row without a
// decoded frame counts as undecodable from there on.
constexpr int kMaxBadPackets = 64;

// Decoder diagnostics would go to standard error for every damaged frame.
void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

TFfmpegInput::~TFfmpegInput() { Close(); }

void TFfmpegInput::Close() {
  av_packet_free(&FPacket);
  avcodec_free_context(&FCodec);
  avformat_close_input(&FFormat);
  FStream = -1;
  FDraining = false;
  FFailed = false;
  FBadPackets = 0;
}

TResult TFfmpegInput::Open(const std::string& path) {
  Close();
  QuietLibraries();
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "format_whitelist", kAudioFormats, 0);
  // The "file:" prefix keeps a colon in the name from reading as a protocol.
  const int opened = avformat_open_input(&FFormat, ("file:" + path).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {
    FFormat = nullptr;
    return TResult::Fail("not a known audio format");
  }
  if (avformat_find_stream_info(FFormat, nullptr) < 0) {
    TResult failed = TResult::Fail("damaged " + std::string(FFormat->iformat->name) + " file");
    Close();
    return failed;
  }
  const AVCodec* decoder = nullptr;
  FStream = av_find_best_stream(FFormat, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (FStream == AVERROR_DECODER_NOT_FOUND) {
    const int best = av_find_best_stream(FFormat, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVCodecID id = best >= 0 ? FFormat->streams[best]->codecpar->codec_id : AV_CODEC_ID_NONE;
    TResult failed = TResult::Fail("no decoder for " + std::string(avcodec_get_name(id)) + " audio");
    Close();
    return failed;
  }
  if (FStream < 0 || decoder == nullptr) {
    TResult failed = TResult::Fail("no audio stream in the " + std::string(FFormat->iformat->name) + " file");
    Close();
    return failed;
  }
  FCodec = avcodec_alloc_context3(decoder);
  FPacket = av_packet_alloc();
  if (FCodec == nullptr || FPacket == nullptr ||
      avcodec_parameters_to_context(FCodec, FFormat->streams[FStream]->codecpar) < 0 ||
      avcodec_open2(FCodec, decoder, nullptr) < 0) {
    TResult failed = TResult::Fail("cannot start the " + std::string(decoder->name) + " decoder");
    Close();
    return failed;
  }
  // Only the chosen stream is read.
  for (unsigned i = 0; i < FFormat->nb_streams; ++i) {
    if (static_cast<int>(i) != FStream) FFormat->streams[i]->discard = AVDISCARD_ALL;
  }
  return TResult::Ok();
}

bool TFfmpegInput::Feed() {
  if (FDraining) return false;
  while (true) {
    if (av_read_frame(FFormat, FPacket) < 0) {
      FDraining = true;
      avcodec_send_packet(FCodec, nullptr);
      return true;
    }
    if (FPacket->stream_index != FStream) {
      av_packet_unref(FPacket);
      continue;
    }
    const int sent = avcodec_send_packet(FCodec, FPacket);
    av_packet_unref(FPacket);
    if (sent >= 0) return true;
    if (++FBadPackets >= kMaxBadPackets) return false;
  }
}

bool TFfmpegInput::NextFrame(AVFrame* frame) {
  if (FCodec == nullptr || FFailed) return false;
  while (true) {
    const int received = avcodec_receive_frame(FCodec, frame);
    if (received == 0) {
      if (frame->nb_samples <= 0) {
        av_frame_unref(frame);
        continue;
      }
      FBadPackets = 0;
      return true;
    }
    if (received == AVERROR_EOF) return false;
    if (received != AVERROR(EAGAIN)) {
      // A damaged frame: the decoder goes on with the next packet.
      if (++FBadPackets >= kMaxBadPackets) {
        FFailed = true;
        return false;
      }
    }
    if (!Feed()) {
      FFailed = FFailed || !FDraining;
      return false;
    }
  }
}

std::string TFfmpegInput::CodecName() const { return FCodec ? FCodec->codec->name : ""; }

}  // namespace pelto5
