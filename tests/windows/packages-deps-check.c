/* Exercises the sound libraries the Windows packages link: decodes every
 * audio file given on the command line with FFmpeg (the player's way: the
 * best audio stream, all its frames, converted to 16-bit stereo at 44.1 kHz
 * by libswresample) and prints one line per file with the demuxer, the
 * codec and the number of samples, then opens SDL2_mixer on SDL's dummy
 * audio driver and plays a raw PCM chunk on a channel. For PCM codecs the
 * line also gives a hash of the decoder's samples before any conversion:
 * those decoders only copy or convert sample words, so their output is the
 * same bits on every machine. Tracker modules are among them (FFmpeg's
 * libopenmpt demuxer hands on 32-bit float PCM, and libopenmpt mixes in
 * integers), so the hash shows that a module sounds the same.
 *
 * scripts/build-windows-deps --check compiles this twice, natively against
 * the host's FFmpeg and with mingw-w64 against build-windows/<arch>/deps, runs
 * the second under wine, and requires the FFmpeg lines of both to be equal.
 * Exit status 1 on any failure. Plain C, so the test binary (which takes
 * every .cpp file under tests/) leaves it alone. */

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>

#ifdef PELTO5_CHECK_SDL
#include <SDL.h>
#include <SDL_mixer.h>
#endif

/* 64-bit FNV-1a of size bytes, continuing from hash. */
static uint64_t fnv1a(uint64_t hash, const uint8_t *bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
  return hash;
}

/* Adds a decoded frame's samples, every plane, to hash. */
static uint64_t hash_frame(uint64_t hash, const AVFrame *frame) {
  const int planar = av_sample_fmt_is_planar(frame->format);
  const int planes = planar ? frame->ch_layout.nb_channels : 1;
  const size_t size = (size_t)frame->nb_samples * av_get_bytes_per_sample(frame->format) *
                      (planar ? 1 : frame->ch_layout.nb_channels);
  for (int p = 0; p < planes; ++p) hash = fnv1a(hash, frame->extended_data[p], size);
  return hash;
}

/* Decodes one file; prints its line and returns 0, or 1 when it fails. */
static int decode(const char *path) {
  const char *name = strrchr(path, '/');
  name = name ? name + 1 : path;
  AVFormatContext *format = NULL;
  if (avformat_open_input(&format, path, NULL, NULL) < 0) {
    printf("%s: cannot open\n", name);
    return 1;
  }
  int failed = 1;
  AVCodecContext *codec = NULL;
  SwrContext *swr = NULL;
  AVPacket *packet = av_packet_alloc();
  AVFrame *frame = av_frame_alloc();
  const AVCodec *decoder = NULL;
  long long samples = 0;
  uint64_t hash = 0xcbf29ce484222325ULL;
  uint8_t out[4 * 8192];
  if (avformat_find_stream_info(format, NULL) < 0) goto done;
  int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream < 0 || decoder == NULL) {
    printf("%s: no decoder (%s)\n", name, format->iformat->name);
    goto done;
  }
  codec = avcodec_alloc_context3(decoder);
  if (codec == NULL ||
      avcodec_parameters_to_context(codec, format->streams[stream]->codecpar) < 0 ||
      avcodec_open2(codec, decoder, NULL) < 0) {
    printf("%s: cannot open the %s decoder\n", name, decoder->name);
    goto done;
  }
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  AVChannelLayout in_layout;
  if (codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&in_layout, codec->ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&in_layout, &codec->ch_layout) < 0) {
    goto done;
  }
  int made = swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, 44100, &in_layout,
                                 codec->sample_fmt, codec->sample_rate, 0, NULL);
  av_channel_layout_uninit(&in_layout);
  if (made < 0 || swr_init(swr) < 0) goto done;
  int draining = 0;
  while (1) {
    int received = avcodec_receive_frame(codec, frame);
    if (received == 0) {
      hash = hash_frame(hash, frame);
      uint8_t *planes[1] = {out};
      int converted = swr_convert(swr, planes, 8192, (const uint8_t **)frame->extended_data,
                                  frame->nb_samples);
      av_frame_unref(frame);
      if (converted < 0) goto done;
      samples += converted;
      continue;
    }
    if (received == AVERROR_EOF) break;
    if (received != AVERROR(EAGAIN)) goto done;
    if (draining) break;
    if (av_read_frame(format, packet) < 0) {
      draining = 1;
      avcodec_send_packet(codec, NULL);
      continue;
    }
    if (packet->stream_index == stream) avcodec_send_packet(codec, packet);
    av_packet_unref(packet);
  }
  uint8_t *planes[1] = {out};
  int rest;
  while ((rest = swr_convert(swr, planes, 8192, NULL, 0)) > 0) samples += rest;
  printf("%s: %s %s %d Hz %d channels, %lld samples at 44.1 kHz", name, format->iformat->name,
         decoder->name, codec->sample_rate, codec->ch_layout.nb_channels, samples);
  if (decoder->id >= AV_CODEC_ID_PCM_S16LE && decoder->id < AV_CODEC_ID_ADPCM_IMA_QT) {
    printf(", PCM %016llx", (unsigned long long)hash);
  }
  printf("\n");
  failed = samples > 0 ? 0 : 1;
done:
  swr_free(&swr);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
  return failed;
}

#ifdef PELTO5_CHECK_SDL
/* Opens the mixer on the dummy driver and plays a short square wave. */
static int mix(void) {
  static int16_t wave[2 * 4410];
  for (int i = 0; i < 4410; ++i) wave[2 * i] = wave[2 * i + 1] = (i / 50) % 2 ? 8000 : -8000;
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_AUDIO) != 0) {
    printf("mixer: SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  int failed = 1;
  if (Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 1024, NULL, 0) != 0) {
    printf("mixer: Mix_OpenAudioDevice: %s\n", Mix_GetError());
  } else {
    Mix_AllocateChannels(8);
    Mix_Chunk *chunk = Mix_QuickLoad_RAW((Uint8 *)wave, sizeof wave);
    int channel = chunk ? Mix_PlayChannel(-1, chunk, 0) : -1;
    if (channel < 0) {
      printf("mixer: cannot play a chunk: %s\n", Mix_GetError());
    } else {
      SDL_Delay(50);
      Mix_HaltChannel(channel);
      failed = 0;
    }
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
  }
  SDL_Quit();
  return failed;
}
#endif

int main(int argc, char **argv) {
  av_log_set_level(AV_LOG_QUIET);
  int failures = 0;
  for (int i = 1; i < argc; ++i) failures += decode(argv[i]);
#ifdef PELTO5_CHECK_SDL
  if (mix() != 0) {
    ++failures;
  } else {
    fprintf(stderr, "mixer: played a chunk on SDL's dummy driver\n");
  }
#endif
  return failures > 0 ? 1 : 0;
}
