#include "media/SystemMidiDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#endif

namespace pelto5 {

namespace {

constexpr uint8_t kDefaultChannelVolume = 100;  // General MIDI's power-on CC 7

}  // namespace

TSystemMidiDecoder::~TSystemMidiDecoder() {
  Silence();
#ifdef _WIN32
  if (FPort) midiOutClose(static_cast<HMIDIOUT>(FPort));
#endif
}

TResult TSystemMidiDecoder::Open(const std::string& path) {
  FNextEvent = 0;
  FPosition = 0;
  FChannelVolume.fill(kDefaultChannelVolume);
  return FFile.Load(path);
}

void TSystemMidiDecoder::SendShort(uint8_t status, uint8_t data1, uint8_t data2) {
#ifdef _WIN32
  if (FPort) midiOutShortMsg(static_cast<HMIDIOUT>(FPort), status | data1 << 8 | data2 << 16);
#else
  (void)status;
  (void)data1;
  (void)data2;
#endif
}

void TSystemMidiDecoder::SendVolume(int channel) {
  // A MIDI volume's loudness goes with its square: the gain's square root
  // scales it to the same loudness as the gain scales samples.
  const double scaled = FChannelVolume[static_cast<size_t>(channel)] * FVolumeScale;
  const int volume = std::clamp(static_cast<int>(std::lround(scaled)), 0, 127);
  SendShort(static_cast<uint8_t>(0xB0 | channel), 7, static_cast<uint8_t>(volume));
}

void TSystemMidiDecoder::Send(const TMidiEvent& e) {
  const int channel = e.Status & 0x0F;
  if ((e.Status & 0xF0) == 0xB0 && e.Data1 == 7) {
    FChannelVolume[static_cast<size_t>(channel)] = e.Data2;
    SendVolume(channel);
    return;
  }
  if (e.Status != 0xF0) {
    SendShort(e.Status, e.Data1, e.Data2);
    return;
  }
#ifdef _WIN32
  if (!FPort) return;
  std::vector<char> message(e.SysexLength + 2);
  message.front() = static_cast<char>(0xF0);
  std::memcpy(message.data() + 1, FFile.SysexData().data() + e.SysexStart, e.SysexLength);
  message.back() = static_cast<char>(0xF7);
  MIDIHDR header{};
  header.lpData = message.data();
  header.dwBufferLength = static_cast<DWORD>(message.size());
  const HMIDIOUT port = static_cast<HMIDIOUT>(FPort);
  if (midiOutPrepareHeader(port, &header, sizeof header) != MMSYSERR_NOERROR) return;
  if (midiOutLongMsg(port, &header, sizeof header) == MMSYSERR_NOERROR) {
    // A system exclusive message is short: it is out within milliseconds.
    for (int waited = 0; (header.dwFlags & MHDR_DONE) == 0 && waited < 100; ++waited) Sleep(1);
  }
  midiOutUnprepareHeader(port, &header, sizeof header);
#endif
}

// Every note off and the controllers back to their defaults, on every
// channel, so nothing rings on after a stop or a rewind.
void TSystemMidiDecoder::Silence() {
  for (uint8_t channel = 0; channel < 16; ++channel) {
    SendShort(static_cast<uint8_t>(0xB0 | channel), 123, 0);  // all notes off
    SendShort(static_cast<uint8_t>(0xB0 | channel), 121, 0);  // reset all controllers
  }
}

size_t TSystemMidiDecoder::Read(int16_t* out, size_t frames) {
#ifdef _WIN32
  if (FPort == nullptr && !FPortFailed) {
    HMIDIOUT port = nullptr;
    if (midiOutOpen(&port, MIDI_MAPPER, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR) {
      FPort = port;
      for (int channel = 0; channel < 16; ++channel) SendVolume(channel);
    } else {
      FPortFailed = true;
    }
  }
#endif
  // Without a synthesizer the sound plays as silence that has ended.
  if (FPort == nullptr) return 0;
  const std::vector<TMidiEvent>& events = FFile.Events();
  const uint64_t length = FFile.LengthFrames();
  const size_t total = static_cast<size_t>(std::min<uint64_t>(frames, length - std::min(FPosition, length)));
  const uint64_t until = FPosition + total;
  while (FNextEvent < events.size() && events[FNextEvent].Frame < until) Send(events[FNextEvent++]);
  std::fill(out, out + total * kPcmChannels, int16_t{0});
  FPosition = until;
  return total;
}

bool TSystemMidiDecoder::Rewind() {
  Silence();
  FNextEvent = 0;
  FPosition = 0;
  FChannelVolume.fill(kDefaultChannelVolume);
  for (int channel = 0; channel < 16; ++channel) SendVolume(channel);
  return true;
}

void TSystemMidiDecoder::SetGain(double gain) {
  FVolumeScale = std::sqrt(std::clamp(gain, 0.0, 1.0));
  for (int channel = 0; channel < 16; ++channel) SendVolume(channel);
}

}  // namespace pelto5
