#include "shell/SelfVoicing.h"

#include "base/SjisText.h"
#include "platform/Platform.h"
#include "shell/TextStream.h"

namespace pelto5 {

TSelfVoicing::TSelfVoicing() {
  FSettings.Load();
  FOn = FSettings.SelfVoicing && Platform().StartSpeech();
}

TSelfVoicing::TToggled TSelfVoicing::Toggle() {
  if (FOn) {
    Platform().StopSpeech();
    FOn = false;
  } else if (Platform().StartSpeech()) {
    FOn = true;
  } else {
    if (FToldNoService) return TToggled::Nothing;
    FToldNoService = true;
    Platform().WarningLine(sjis::FromUtf8("pelto5: " + LocalizedUtf8(TOwnText::NoSpeechService)));
    return TToggled::NoService;
  }
  FSettings.SelfVoicing = FOn;
  // A setting that cannot be kept still holds for this run.
  static_cast<void>(FSettings.Save());
  return FOn ? TToggled::On : TToggled::Off;
}

void TSelfVoicing::MessagePage(const std::string& markedUpText) {
  if (!FOn) return;
  const std::string text = TTextStream::PlainText(markedUpText);
  Platform().Speak(sjis::ToUtf8(text), LanguageOf(text));
}

std::string TSelfVoicing::LanguageOf(const std::string& sjisText) {
  // Double-byte characters and half-width katakana are all beyond ASCII.
  for (const char c : sjisText) {
    if (static_cast<unsigned char>(c) >= 0x80) return "ja";
  }
  return "en";
}

}  // namespace pelto5
