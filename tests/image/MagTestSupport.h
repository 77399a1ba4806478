// MAG files assembled byte by byte for the decoder tests, and a small
// encoder that turns a picture into flag and pixel streams, choosing copy
// positions at random among those that hold the same unit.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace pelto5::test {

inline void MagLe16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void MagLe32(std::string& s, uint32_t v) {
  MagLe16(s, v & 0xFFFF);
  MagLe16(s, v >> 16);
}

// Palette entry i of the test pictures, as 0x00RRGGBB.
inline uint32_t MagTestColor(int i) {
  const uint32_t g = (i * 3 + 1) & 0xFF, r = (i * 5 + 2) & 0xFF, b = (i * 7 + 3) & 0xFF;
  return r << 16 | g << 8 | b;
}

// A MAG file: signature, machine code, user name, comment, 0x1A, the
// 32-byte header, the palette, then flag A, flag B and the pixel stream.
struct TMagBuild {
  bool Colors256 = false;
  uint8_t TopByte = 0;
  int XStart = 0, YStart = 0, XEnd = 7, YEnd = 0;
  std::string Comment = "made by the tests";
  std::string FlagA, FlagB, Pixels;

  size_t HeaderPos() const { return 8 + 4 + 18 + Comment.size() + 1; }

  std::string Bytes() const {
    std::string s = "MAKI02  ";
    s += "TEST";
    s += std::string(18, ' ');
    s += Comment;
    s.push_back('\x1A');
    const size_t paletteBytes = Colors256 ? 768 : 48;
    const uint32_t flagA = static_cast<uint32_t>(32 + paletteBytes);
    const uint32_t flagB = flagA + static_cast<uint32_t>(FlagA.size());
    const uint32_t pixels = flagB + static_cast<uint32_t>(FlagB.size());
    s.push_back(static_cast<char>(TopByte));
    s.push_back('\x03');  // machine code
    s.push_back('\x00');  // machine flag
    s.push_back(Colors256 ? '\x80' : '\x00');
    MagLe16(s, XStart);
    MagLe16(s, YStart);
    MagLe16(s, XEnd);
    MagLe16(s, YEnd);
    MagLe32(s, flagA);
    MagLe32(s, flagB);
    MagLe32(s, static_cast<uint32_t>(FlagB.size()));
    MagLe32(s, pixels);
    MagLe32(s, static_cast<uint32_t>(Pixels.size()));
    for (size_t i = 0; i < paletteBytes / 3; ++i) {
      const uint32_t c = MagTestColor(static_cast<int>(i));
      s.push_back(static_cast<char>((c >> 8) & 0xFF));   // green
      s.push_back(static_cast<char>((c >> 16) & 0xFF));  // red
      s.push_back(static_cast<char>(c & 0xFF));          // blue
    }
    return s + FlagA + FlagB + Pixels;
  }
};

// Encodes a picture given as top-down pixel rows of lineBytes bytes (4 or 8
// bits a pixel, left pixel in the high nibble). Units are compared in one
// top-down stream, so a copy may reach into the end of the line above.
struct TMagEncoder {
  std::array<int, 16> Uses{};  // how often each flag value was written

  void Encode(const std::vector<uint8_t>& rows, size_t lineBytes, int height, uint32_t seed, TMagBuild& out) {
    static constexpr std::array<int, 16> left = {0, 1, 2, 4, 0, 1, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0};
    static constexpr std::array<int, 16> up = {0, 0, 0, 0, 1, 1, 2, 2, 2, 4, 4, 4, 8, 8, 8, 16};
    std::mt19937 random(seed);
    const size_t units = lineBytes / 2;
    std::vector<uint8_t> previous(lineBytes / 4, 0);
    std::vector<int> bits;
    out.FlagB.clear();
    out.Pixels.clear();
    for (int y = 0; y < height; ++y) {
      std::vector<uint8_t> flags(lineBytes / 4, 0);
      for (size_t x = 0; x < units; ++x) {
        const size_t at = y * units + x;
        std::vector<int> candidates = {0};
        for (int n = 1; n < 16; ++n) {
          const size_t back = up[n] * units + left[n];
          if (back <= at && rows[2 * (at - back)] == rows[2 * at] && rows[2 * (at - back) + 1] == rows[2 * at + 1]) {
            candidates.push_back(n);
          }
        }
        const int n = candidates[random() % candidates.size()];
        ++Uses[n];
        flags[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? n << 4 : n);
        if (n == 0) {
          out.Pixels.push_back(static_cast<char>(rows[2 * at]));
          out.Pixels.push_back(static_cast<char>(rows[2 * at + 1]));
        }
      }
      for (size_t i = 0; i < flags.size(); ++i) {
        const uint8_t change = flags[i] ^ previous[i];
        bits.push_back(change != 0);
        if (change != 0) out.FlagB.push_back(static_cast<char>(change));
      }
      previous = flags;
    }
    out.FlagA.assign((bits.size() + 7) / 8, '\0');
    for (size_t i = 0; i < bits.size(); ++i) {
      if (bits[i]) out.FlagA[i / 8] = static_cast<char>(out.FlagA[i / 8] | (0x80 >> (i % 8)));
    }
  }
};

}  // namespace pelto5::test
