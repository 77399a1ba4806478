#include "media/WinMmMidiPort.h"

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#endif

namespace pelto5 {

#ifdef _WIN32

std::unique_ptr<TMidiOutPort> TWinMmMidiPort::Open() {
  HMIDIOUT port = nullptr;
  if (midiOutOpen(&port, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
  // Messages are sent at their millisecond; the default timer resolution
  // (15.6 ms) would bunch them again.
  timeBeginPeriod(1);
  return std::unique_ptr<TMidiOutPort>(new TWinMmMidiPort(port));
}

TWinMmMidiPort::~TWinMmMidiPort() {
  midiOutClose(static_cast<HMIDIOUT>(FHandle));
  timeEndPeriod(1);
}

void TWinMmMidiPort::Short(uint8_t status, uint8_t data1, uint8_t data2) {
  midiOutShortMsg(static_cast<HMIDIOUT>(FHandle), status | data1 << 8 | data2 << 16);
}

void TWinMmMidiPort::SystemExclusive(const std::vector<uint8_t>& message) {
  std::vector<char> bytes(message.begin(), message.end());
  MIDIHDR header{};
  header.lpData = bytes.data();
  header.dwBufferLength = static_cast<DWORD>(bytes.size());
  const HMIDIOUT port = static_cast<HMIDIOUT>(FHandle);
  if (midiOutPrepareHeader(port, &header, sizeof header) != MMSYSERR_NOERROR) return;
  if (midiOutLongMsg(port, &header, sizeof header) == MMSYSERR_NOERROR) {
    // A system exclusive message is short: it is out within milliseconds.
    for (int waited = 0; (header.dwFlags & MHDR_DONE) == 0 && waited < 100; ++waited) Sleep(1);
  }
  midiOutUnprepareHeader(port, &header, sizeof header);
}

#else

std::unique_ptr<TMidiOutPort> TWinMmMidiPort::Open() { return nullptr; }

TWinMmMidiPort::~TWinMmMidiPort() = default;

void TWinMmMidiPort::Short(uint8_t, uint8_t, uint8_t) {}

void TWinMmMidiPort::SystemExclusive(const std::vector<uint8_t>&) {}

#endif

}  // namespace pelto5
