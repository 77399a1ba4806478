#include "platform/fonts/FontDefaults.h"

#include "platform/fonts/FreeTypeFontService.h"

namespace pelto5 {

void InstallDefaultFonts() {
  static TFreeTypeFontService service;
  InstallDefaultFontService(&service);
}

void InstallDefaultFonts(std::unique_ptr<TFaceLocator> locator) {
  static TFreeTypeFontService service(std::move(locator));
  InstallDefaultFontService(&service);
}

}  // namespace pelto5
