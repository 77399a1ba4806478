#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

#include "base/SjisText.h"
#include "platform/SystemLanguage.h"

namespace pelto5 {

namespace {

TPlatform* gPlatform = nullptr;
TPlatform* gFallback = nullptr;
TQuietPlatformFactory gQuietFactory = nullptr;

}  // namespace

TPlatform& Platform() {
  if (gPlatform) return *gPlatform;
  if (gFallback) return *gFallback;
  // A program that runs the engine without any platform is wrong from the
  // start; say so rather than run into a null instance.
  std::fputs("pelto5: no platform was set up\n", stderr);
  std::abort();
}

void TPlatform::WarningLine(const std::string& text) {
  const std::string line = sjis::ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

TMessageResult TPlatform::MessageBox(const std::string& text, TMessageIcon icon, TMessageButtons buttons) {
  if (OnDialogText) OnDialogText(TDialogText::MessageBox, text);
  const TMessageResult answer = ShowMessageBox(text, icon, buttons);
  if (OnMessageAnswer) OnMessageAnswer(buttons, answer);
  return answer;
}

bool TPlatform::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  if (OnDialogText) OnDialogText(TDialogText::InputPrompt, prompt);
  const bool accepted = ShowInputQuery(caption, prompt, value);
  if (OnInputAnswer) OnInputAnswer(accepted, value);
  return accepted;
}

TLanguage TPlatform::Language() const { return EnvironmentLanguage(); }

TLanguage EnvironmentLanguage() {
#ifdef _WIN32
  // Windows users set no locale variables: the user's display language
  // answers when none is set.
  if (!std::getenv("LC_ALL") && !std::getenv("LC_MESSAGES") && !std::getenv("LANG")) {
    return SystemLanguageIsJapanese() ? TLanguage::Japanese : TLanguage::English;
  }
#endif
  return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string Localized(TOwnText id) { return OwnText(id, Platform().Language()); }

std::string LocalizedUtf8(TOwnText id) { return OwnTextUtf8(id, Platform().Language()); }

void InstallPlatform(TPlatform* platform) { gPlatform = platform; }

void InstallFallbackPlatform(TPlatform* platform) { gFallback = platform; }

void InstallQuietPlatformFactory(TQuietPlatformFactory factory) { gQuietFactory = factory; }

std::unique_ptr<TPlatform> CreateQuietPlatform(TMessageResult answer) {
  return gQuietFactory ? gQuietFactory(answer) : nullptr;
}

}  // namespace pelto5
