// The faces of a Windows player: the system's font folders first (so a
// Windows Japanese face the content names is drawn with the face itself),
// then the faces that ship in the "fonts" folder beside the player (the
// IPA faces, the stand-ins of the Linux player). A family is looked for in
// each folder in turn; "any face" questions (a family the machine lacks)
// go to the shipped faces first, so such text looks the same everywhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/fonts/FaceLocator.h"
#include "platform/fonts/FontFolderLocator.h"

namespace pelto5 {

class TWindowsFontLocator : public TFaceLocator {
 public:
  // The system's folders (%WINDIR%\Fonts, the user's own fonts) and the
  // folder beside the executable.
  TWindowsFontLocator();
  // systemFolders hold genuine faces; shippedFolder the stand-ins.
  TWindowsFontLocator(const std::vector<std::string>& systemFolders, const std::string& shippedFolder);

  [[nodiscard]] bool FamilyInstalled(const std::string& family) override;
  [[nodiscard]] bool Match(const TFaceQuery& query, TFaceFile& face) override;
  [[nodiscard]] bool GenuineFamilyInstalled(const std::string& family) override;

 private:
  std::vector<std::unique_ptr<TFontFolderLocator>> FSystem;
  std::unique_ptr<TFontFolderLocator> FShipped;
};

}  // namespace pelto5
