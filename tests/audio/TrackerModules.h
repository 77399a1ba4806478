// Tracker modules for the decoding tests, written byte by byte: one module
// in each of the four common formats (ProTracker MOD, Scream Tracker 3 S3M,
// FastTracker 2 XM, Impulse Tracker IT). Each plays one looped sine-wave
// sample on its first channel from the first row, at a pitch of its own,
// and ends with a pattern break on its last row, so its length is exactly
// rows x speed ticks, a tick lasting 2.5 s / tempo.
//
// Only the standard library: tests/windows/make-test-modules.cc writes the
// same files for scripts/build-windows-deps --check.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace pelto5::test {

struct TTrackerModule {
  std::string Name;    // file name, with the format's extension
  std::string Bytes;   // the file
  int Rows;            // rows played before the pattern break ends the song
  int Speed;           // ticks per row
  int Tempo;           // a tick lasts 2.5 s / Tempo
  double ToneHz;       // the pitch the note plays the sample at
  uint32_t LengthMs() const { return static_cast<uint32_t>(Rows * Speed * 2500 / Tempo); }
};

namespace tracker_detail {

// Sample frames in one period of the sine, and periods in the sample.
constexpr int kPeriod = 32;
constexpr int kPeriods = 8;

inline void Put8(std::string& s, size_t at, int v) { s[at] = static_cast<char>(v & 0xFF); }
inline void Put16Le(std::string& s, size_t at, uint32_t v) {
  Put8(s, at, static_cast<int>(v));
  Put8(s, at + 1, static_cast<int>(v >> 8));
}
inline void Put32Le(std::string& s, size_t at, uint32_t v) {
  Put16Le(s, at, v);
  Put16Le(s, at + 2, v >> 16);
}
inline void Put16Be(std::string& s, size_t at, uint32_t v) {
  Put8(s, at, static_cast<int>(v >> 8));
  Put8(s, at + 1, static_cast<int>(v));
}
inline void PutText(std::string& s, size_t at, const std::string& text) { s.replace(at, text.size(), text); }
// Pads s with zeros to a multiple of 16 bytes (S3M paragraph pointers).
inline void Align16(std::string& s) { s.resize((s.size() + 15) / 16 * 16, '\0'); }

// The sample: kPeriods periods of a sine at 3/4 of full scale, signed 8 bit.
inline std::vector<int8_t> Sine() {
  std::vector<int8_t> wave(kPeriod * kPeriods);
  for (size_t i = 0; i < wave.size(); ++i) {
    wave[i] = static_cast<int8_t>(std::lround(96 * std::sin(2 * M_PI * static_cast<double>(i) / kPeriod)));
  }
  return wave;
}

// A sample rate stepped up or down by semitones from the format's middle C.
inline double Semitones(double rate, int steps) { return rate * std::pow(2.0, steps / 12.0); }

}  // namespace tracker_detail

// ProTracker "M.K.": four channels, speed 6 at tempo 125, eight rows. The
// note is period 428 (ProTracker's C-2): the PAL Amiga clock
// (3546895 Hz) / 428 sample frames a second.
inline TTrackerModule ProTrackerModule() {
  using namespace tracker_detail;
  const std::vector<int8_t> wave = Sine();
  const int rows = 8;
  std::string m(1084 + 1024, '\0');
  PutText(m, 0, "pelto5 test");
  // Sample 1: length and loop in 16-bit words, volume 64, all of it looped.
  PutText(m, 20, "sine");
  Put16Be(m, 42, static_cast<uint32_t>(wave.size() / 2));
  Put8(m, 45, 64);
  Put16Be(m, 46, 0);
  Put16Be(m, 48, static_cast<uint32_t>(wave.size() / 2));
  for (int s = 1; s < 31; ++s) Put16Be(m, 20 + 30 * s + 28, 1);  // empty samples loop one word
  Put8(m, 950, 1);    // one position in the song
  Put8(m, 951, 127);  // restart byte as ProTracker writes it
  PutText(m, 1080, "M.K.");
  // Row 0, channel 0: sample 1 at period 428. Last row: pattern break (D00).
  const size_t note = 1084;
  Put8(m, note, (1 & 0xF0) | (428 >> 8));
  Put8(m, note + 1, 428 & 0xFF);
  Put8(m, note + 2, (1 & 0x0F) << 4);
  Put8(m, 1084 + (rows - 1) * 16 + 2, 0x0D);
  for (int8_t v : wave) m += static_cast<char>(v);
  return {"tone.mod", m, rows, 6, 125, 3546895.0 / 428 / kPeriod};
}

