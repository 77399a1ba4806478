// Sound files for the decoding tests, made on the spot: a one-second 440 Hz
// tone in every format the player takes (encoded by the ffmpeg command-line
// tool), MIDI files written byte by byte, and measurements of decoded PCM.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/PlayerRun.h"

namespace pelto5::test {

struct TToneFile {
  std::string Name;     // file name in the set's directory
  int Channels;         // 1 or 2
  std::string Encoder;  // ffmpeg options that make it
};

// One second of a 440 Hz tone at three quarters of full scale, in each
// sampled format, mono or stereo, at various rates.
inline const std::vector<TToneFile>& ToneFiles() {
  static const std::vector<TToneFile> files = {
      {"pcm.wav", 1, "-ar 22050 -c:a pcm_s16le"},
      {"pcm8.wav", 1, "-ar 11025 -c:a pcm_u8"},
      {"msadpcm.wav", 1, "-ar 22050 -c:a adpcm_ms"},
      {"imaadpcm.wav", 2, "-ar 22050 -c:a adpcm_ima_wav"},
      {"ulaw.wav", 1, "-ar 8000 -c:a pcm_mulaw"},
      {"alaw.wav", 1, "-ar 8000 -c:a pcm_alaw"},
      {"mp3data.wav", 2, "-ar 44100 -c:a libmp3lame -b:a 128k -f wav"},
      {"tone.mp3", 1, "-ar 44100 -c:a libmp3lame -b:a 128k"},
      {"tone.wma", 2, "-ar 44100 -c:a wmav2 -b:a 128k"},
      {"tone.ogg", 2, "-ar 44100 -c:a libvorbis"},
      {"tone.opus", 2, "-ar 48000 -c:a libopus"},
      {"tone.flac", 2, "-ar 44100 -c:a flac"},
      {"tone.aiff", 2, "-ar 44100 -c:a pcm_s16be"},
      {"tone.voc", 1, "-ar 22050 -c:a pcm_u8"},
  };
  return files;
}

// Makes every tone file in dir; false (with the failing command in failed)
// if ffmpeg could not make one.
inline bool MakeToneFiles(const std::string& dir, std::string& failed) {
  for (const TToneFile& f : ToneFiles()) {
    const std::string tone = "0.75*sin(2*PI*440*t)";
    const std::string source = f.Channels == 2 ? tone + "|" + tone : tone;
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i 'aevalsrc=" + source +
                                ":s=44100:d=1' " + f.Encoder + " '" + dir + "/" + f.Name + "'";
    if (std::system(command.c_str()) != 0) {
      failed = command;
      return false;
    }
  }
  return true;
}

inline std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
          static_cast<char>(v & 0xFF)};
}

// A MIDI file of one track (format 0, 480 ticks per quarter) from its
// event bytes (delta times included); the end-of-track event is added.
inline std::string MidiFile(const std::string& events, uint16_t format = 0) {
  const std::string track = events + std::string("\x00\xFF\x2F\x00", 4);
  return "MThd" + Be32(6) + std::string{0, static_cast<char>(format), 0, 1, 0x01, static_cast<char>(0xE0)} + "MTrk" +
         Be32(static_cast<uint32_t>(track.size())) + track;
}

// One second of A4 on a piano: 480 ticks at 120 bpm, then 960 ticks at
// 240 bpm (a parser that ignores the tempo change gets 1500 ms).
inline std::string OneSecondMidi() {
  return MidiFile(std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7) +  // tempo 500000 µs per quarter
                  std::string("\x00\xC0\x00", 3) +                  // program 0
                  std::string("\x00\x90\x45\x64", 4) +              // note on A4
                  std::string("\x83\x60\xFF\x51\x03\x03\xD0\x90", 8) +  // +480: tempo 250000
                  std::string("\x87\x40\x80\x45\x00", 5));          // +960: note off
}

// The same MIDI data in a RIFF "RMID" file.
inline std::string RmidFile(const std::string& midi) {
  auto le32 = [](uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
  };
  std::string body = "RMID" + std::string("data") + le32(static_cast<uint32_t>(midi.size())) + midi;
  if (midi.size() & 1) body += '\0';
  return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

// A 16-bit mono PCM WAV of a full-scale 1 kHz tone at 44100 Hz.
inline std::string FullScaleToneWave(uint32_t ms) {
  auto le = [](uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  const uint32_t frames = ms * 44100 / 1000;
  std::string data;
  for (uint32_t i = 0; i < frames; ++i) {
    const double v = std::sin(2 * M_PI * 1000.0 * i / 44100.0) * 32767.0;
    data += le(static_cast<uint32_t>(static_cast<int16_t>(std::lround(v))), 2);
  }
  const std::string fmt = "fmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(44100, 4) + le(88200, 4) + le(2, 2) + le(16, 2);
  const std::string body = "WAVE" + fmt + "data" + le(static_cast<uint32_t>(data.size()), 4) + data;
  return "RIFF" + le(static_cast<uint32_t>(body.size()), 4) + body;
}

// The largest absolute sample.
inline int Peak(const std::vector<int16_t>& samples, size_t from = 0) {
  int peak = 0;
  for (size_t i = from; i < samples.size(); ++i) peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  return peak;
}

// The tone's frequency in Hz from the left channel of interleaved stereo
// samples at 44100 Hz: full periods counted between rising passes through
// a tenth of the peak (after a dip below minus that), so quantisation noise
// near zero does not count as extra periods.
inline double ToneFrequency(const std::vector<int16_t>& stereo) {
  int threshold = 0;
  for (size_t i = 0; i < stereo.size(); i += 2) threshold = std::max(threshold, std::abs(static_cast<int>(stereo[i])));
  threshold /= 10;
  int periods = -1;
  size_t first = 0, last = 0;
  bool low = false;
  for (size_t i = 0; i < stereo.size(); i += 2) {
    if (stereo[i] < -threshold) low = true;
    if (low && stereo[i] > threshold) {
      low = false;
      if (++periods == 0) first = i / 2;
      last = i / 2;
    }
  }
  if (periods < 1) return 0;
  return periods * 44100.0 / static_cast<double>(last - first);
}

}  // namespace pelto5::test
