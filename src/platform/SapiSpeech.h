// Reading aloud on Windows through the system's speech API (SAPI 5, the
// COM voice ISpVoice), with TSpeechDispatcher's behaviour on Linux. The
// voice lives on a thread of its own, in a COM apartment of its own, so
// COM as SDL set it up on the main thread is never touched; Speak and Stop
// hand that thread the request and return at once. (Windows only.)
#pragma once

#include <memory>
#include <string>

namespace pelto5 {

class TSapiSpeech {
 public:
  TSapiSpeech();
  ~TSapiSpeech();
  TSapiSpeech(const TSapiSpeech&) = delete;
  TSapiSpeech& operator=(const TSapiSpeech&) = delete;

  // Makes the voice (once; a failure is not retried). False when the
  // system has no speech API, no voice, or a speech API that cannot speak.
  [[nodiscard]] bool Connect();
  // Stops what is being said and starts saying utf8, in a voice of
  // language ("ja", "en", ...) where the system has one, otherwise in the
  // default voice.
  [[nodiscard]] bool Speak(const std::string& utf8, const std::string& language);
  void Stop();

  // The voice attribute that asks for language: "Language=411" for "ja"
  // (the language's identifier in hexadecimal); "" for a language the
  // system does not know.
  static std::wstring LanguageAttribute(const std::string& language);

 private:
  struct TVoiceThread;
  std::unique_ptr<TVoiceThread> FVoice;
  bool FTried = false;
};

}  // namespace pelto5