// Scream Tracker 3: speed 3 at tempo 150, twelve rows, C-5 (an octave over
// the sample's 8363 Hz middle C), unsigned samples.
inline TTrackerModule ScreamTrackerModule() {
  using namespace tracker_detail;
  const std::vector<int8_t> wave = Sine();
  const int rows = 12, speed = 3, tempo = 150;
  std::string m(96, '\0');
  PutText(m, 0, "pelto5 test");
  Put8(m, 28, 0x1A);
  Put8(m, 29, 16);
  Put16Le(m, 32, 2);  // orders (even): pattern 0 and the end mark
  Put16Le(m, 34, 1);  // instruments
  Put16Le(m, 36, 1);  // patterns
  Put16Le(m, 40, 0x1320);
  Put16Le(m, 42, 2);  // unsigned samples
  PutText(m, 44, "SCRM");
  Put8(m, 48, 64);
  Put8(m, 49, speed);
  Put8(m, 50, tempo);
  Put8(m, 51, 0x80 | 48);  // stereo
  for (int c = 0; c < 32; ++c) Put8(m, 64 + c, c == 0 ? 0 : c == 1 ? 8 : 255);  // left 1, right 1, no more
  m += std::string("\x00\xFF", 2);
  const size_t pointers = m.size();
  m += std::string(4, '\0');  // instrument and pattern paragraph pointers
  Align16(m);
  const size_t instrument = m.size();
  m += std::string(80, '\0');
  Put8(m, instrument, 1);
  PutText(m, instrument + 1, "sine");
  Put32Le(m, instrument + 16, static_cast<uint32_t>(wave.size()));
  Put32Le(m, instrument + 20, 0);
  Put32Le(m, instrument + 24, static_cast<uint32_t>(wave.size()));
  Put8(m, instrument + 28, 64);
  Put8(m, instrument + 31, 1);  // looped
  Put32Le(m, instrument + 32, 8363);
  PutText(m, instrument + 48, "sine");
  PutText(m, instrument + 76, "SCRS");
  Put16Le(m, pointers, static_cast<uint32_t>(instrument / 16));
  Align16(m);
  // Packed rows: channel 0 with note and instrument on row 0; a C00 command
  // on the last row; a zero ends each row.
  std::string rowsData = std::string("\x20\x50\x01", 3) + '\0';
  for (int r = 1; r < rows - 1; ++r) rowsData += '\0';
  rowsData += std::string("\x80\x03\x00", 3) + '\0';
  for (int r = rows; r < 64; ++r) rowsData += '\0';
  const size_t pattern = m.size();
  Put16Le(m, pointers + 2, static_cast<uint32_t>(pattern / 16));
  m += std::string(2, '\0');
  Put16Le(m, pattern, static_cast<uint32_t>(rowsData.size() + 2));
  m += rowsData;
  Align16(m);
  const size_t data = m.size();
  Put8(m, instrument + 13, static_cast<int>((data / 16) >> 16));
  Put16Le(m, instrument + 14, static_cast<uint32_t>(data / 16));
  for (int8_t v : wave) m += static_cast<char>(v + 128);
  return {"tone.s3m", m, rows, speed, tempo, Semitones(8363, 12) / kPeriod};
}

