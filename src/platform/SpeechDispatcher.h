// Reading aloud through the desktop's speech service, speech-dispatcher.
// Its client library is loaded when speech is first asked for, so the
// player runs (silently) where neither the library nor the service is.
#pragma once

#include <memory>
#include <string>

#include "platform/SharedLibrary.h"

namespace pelto5 {

class TSpeechDispatcher {
 public:
  TSpeechDispatcher();
  ~TSpeechDispatcher();
  TSpeechDispatcher(const TSpeechDispatcher&) = delete;
  TSpeechDispatcher& operator=(const TSpeechDispatcher&) = delete;

  // Connects to the service (once; a failure is not retried). False when
  // there is no library or no service to connect to.
  [[nodiscard]] bool Connect();
  // Stops what is being said and starts saying utf8, in language ("ja",
  // "en", ...) where the service has a voice for it.
  [[nodiscard]] bool Speak(const std::string& utf8, const std::string& language);
  void Stop();

 private:
  struct TApi;
  TSharedLibrary FLibrary;
  std::unique_ptr<TApi> FApi;
  // (The web build speaks through the browser and uses neither.)
  [[maybe_unused]] void* FConnection = nullptr;
  [[maybe_unused]] bool FTried = false;
};

}  // namespace pelto5
