// Shared pieces of the audio tests: PCM WAV files of a given length, and a
// traced headless platform installed for the length of a test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelto5::test {

// An 8 kHz, 8-bit mono PCM WAV file lasting ms milliseconds.
inline std::string WaveOfMs(uint32_t ms) {
  auto le32 = [](uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
  };
  const uint32_t bytes = ms * 8;
  const std::string fmt = std::string("fmt ") + le32(16) + std::string("\x01\x00\x01\x00", 4) + le32(8000) +
                          le32(8000) + std::string("\x01\x00\x08\x00", 4);
  const std::string body = "WAVE" + fmt + "data" + le32(bytes) + std::string(bytes, static_cast<char>(0x80));
  return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

// A headless platform with the trace on and nothing echoed, installed while
// the object lives.
class TTracedPlatform {
 public:
  TTracedPlatform() : FPlatform(Options()) { InstallPlatform(&FPlatform); }
  ~TTracedPlatform() { InstallPlatform(nullptr); }
  THeadlessPlatform& operator*() { return FPlatform; }
  THeadlessPlatform* operator->() { return &FPlatform; }

  // The "audio:" trace lines written so far, each without the prefix.
  std::vector<std::string> AudioLines() const {
    std::vector<std::string> lines;
    for (const std::string& l : FPlatform.OutputLines()) {
      if (l.rfind("audio: ", 0) == 0) lines.push_back(l.substr(7));
    }
    return lines;
  }

 private:
  static THeadlessOptions Options() {
    THeadlessOptions options;
    options.Trace = true;
    options.TraceAudio = true;
    options.EchoToStderr = false;
    return options;
  }
  THeadlessPlatform FPlatform;
};

}  // namespace pelto5::test
