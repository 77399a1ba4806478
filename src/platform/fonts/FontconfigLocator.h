// Font files through fontconfig, as the desktop has them configured.
#pragma once

#include "platform/fonts/FaceLocator.h"

namespace pelto5 {

class TFontconfigLocator : public TFaceLocator {
 public:
  TFontconfigLocator();
  bool FamilyInstalled(const std::string& family) override;
  bool Match(const TFaceQuery& query, TFaceFile& face) override;

 private:
  bool FReady = false;
};

}  // namespace pelto5