// FastTracker 2: two channels, linear frequencies, speed 4 at BPM 100, ten
// rows, A-4 on a sample whose C-4 is 8363 Hz; delta-coded sample data.
inline TTrackerModule FastTrackerModule() {
  using namespace tracker_detail;
  const std::vector<int8_t> wave = Sine();
  const int rows = 10, speed = 4, tempo = 100, channels = 2;
  std::string m(60 + 276, '\0');
  PutText(m, 0, "Extended Module: pelto5 test");
  Put8(m, 37, 0x1A);
  PutText(m, 38, "pelto5");
  Put16Le(m, 58, 0x0104);
  Put32Le(m, 60, 276);
  Put16Le(m, 64, 1);  // song length
  Put16Le(m, 68, channels);
  Put16Le(m, 70, 1);  // patterns
  Put16Le(m, 72, 1);  // instruments
  Put16Le(m, 74, 1);  // linear frequency table
  Put16Le(m, 76, speed);
  Put16Le(m, 78, tempo);
  // Pattern 0, unpacked: note, instrument, volume, effect, parameter.
  std::string cells(static_cast<size_t>(rows) * channels * 5, '\0');
  Put8(cells, 0, 58);
  Put8(cells, 1, 1);
  Put8(cells, static_cast<size_t>(rows - 1) * channels * 5 + 3, 0x0D);  // pattern break
  std::string header(9, '\0');
  Put32Le(header, 0, 9);
  Put16Le(header, 5, rows);
  Put16Le(header, 7, static_cast<uint32_t>(cells.size()));
  m += header + cells;
  // Instrument 1 with one sample, no envelopes.
  std::string instrument(263, '\0');
  Put32Le(instrument, 0, 263);
  PutText(instrument, 4, "sine");
  Put16Le(instrument, 27, 1);
  Put32Le(instrument, 29, 40);
  std::string sample(40, '\0');
  Put32Le(sample, 0, static_cast<uint32_t>(wave.size()));
  Put32Le(sample, 4, 0);
  Put32Le(sample, 8, static_cast<uint32_t>(wave.size()));
  Put8(sample, 12, 64);
  Put8(sample, 14, 1);  // forward loop, 8 bit
  Put8(sample, 15, 128);
  PutText(sample, 18, "sine");
  std::string deltas;
  int8_t last = 0;
  for (int8_t v : wave) {
    deltas += static_cast<char>(static_cast<int8_t>(v - last));
    last = v;
  }
  m += instrument + sample + deltas;
  return {"tone.xm", m, rows, speed, tempo, Semitones(8363, 9) / kPeriod};
}

// Impulse Tracker: sample mode (no instruments), speed 5 at tempo 125,
// eight rows, G-5 on a sample whose C-5 is 8363 Hz.
inline TTrackerModule ImpulseTrackerModule() {
  using namespace tracker_detail;
  const std::vector<int8_t> wave = Sine();
  const int rows = 8, speed = 5, tempo = 125;
  std::string m(192, '\0');
  PutText(m, 0, "IMPMpelto5 test");
  Put16Le(m, 30, 0x1004);
  Put16Le(m, 32, 2);  // orders: pattern 0 and the end mark
  Put16Le(m, 36, 1);  // samples
  Put16Le(m, 38, 1);  // patterns
  Put16Le(m, 40, 0x0214);
  Put16Le(m, 42, 0x0214);
  Put16Le(m, 44, 1 | 8);  // stereo, linear slides
  Put8(m, 48, 128);
  Put8(m, 49, 48);
  Put8(m, 50, speed);
  Put8(m, 51, tempo);
  Put8(m, 52, 128);
  for (int c = 0; c < 64; ++c) {
    Put8(m, 64 + c, c < 2 ? 32 : 32 | 128);  // two centred channels, the others off
    Put8(m, 128 + c, 64);
  }
  m += std::string("\x00\xFF", 2);
  const size_t pointers = m.size();
  m += std::string(8, '\0');
  const size_t sample = m.size();
  Put32Le(m, pointers, static_cast<uint32_t>(sample));
  m += std::string(80, '\0');
  PutText(m, sample, "IMPS");
  Put8(m, sample + 17, 64);
  Put8(m, sample + 18, 1 | 16);  // sample data present, looped
  Put8(m, sample + 19, 64);
  PutText(m, sample + 20, "sine");
  Put8(m, sample + 46, 1);  // signed
  Put32Le(m, sample + 48, static_cast<uint32_t>(wave.size()));
  Put32Le(m, sample + 52, 0);
  Put32Le(m, sample + 56, static_cast<uint32_t>(wave.size()));
  Put32Le(m, sample + 60, 8363);
  // Packed rows: channel 1 (0x81) with a mask for note and sample on row 0,
  // then a mask for the command (C00) on the last row; a zero ends a row.
  std::string rowsData = std::string("\x81\x03\x43\x01", 4) + '\0';
  for (int r = 1; r < rows - 1; ++r) rowsData += '\0';
  rowsData += std::string("\x81\x08\x03\x00", 4) + '\0';
  const size_t pattern = m.size();
  Put32Le(m, pointers + 4, static_cast<uint32_t>(pattern));
  std::string header(8, '\0');
  Put16Le(header, 0, static_cast<uint32_t>(rowsData.size()));
  Put16Le(header, 2, rows);
  m += header + rowsData;
  Put32Le(m, sample + 72, static_cast<uint32_t>(m.size()));
  for (int8_t v : wave) m += static_cast<char>(v);
  return {"tone.it", m, rows, speed, tempo, Semitones(8363, 7) / kPeriod};
}

inline std::vector<TTrackerModule> TrackerModules() {
  return {ProTrackerModule(), ScreamTrackerModule(), FastTrackerModule(), ImpulseTrackerModule()};
}

}  // namespace pelto5::test
