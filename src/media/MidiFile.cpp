#include "media/MidiFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/ByteOrder.h"
#include "base/NativeFile.h"
#include "media/AudioDecoder.h"

namespace pelto5 {

namespace {

// Bounds that keep a damaged or hostile file from taking all memory.
constexpr uint64_t kMaxFileBytes = 32u << 20;
constexpr size_t kMaxEvents = 4u << 20;
constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 bpm)
// A few damaged time bytes can stretch a file to days of silence that a
// script waiting for the sound would never get past; no real piece of
// music in such content runs for hours.
constexpr uint64_t kMaxLengthFrames = uint64_t{3} * 3600 * kPcmRate;

// An unsigned 128-bit number, for the exact products of ticks and tempos
// (32-bit machines have no 128-bit integer type). Results wrap at 2^128 as
// such a type's would.
struct TWide {
  uint64_t Hi = 0;
  uint64_t Lo = 0;

  static TWide Of(uint64_t value) { return {0, value}; }

  static TWide Product(uint64_t a, uint64_t b) {
    constexpr uint64_t kLow = 0xFFFFFFFFu;
    const uint64_t p00 = (a & kLow) * (b & kLow);
    const uint64_t p01 = (a & kLow) * (b >> 32);
    const uint64_t p10 = (a >> 32) * (b & kLow);
    const uint64_t p11 = (a >> 32) * (b >> 32);
    const uint64_t middle = (p00 >> 32) + (p01 & kLow) + (p10 & kLow);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (p00 & kLow) | middle << 32};
  }

  TWide operator*(uint64_t m) const {
    TWide result = Product(Lo, m);
    result.Hi += Hi * m;
    return result;
  }

  TWide& operator+=(const TWide& other) {
    const uint64_t lo = Lo + other.Lo;
    Hi += other.Hi + (lo < Lo ? 1 : 0);
    Lo = lo;
    return *this;
  }

  // The quotient's low 64 bits (what a cast of the 128-bit quotient gives).
  uint64_t DividedBy(uint64_t divisor) const {
    uint64_t remainder = 0;
    uint64_t quotient = 0;
    for (int bit = 127; bit >= 0; --bit) {
      const uint64_t next = bit >= 64 ? Hi >> (bit - 64) & 1 : Lo >> bit & 1;
      const bool carry = remainder >> 63 != 0;
      remainder = remainder << 1 | next;
      if (carry || remainder >= divisor) {
        remainder -= divisor;
        if (bit < 64) quotient |= uint64_t{1} << bit;
      }
    }
    return quotient;
  }
};

// A variable-length quantity of at most four bytes.
bool ReadVlq(const uint8_t* p, size_t size, size_t& at, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= size) return false;
    const uint8_t b = p[at++];
    value = value << 7 | (b & 0x7Fu);
    if ((b & 0x80u) == 0) return true;
  }
  return false;
}

// The MIDI data of an RMID file (its "data" chunk), or "" if there is none.
std::string RmidData(const std::string& bytes) {
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    // RIFF chunk sizes are little-endian.
    const uint32_t size = ReadLe32(bytes, at + 4);
    if (bytes.compare(at, 4, "data") == 0) {
      return bytes.substr(at + 8, std::min<size_t>(size, bytes.size() - at - 8));
    }
    at += 8 + static_cast<size_t>(size) + (size & 1u);
  }
  return "";
}

}  // namespace

bool TMidiFile::LooksLikeMidi(const std::string& head) {
  if (head.compare(0, 4, "MThd") == 0) return true;
  return head.size() >= 12 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "RMID") == 0;
}

uint32_t TMidiFile::LengthMs() const {
  return static_cast<uint32_t>(std::min<uint64_t>(FLengthFrames * 1000 / kPcmRate, 0x7FFFFFFF));
}

TResult TMidiFile::Load(const std::string& path) {
  std::ifstream in(native::Path(path), std::ios::binary);
  if (!in) return TResult::Fail("cannot read the file");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxFileBytes) return TResult::Fail("MIDI file too large");
  in.seekg(0);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), size)) return TResult::Fail("cannot read the file");
  return Parse(bytes);
}

TResult TMidiFile::Parse(const std::string& fileBytes) {
  FEvents.clear();
  FSysex.clear();
  FLengthFrames = 0;
  const bool rmid = fileBytes.size() >= 12 && fileBytes.compare(0, 4, "RIFF") == 0 &&
                    fileBytes.compare(8, 4, "RMID") == 0;
  const std::string bytes = rmid ? RmidData(fileBytes) : fileBytes;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < 14 || bytes.compare(0, 4, "MThd") != 0 || ReadBe32(bytes, 4) < 6) {
    return TResult::Fail(rmid ? "RMID file without MIDI data" : "not a MIDI file");
  }
  const int format = ReadBe16(bytes, 8);
  const int tracks = ReadBe16(bytes, 10);
  FDivision = ReadBe16(bytes, 12);
  if (format > 2 || tracks == 0 || (FDivision & 0x7FFF) == 0 || (FDivision & 0x8000 && (FDivision & 0xFF) == 0)) {
    return TResult::Fail("damaged MIDI header");
  }
  std::vector<TTempo> tempos;
  uint64_t endTick = 0;
  size_t at = 8 + static_cast<size_t>(ReadBe32(bytes, 4));
  int found = 0;
  while (found < tracks) {
    if (at + 8 > bytes.size()) {
      return TResult::Fail("truncated MIDI file (" + std::to_string(found) + " of " + std::to_string(tracks) +
                           " tracks)");
    }
    const size_t size = ReadBe32(bytes, at + 4);
    const size_t body = at + 8;
    if (size > bytes.size() - body) return TResult::Fail("truncated MIDI track " + std::to_string(found + 1));
    if (bytes.compare(at, 4, "MTrk") == 0) {
      TResult track = ParseTrack(p + body, size, tempos, endTick);
      if (!track) return TResult::Fail(track.Reason() + " in track " + std::to_string(found + 1));
      ++found;
    }
    at = body + size;
  }
  ConvertTicks(tempos, endTick);
  if (FLengthFrames == 0) return TResult::Fail("MIDI file without events");
  if (FLengthFrames > kMaxLengthFrames) {
    FEvents.clear();
    FLengthFrames = 0;
    return TResult::Fail("MIDI file lasting over three hours (damaged event times)");
  }
  return TResult::Ok();
}

