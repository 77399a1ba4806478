// A MIDI file (".mid" or ".rmi") played by the system's own synthesizer
// (Windows' MIDI mapper) instead of a software synthesizer: the Windows
// build has no FluidSynth. The file is still sequenced here, event by event
// at its frame, so its timing, length, end and rewinding are those of every
// other sound: each buffer the mixer reads posts that buffer's events, each
// at the moment its frame falls on from the read, to a send queue that
// sends them then. The samples it gives the mixer are silence. The
// channel's gain is applied as channel volume (CC 7).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/Result.h"
#include "media/AudioDecoder.h"
#include "media/MidiFile.h"
#include "media/MidiOutPort.h"
#include "media/MidiSendQueue.h"

namespace pelto5 {

class TSystemMidiDecoder : public TAudioDecoder {
 public:
  // Opens the output the file is sent to; null when there is none.
  using TPortOpener = std::function<std::unique_ptr<TMidiOutPort>()>;

  // The system's MIDI output, unless another opener is given.
  explicit TSystemMidiDecoder(TPortOpener openPort = {});
  ~TSystemMidiDecoder() override;
  TSystemMidiDecoder(const TSystemMidiDecoder&) = delete;
  TSystemMidiDecoder& operator=(const TSystemMidiDecoder&) = delete;

  // Reads the file; the synthesizer is opened on the first Read (a file
  // that is only checked or timed never opens it). Fails with a reason for
  // a damaged file.
  TResult Open(const std::string& path);

  // Without an output the sound plays as silence that has ended.
  size_t Read(int16_t* out, size_t frames) override;
  [[nodiscard]] bool Rewind() override;
  uint32_t LengthMs() override { return FFile.LengthMs(); }
  void SetGain(double gain) override;

 private:
  void Post(TMidiSendQueue::TClock::time_point due, const TMidiEvent& event);

  TPortOpener FOpenPort;
  TMidiFile FFile;
  std::unique_ptr<TMidiSendQueue> FQueue;  // once the output is open
  bool FPortFailed = false;
  size_t FNextEvent = 0;
  uint64_t FPosition = 0;
  double FVolumeScale = 1.0;
};

}  // namespace pelto5
