// Reading aloud on Windows through the system's speech API. What a voice
// says cannot be heard here: these check that the voice thread keeps out
// of the main thread's COM apartment (SDL's), that the answer of Connect
// holds for the speech calls, and how a language picks its voices.
#ifdef _WIN32
#include "platform/SapiSpeech.h"

#include <gtest/gtest.h>
#include <windows.h>
// (windows.h first: the speech header needs its types.)
#include <sapi.h>

#include <thread>

namespace pelto5 {
namespace {

// Whether the system's voice, asked directly on a thread of its own,
// takes the request to stop speaking.
bool VoiceCanBeSilenced() {
  bool silenced = false;
  std::thread([&silenced] {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
    ISpVoice* voice = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_INPROC_SERVER, IID_ISpVoice,
                                   reinterpret_cast<void**>(&voice)))) {
      silenced = SUCCEEDED(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr));
      voice->Release();
    }
    CoUninitialize();
  }).join();
  return silenced;
}

TEST(SapiSpeech, LeavesTheMainThreadsApartmentAloneAndKeepsToItsFirstAnswer) {
  // As SDL sets up COM on the main thread.
  const HRESULT before = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ASSERT_TRUE(SUCCEEDED(before));
  bool connected = false;
  {
    TSapiSpeech speech;
    connected = speech.Connect();
    EXPECT_EQ(speech.Connect(), connected);
    // Speech goes out, or it is unavailable, as Connect said; Stop and the
    // destructor end it at once in either case.
    EXPECT_EQ(speech.Speak("Hello, this is a test of reading aloud.", "en"), connected);
    EXPECT_EQ(speech.Speak("読み上げのテストです。", "ja"), connected);
    EXPECT_EQ(speech.Speak("", "ja"), connected);
    speech.Stop();
  }
  // Still the single-threaded apartment (a multithreaded one in between
  // would answer RPC_E_CHANGED_MODE).
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  // A speech API that cannot silence a voice (wine's: its Speak is not
  // implemented) counts as none.
  if (!VoiceCanBeSilenced()) {
    EXPECT_FALSE(connected);
  }
}

TEST(SapiSpeech, LanguagesAskForVoicesByTheirWindowsIdentifier) {
  EXPECT_EQ(TSapiSpeech::LanguageAttribute("ja"), L"Language=411");
  EXPECT_EQ(TSapiSpeech::LanguageAttribute("en"), L"Language=409");
  EXPECT_EQ(TSapiSpeech::LanguageAttribute("de-AT"), L"Language=c07");
  EXPECT_EQ(TSapiSpeech::LanguageAttribute("qq"), L"");
  EXPECT_EQ(TSapiSpeech::LanguageAttribute(""), L"");
}

}  // namespace
}  // namespace pelto5
#endif