TResult TMidiFile::ParseTrack(const uint8_t* p, size_t size, std::vector<TTempo>& tempos, uint64_t& endTick) {
  uint64_t tick = 0;
  uint8_t running = 0;
  size_t at = 0;
  while (at < size) {
    uint32_t delta = 0;
    if (!ReadVlq(p, size, at, delta) || at >= size) return TResult::Fail("damaged event time");
    tick += delta;
    endTick = std::max(endTick, tick);
    const uint8_t lead = p[at];
    if (lead == 0xFF || lead == 0xF0 || lead == 0xF7) {
      ++at;
      uint8_t type = 0;
      if (lead == 0xFF) {
        if (at >= size) return TResult::Fail("damaged meta event");
        type = p[at++];
      }
      uint32_t length = 0;
      if (!ReadVlq(p, size, at, length) || length > size - at) {
        return TResult::Fail("damaged meta or system exclusive event");
      }
      if (lead == 0xFF && type == 0x51 && length >= 3) {
        const uint32_t tempo = static_cast<uint32_t>(p[at]) << 16 | static_cast<uint32_t>(p[at + 1]) << 8 | p[at + 2];
        if (tempo > 0) tempos.push_back({tick, tempo});
      } else if (lead == 0xF0) {
        TMidiEvent e;
        e.Frame = tick;
        e.Status = 0xF0;
        e.SysexStart = static_cast<uint32_t>(FSysex.size());
        e.SysexLength = length > 0 && p[at + length - 1] == 0xF7 ? length - 1 : length;
        FSysex.insert(FSysex.end(), p + at, p + at + e.SysexLength);
        FEvents.push_back(e);
      }
      at += length;
      running = 0;  // meta and system exclusive events end running status
      if (lead == 0xFF && type == 0x2F) return TResult::Ok();  // end of track
    } else {
      uint8_t status = running;
      if (lead & 0x80) {
        status = lead;
        ++at;
      }
      if (status < 0x80 || status >= 0xF0) {
        return TResult::Fail(status < 0x80 ? "data byte without a status" : "unexpected system message");
      }
      running = status;
      const size_t count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      if (count > size - at || (p[at] & 0x80) || (count == 2 && (p[at + 1] & 0x80))) {
        return TResult::Fail("damaged channel message");
      }
      TMidiEvent e;
      e.Frame = tick;
      e.Status = status;
      e.Data1 = p[at];
      e.Data2 = count == 2 ? p[at + 1] : 0;
      at += count;
      FEvents.push_back(e);
    }
    if (FEvents.size() > kMaxEvents) return TResult::Fail("too many events");
  }
  // A track without its end marker ends with its last event.
  return TResult::Ok();
}

void TMidiFile::ConvertTicks(std::vector<TTempo>& tempos, uint64_t endTick) {
  // Tracks are played together: one time line, in file order at equal ticks.
  std::stable_sort(FEvents.begin(), FEvents.end(),
                   [](const TMidiEvent& a, const TMidiEvent& b) { return a.Frame < b.Frame; });
  std::stable_sort(tempos.begin(), tempos.end(), [](const TTempo& a, const TTempo& b) { return a.Tick < b.Tick; });

  if (FDivision & 0x8000) {
    // SMPTE time: frames per second (29 meaning 29.97) times ticks per frame.
    const int fps = -static_cast<int8_t>(FDivision >> 8);
    const uint64_t perTickNum = fps == 29 ? 1001u : 1u;
    const uint64_t perSecond =
        static_cast<uint64_t>(fps == 29 ? 30000 : fps * 1) * static_cast<unsigned>(FDivision & 0xFF);
    auto toFrame = [&](uint64_t tick) {
      return (TWide::Of(tick) * static_cast<uint64_t>(kPcmRate) * perTickNum).DividedBy(perSecond);
    };
    for (TMidiEvent& e : FEvents) e.Frame = toFrame(e.Frame);
    FLengthFrames = toFrame(endTick);
    return;
  }
  // Quarter-note ticks under the tempo map. Time is kept as microseconds
  // times ticks-per-quarter so that it stays exact.
  const uint64_t ppq = static_cast<uint64_t>(FDivision);
  size_t next = 0;
  uint64_t baseTick = 0;
  TWide baseScaled;
  uint32_t tempo = kDefaultTempo;
  auto toFrame = [&](uint64_t tick) {
    while (next < tempos.size() && tempos[next].Tick <= tick) {
      baseScaled += TWide::Product(tempos[next].Tick - baseTick, tempo);
      baseTick = tempos[next].Tick;
      tempo = tempos[next].MicrosPerQuarter;
      ++next;
    }
    TWide scaled = baseScaled;
    scaled += TWide::Product(tick - baseTick, tempo);
    return (scaled * static_cast<uint64_t>(kPcmRate)).DividedBy(ppq * 1000000u);
  };
  for (TMidiEvent& e : FEvents) e.Frame = toFrame(e.Frame);
  FLengthFrames = toFrame(endTick);
}

}  // namespace pelto5
