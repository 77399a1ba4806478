// Sound files for the decoding tests: a one-second 440 Hz tone in every
// format the player takes (encoded at build time by the ffmpeg command-line
// tool), MIDI files written byte by byte, and measurements of decoded PCM.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/PlayerRun.h"

namespace pelto5::test {

struct TToneFile {
  std::string Name;  // file name in the set's directory
  int Channels;      // 1 or 2
};

// The sound files of one set of tests/audio/sounds.txt ("tone": one second
// of a 440 Hz tone at three quarters of full scale, in each sampled format,
// mono or stereo, at various rates).
inline std::vector<TToneFile> SoundFilesOf(const std::string& set) {
  std::vector<TToneFile> files;
  std::istringstream list(ReadFileText(std::string(PELTO5_SOURCE_DIR) + "/tests/audio/sounds.txt"));
  std::string line;
  while (std::getline(list, line)) {
    std::istringstream words(line);
    std::string lineSet, name;
    int channels = 0;
    if (line.empty() || line[0] == '#' || !(words >> lineSet >> name >> channels) || lineSet != set) continue;
    files.push_back({name, channels});
  }
  return files;
}

inline const std::vector<TToneFile>& ToneFiles() {
  static const std::vector<TToneFile> files = SoundFilesOf("tone");
  return files;
}

// Copies the test sound name (made at build time with ffmpeg, see
// sounds.txt) into dir; false, with the reason in failed, if there is none.
inline bool CopyTestSound(const std::string& name, const std::string& dir, std::string& failed) {
#ifdef PELTO5_TEST_SOUNDS
  std::error_code ec;
  std::filesystem::copy_file(std::string(PELTO5_TEST_SOUNDS) + "/" + name, dir + "/" + name,
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (!ec) return true;
  failed = std::string(PELTO5_TEST_SOUNDS) + "/" + name + ": " + ec.message();
#else
  (void)name;
  (void)dir;
  failed = "the build made no test sounds (ffmpeg was not found when it was configured)";
#endif
  return false;
}

// Puts every tone file into dir; false (with the reason in failed) if one
// is missing.
inline bool MakeToneFiles(const std::string& dir, std::string& failed) {
  if (ToneFiles().empty()) {
    failed = "tests/audio/sounds.txt lists no tone files";
    return false;
  }
  for (const TToneFile& f : ToneFiles()) {
    if (!CopyTestSound(f.Name, dir, failed)) return false;
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
