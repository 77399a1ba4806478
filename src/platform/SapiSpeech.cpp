#ifdef _WIN32

#include "platform/SapiSpeech.h"

#include <windows.h>
// (windows.h first: the speech header needs its types.)
#include <sapi.h>

#include <condition_variable>
#include <cwchar>
#include <mutex>
#include <thread>

#include "base/NativeFile.h"

namespace pelto5 {

namespace {

// A COM interface pointer, released with the holder.
template <class T>
class TComPointer {
 public:
  TComPointer() = default;
  ~TComPointer() { Reset(); }
  TComPointer(const TComPointer&) = delete;
  TComPointer& operator=(const TComPointer&) = delete;
  T* operator->() const { return FPointer; }
  T* Get() const { return FPointer; }
  explicit operator bool() const { return FPointer != nullptr; }
  // For the calls that fill in a pointer (the old one is released first).
  T** Put() {
    Reset();
    return &FPointer;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (FPointer) FPointer->Release();
    FPointer = nullptr;
  }

 private:
  T* FPointer = nullptr;
};

// The first installed voice whose attributes match attributes ("" for
// any); false when there is none.
bool FindVoice(const std::wstring& attributes, TComPointer<ISpObjectToken>& voice) {
  TComPointer<ISpObjectTokenCategory> category;
  TComPointer<IEnumSpObjectTokens> tokens;
  if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_INPROC_SERVER, IID_ISpObjectTokenCategory,
                              category.PutVoid())) ||
      FAILED(category->SetId(SPCAT_VOICES, FALSE)) ||
      FAILED(category->EnumTokens(attributes.empty() ? nullptr : attributes.c_str(), nullptr, tokens.Put()))) {
    return false;
  }
  ULONG fetched = 0;
  return tokens->Next(1, voice.Put(), &fetched) == S_OK && fetched == 1 && voice;
}

}  // namespace

// The thread that owns the voice, and the one request it has yet to carry
// out (a newer request replaces an older one: each stops what is being
// said anyway).
struct TSapiSpeech::TVoiceThread {
  enum class TRequest { None, Speak, Stop, Quit };
  enum class TState { Starting, Ready, Failed };

  std::mutex Mutex;
  std::condition_variable Changed;
  TState State = TState::Starting;
  TRequest Request = TRequest::None;
  std::wstring Text;
  std::string Language;
  std::thread Thread;

  void Post(TRequest request, std::wstring text = {}, std::string language = {}) {
    {
      const std::lock_guard<std::mutex> lock(Mutex);
      if (Request == TRequest::Quit) return;
      Request = request;
      Text = std::move(text);
      Language = std::move(language);
    }
    Changed.notify_all();
  }

  void Run() {
    // A multithreaded apartment for this thread alone: the voice speaks
    // asynchronously on SAPI's own threads and needs no message loop here.
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      TComPointer<ISpVoice> voice;
      TComPointer<ISpObjectToken> anyVoice;
      // A speech API that cannot even stop (wine's says "not implemented")
      // cannot speak either.
      const bool ready = SUCCEEDED(apartment) &&
                         SUCCEEDED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_INPROC_SERVER, IID_ISpVoice,
                                                    voice.PutVoid())) &&
                         FindVoice(L"", anyVoice) && SUCCEEDED(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr));
      {
        const std::lock_guard<std::mutex> lock(Mutex);
        State = ready ? TState::Ready : TState::Failed;
      }
      Changed.notify_all();
      if (ready) Serve(*voice.Get());
    }
    if (SUCCEEDED(apartment)) CoUninitialize();
  }

  // Carries out requests until Quit.
  void Serve(ISpVoice& voice) {
    std::string voiceLanguage;  // the language the voice was chosen for
    for (;;) {
      std::unique_lock<std::mutex> lock(Mutex);
      Changed.wait(lock, [this] { return Request != TRequest::None; });
      const TRequest request = Request;
      if (request != TRequest::Quit) Request = TRequest::None;
      const std::wstring text = std::move(Text);
      const std::string language = std::move(Language);
      lock.unlock();

      if (request == TRequest::Quit) break;
      if (request == TRequest::Stop || text.empty()) {
        voice.Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
        continue;
      }
      if (language != voiceLanguage) {
        // A voice of the language, or the reader's default voice; the
        // old voice is silenced before it is changed.
        voice.Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
        TComPointer<ISpObjectToken> chosen;
        const std::wstring attribute = LanguageAttribute(language);
        voice.SetVoice(!attribute.empty() && FindVoice(attribute, chosen) ? chosen.Get() : nullptr);
        voiceLanguage = language;
      }
      // Plain text (no SAPI markup), said on SAPI's threads; what was
      // being said is cut off.
      voice.Speak(text.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr);
    }
    voice.Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
  }
};

TSapiSpeech::TSapiSpeech() = default;

TSapiSpeech::~TSapiSpeech() {
  if (!FVoice) return;
  FVoice->Post(TVoiceThread::TRequest::Quit);
  if (FVoice->Thread.joinable()) FVoice->Thread.join();
}

bool TSapiSpeech::Connect() {
  if (FTried) return FVoice != nullptr;
  FTried = true;
  auto voice = std::make_unique<TVoiceThread>();
  TVoiceThread* thread = voice.get();
  voice->Thread = std::thread([thread] { thread->Run(); });
  bool ready = false;
  {
    std::unique_lock<std::mutex> lock(voice->Mutex);
    voice->Changed.wait(lock, [thread] { return thread->State != TVoiceThread::TState::Starting; });
    ready = voice->State == TVoiceThread::TState::Ready;
  }
  if (!ready) {
    voice->Thread.join();
    return false;
  }
  FVoice = std::move(voice);
  return true;
}

bool TSapiSpeech::Speak(const std::string& utf8, const std::string& language) {
  if (!Connect()) return false;
  const std::wstring text = native::Wide(utf8);
  // Text that is not UTF-8 is not said, but still stops what was.
  if (text.empty() && !utf8.empty()) {
    FVoice->Post(TVoiceThread::TRequest::Stop);
    return false;
  }
  FVoice->Post(TVoiceThread::TRequest::Speak, text, language);
  return true;
}

void TSapiSpeech::Stop() {
  if (FVoice) FVoice->Post(TVoiceThread::TRequest::Stop);
}

std::wstring TSapiSpeech::LanguageAttribute(const std::string& language) {
  const std::wstring name = native::Wide(language);
  if (name.empty()) return L"";
  // "ja" names the language alone; voices name a country's form of it
  // ("ja-JP", 411), as the system's default for the language.
  wchar_t specific[LOCALE_NAME_MAX_LENGTH];
  if (ResolveLocaleName(name.c_str(), specific, LOCALE_NAME_MAX_LENGTH) <= 1) return L"";
  const LCID id = LocaleNameToLCID(specific, 0);
  // 0 for an unknown name; LOCALE_CUSTOM_UNSPECIFIED (0x1000) for a
  // language that has no identifier of its own, which no voice names.
  if (id == 0 || id == LOCALE_CUSTOM_UNSPECIFIED) return L"";
  wchar_t text[40];
  std::swprintf(text, sizeof text / sizeof text[0], L"Language=%lx", static_cast<unsigned long>(LANGIDFROMLCID(id)));
  return text;
}

}  // namespace pelto5

#endif  // _WIN32
