// pelto5-midi-render: renders a MIDI file as the desktop player plays it
// (TMidiDecoder: the player's sequencer and FluidSynth with the General MIDI
// sound font it finds) into raw interleaved signed 16-bit little-endian
// stereo samples at 44100 Hz. The browser test compares the page's samples
// of the same file with these.
//
//   pelto5-midi-render FILE.mid OUT.raw
//
// Prints "frames N" and "soundfont PATH" on success.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "media/AudioDecoder.h"
#include "media/MidiDecoder.h"

int main(int argc, char** argv) {
  using namespace pelto5;
  if (argc != 3) {
    std::fputs("usage: pelto5-midi-render FILE.mid OUT.raw\n", stderr);
    return 2;
  }
  TMidiDecoder decoder;
  const TResult opened = decoder.Open(argv[1], true);
  if (!opened) {
    std::fprintf(stderr, "pelto5-midi-render: %s: %s\n", argv[1], opened.Reason().c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  if (!out) {
    std::fprintf(stderr, "pelto5-midi-render: cannot write %s\n", argv[2]);
    return 1;
  }
  // Read in the pieces the desktop mixer asks for.
  std::vector<int16_t> block(4096 * kPcmChannels);
  uint64_t frames = 0;
  for (;;) {
    const size_t n = decoder.Read(block.data(), 4096);
    if (n == 0) break;
    for (size_t i = 0; i < n * kPcmChannels; ++i) {
      const auto s = static_cast<uint16_t>(block[i]);
      const char bytes[2] = {static_cast<char>(s & 0xFF), static_cast<char>(s >> 8)};
      out.write(bytes, 2);
    }
    frames += n;
  }
  if (!out.flush()) {
    std::fprintf(stderr, "pelto5-midi-render: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("frames %llu\nsoundfont %s\n", static_cast<unsigned long long>(frames), decoder.SoundFont().c_str());
  return 0;
}
