// A MIDI file (".mid" or ".rmi") played by the system's own synthesizer
// (Windows' MIDI mapper) instead of a software synthesizer: the Windows
// build has no FluidSynth. The file is still sequenced here, event by event
// as the mixer reaches its frame, so its timing, length, end and rewinding
// are those of every other sound; the samples it gives the mixer are
// silence. The channel's gain is applied as channel volume (CC 7).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/Result.h"
#include "media/AudioDecoder.h"
#include "media/MidiFile.h"

namespace pelto5 {

class TSystemMidiDecoder : public TAudioDecoder {
 public:
  TSystemMidiDecoder() = default;
  ~TSystemMidiDecoder() override;
  TSystemMidiDecoder(const TSystemMidiDecoder&) = delete;
  TSystemMidiDecoder& operator=(const TSystemMidiDecoder&) = delete;

  // Reads the file; the synthesizer is opened on the first Read (a file
  // that is only checked or timed never opens it). Fails with a reason for
  // a damaged file.
  TResult Open(const std::string& path);

  size_t Read(int16_t* out, size_t frames) override;
  [[nodiscard]] bool Rewind() override;
  uint32_t LengthMs() override { return FFile.LengthMs(); }
  void SetGain(double gain) override;

 private:
  void Send(const TMidiEvent& event);
  void SendShort(uint8_t status, uint8_t data1, uint8_t data2);
  void SendVolume(int channel);
  void Silence();

  TMidiFile FFile;
  void* FPort = nullptr;  // the open MIDI output (HMIDIOUT)
  bool FPortFailed = false;
  size_t FNextEvent = 0;
  uint64_t FPosition = 0;
  double FVolumeScale = 1.0;
  std::array<uint8_t, 16> FChannelVolume{};  // CC 7 as the file set it
};

}  // namespace pelto5
