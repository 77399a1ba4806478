#include "platform/SpeechDispatcher.h"

#if __has_include(<speech-dispatcher/libspeechd.h>)
#include <speech-dispatcher/libspeechd.h>
#define PELTO5_HAS_SPEECHD 1
#endif

namespace pelto5 {

#ifdef PELTO5_HAS_SPEECHD

// The library's functions, looked up by name.
struct TSpeechDispatcher::TApi {
  decltype(&spd_open) Open = nullptr;
  decltype(&spd_close) Close = nullptr;
  decltype(&spd_say) Say = nullptr;
  decltype(&spd_cancel) Cancel = nullptr;
  decltype(&spd_set_language) SetLanguage = nullptr;
  std::string Language;  // the one set last
};

namespace {

template <class F>
bool Find(const TSharedLibrary& library, const char* name, F& function) {
  function = reinterpret_cast<F>(library.Symbol(name));
  return function != nullptr;
}

}  // namespace

TSpeechDispatcher::TSpeechDispatcher() = default;

TSpeechDispatcher::~TSpeechDispatcher() {
  if (FApi && FConnection) FApi->Close(static_cast<SPDConnection*>(FConnection));
}

bool TSpeechDispatcher::Connect() {
  if (FTried) return FConnection != nullptr;
  FTried = true;
  if (!FLibrary.Open("libspeechd.so.2")) return false;
  auto api = std::make_unique<TApi>();
  if (!Find(FLibrary, "spd_open", api->Open) || !Find(FLibrary, "spd_close", api->Close) ||
      !Find(FLibrary, "spd_say", api->Say) || !Find(FLibrary, "spd_cancel", api->Cancel) ||
      !Find(FLibrary, "spd_set_language", api->SetLanguage)) {
    FLibrary.Close();
    return false;
  }
  FApi = std::move(api);
  FConnection = FApi->Open("pelto5", "main", nullptr, SPD_MODE_SINGLE);
  return FConnection != nullptr;
}

bool TSpeechDispatcher::Speak(const std::string& utf8, const std::string& language) {
  if (!Connect()) return false;
  auto* connection = static_cast<SPDConnection*>(FConnection);
  FApi->Cancel(connection);
  if (language != FApi->Language && FApi->SetLanguage(connection, language.c_str()) == 0) FApi->Language = language;
  return utf8.empty() || FApi->Say(connection, SPD_TEXT, utf8.c_str()) >= 0;
}

void TSpeechDispatcher::Stop() {
  if (FApi && FConnection) FApi->Cancel(static_cast<SPDConnection*>(FConnection));
}

#else  // built without the speech service's header: never any speech

struct TSpeechDispatcher::TApi {};

TSpeechDispatcher::TSpeechDispatcher() = default;
TSpeechDispatcher::~TSpeechDispatcher() = default;
bool TSpeechDispatcher::Connect() { return false; }
bool TSpeechDispatcher::Speak(const std::string&, const std::string&) { return false; }
void TSpeechDispatcher::Stop() {}

#endif

}  // namespace pelto5
