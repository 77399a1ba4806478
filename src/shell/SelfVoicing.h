// Reading aloud: while it is on, each message page is spoken through the
// platform's speech service as it begins to show, in the text's language;
// the next page cuts the current one short. The V key turns it on and off,
// and the choice is kept in the player's own settings.
#pragma once

#include <string>

#include "shell/PlayerSettings.h"

namespace pelto5 {

class TSelfVoicing {
 public:
  // What a press of the key did.
  enum class TToggled { On, Off, NoService, Nothing };

  // Starts as the player's settings say (and silent when the service is
  // missing).
  TSelfVoicing();
  [[nodiscard]] bool On() const { return FOn; }
  // The V key: on or off, and the settings saved. Without a speech service
  // nothing changes; the first time, that is said on standard error.
  TToggled Toggle();
  // A message page (marked-up Shift-JIS text) begins to show.
  void MessagePage(const std::string& markedUpText);

  // "ja" for text with Japanese characters in it, else "en".
  static std::string LanguageOf(const std::string& sjisText);

 private:
  TPlayerSettings FSettings;
  bool FOn = false;
  bool FToldNoService = false;
};

}  // namespace pelto5
