// Font files through fontconfig, as the desktop has them configured.
#pragma once

#include "platform/fonts/FaceLocator.h"

namespace pelto5 {

class TFontconfigLocator : public TFaceLocator {
 public:
  [[nodiscard]] bool FamilyInstalled(const std::string& family) override;
  [[nodiscard]] bool Match(const TFaceQuery& query, TFaceFile& face) override;

 private:
  // fontconfig is set up on the first query, not at construction: programs
  // that install the font service but never draw text (pelto5-pack) never
  // load its configuration and caches.
  [[nodiscard]] bool Ready();

  bool FTried = false;
  bool FReady = false;
};

}  // namespace pelto5
