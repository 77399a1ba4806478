#include "media/FfmpegDecoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

namespace pelto5 {

namespace {

// The channel layout of a frame, with a default order for streams that
// give only a channel count.
AVChannelLayout InputLayout(const AVFrame* frame) {
  AVChannelLayout layout{};
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&frame->ch_layout) == 0) {
    av_channel_layout_default(&layout, std::max(frame->ch_layout.nb_channels, 1));
  } else {
    av_channel_layout_copy(&layout, &frame->ch_layout);
  }
  return layout;
}

uint64_t LayoutMask(const AVChannelLayout& layout) {
  return layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
}

}  // namespace

TFfmpegDecoder::TFfmpegDecoder() : FFrame(av_frame_alloc()) {}

TFfmpegDecoder::~TFfmpegDecoder() {
  FreeState();
  av_frame_free(&FFrame);
}

void TFfmpegDecoder::FreeState() {
  swr_free(&FConverter);
  FConverterRate = 0;
  FConverterFormat = -1;
  FConverterLayout = 0;
  FConverterChannels = 0;
  FFlushed = false;
  FPending.clear();
  FPendingAt = 0;
  FFirstFrameReady = false;
  if (FFrame) av_frame_unref(FFrame);
}

TResult TFfmpegDecoder::Open(const std::string& path) {
  FreeState();
  FPath = path;
  FLengthMs = -1;
  if (FFrame == nullptr) return TResult::Fail("out of memory");
  TResult opened = FInput.Open(path);
  if (!opened) return opened;
  if (!FInput.NextFrame(FFrame)) {
    TResult failed = TResult::Fail("no sound decodes (" + FInput.CodecName() + ")");
    FInput.Close();
    return failed;
  }
  if (!PrepareConverter(FFrame)) {
    TResult failed = TResult::Fail("cannot convert the " + FInput.CodecName() + " samples");
    FInput.Close();
    return failed;
  }
  FFirstFrameReady = true;
  return TResult::Ok();
}

bool TFfmpegDecoder::PrepareConverter(const AVFrame* frame) {
  AVChannelLayout in = InputLayout(frame);
  const uint64_t mask = LayoutMask(in);
  if (FConverter && frame->sample_rate == FConverterRate && frame->format == FConverterFormat &&
      in.nb_channels == FConverterChannels && mask == FConverterLayout) {
    av_channel_layout_uninit(&in);
    return true;
  }
  swr_free(&FConverter);
  AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
  const int made = swr_alloc_set_opts2(&FConverter, &out, AV_SAMPLE_FMT_S16, kPcmRate, &in,
                                       static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&in);
  if (made < 0 || FConverter == nullptr || frame->sample_rate <= 0) {
    swr_free(&FConverter);
    return false;
  }
  // A mono sound plays at full level on both sides, not 3 dB down as the
  // converter's default would have it.
  if (frame->ch_layout.nb_channels == 1) {
    const double both[2] = {1.0, 1.0};
    swr_set_matrix(FConverter, both, 1);
  }
  if (swr_init(FConverter) < 0) {
    swr_free(&FConverter);
    return false;
  }
  FConverterRate = frame->sample_rate;
  FConverterFormat = frame->format;
  FConverterChannels = frame->ch_layout.nb_channels;
  FConverterLayout = mask;
  return true;
}

bool TFfmpegDecoder::Refill() {
  FPending.clear();
  FPendingAt = 0;
  while (!FFlushed) {
    const bool haveFrame = FFirstFrameReady || FInput.NextFrame(FFrame);
    FFirstFrameReady = false;
    if (haveFrame) {
      if (!PrepareConverter(FFrame)) {
        av_frame_unref(FFrame);
        FFlushed = true;
        return false;
      }
      const int room = swr_get_out_samples(FConverter, FFrame->nb_samples);
      FPending.resize(static_cast<size_t>(std::max(room, 0)) * kPcmChannels);
      uint8_t* out = reinterpret_cast<uint8_t*>(FPending.data());
      const int made = swr_convert(FConverter, &out, room, const_cast<const uint8_t**>(FFrame->extended_data),
                                   FFrame->nb_samples);
      av_frame_unref(FFrame);
      FPending.resize(static_cast<size_t>(std::max(made, 0)) * kPcmChannels);
      if (!FPending.empty()) return true;
      continue;
    }
    // The end of the stream: take what the converter still holds.
    FFlushed = true;
    if (FConverter == nullptr) return false;
    const int room = swr_get_out_samples(FConverter, 0);
    if (room <= 0) return false;
    FPending.resize(static_cast<size_t>(room) * kPcmChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(FPending.data());
    const int made = swr_convert(FConverter, &out, room, nullptr, 0);
    FPending.resize(static_cast<size_t>(std::max(made, 0)) * kPcmChannels);
    return !FPending.empty();
  }
  return false;
}

size_t TFfmpegDecoder::Read(int16_t* out, size_t frames) {
  size_t written = 0;
  while (written < frames) {
    if (FPendingAt >= FPending.size() && !Refill()) break;
    const size_t available = (FPending.size() - FPendingAt) / kPcmChannels;
    const size_t n = std::min(available, frames - written);
    std::memcpy(out + written * kPcmChannels, FPending.data() + FPendingAt, n * kPcmChannels * sizeof(int16_t));
    FPendingAt += n * kPcmChannels;
    written += n;
  }
  return written;
}

bool TFfmpegDecoder::Rewind() {
  FreeState();
  if (!FInput.Open(FPath)) {
    FFlushed = true;
    return false;
  }
  return true;
}

uint32_t TFfmpegDecoder::LengthMs() {
  if (FLengthMs >= 0) return static_cast<uint32_t>(FLengthMs);
  TFfmpegInput counter;
  AVFrame* frame = av_frame_alloc();
  // Microseconds of the samples at earlier rates, and the samples at the
  // current one: exact for a stream that keeps one rate.
  uint64_t doneUs = 0;
  uint64_t samples = 0;
  int rate = 0;
  if (frame && counter.Open(FPath)) {
    while (counter.NextFrame(frame)) {
      if (frame->sample_rate > 0 && frame->sample_rate != rate) {
        if (rate > 0) doneUs += samples * 1000000 / static_cast<uint64_t>(rate);
        rate = frame->sample_rate;
        samples = 0;
      }
      samples += static_cast<uint64_t>(frame->nb_samples);
      av_frame_unref(frame);
    }
  }
  av_frame_free(&frame);
  if (rate > 0) doneUs += samples * 1000000 / static_cast<uint64_t>(rate);
  FLengthMs = static_cast<int64_t>(std::min<uint64_t>(doneUs / 1000, 0x7FFFFFFF));
  return static_cast<uint32_t>(FLengthMs);
}

}  // namespace pelto5
