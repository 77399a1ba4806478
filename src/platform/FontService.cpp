#include "platform/FontService.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/fonts/FreeTypeFontService.h"

namespace pelto5 {

namespace {

TFontService* gInstalledService = nullptr;

TFontService& DefaultService() {
  static TFreeTypeFontService service;
  return service;
}

}  // namespace

int FontEmPixels(int pointSize) {
  const long magnitude = std::labs(static_cast<long>(pointSize));
  const long em = (magnitude * 96 + 36) / 72;
  return static_cast<int>(std::clamp(em, 1L, 1000L));
}

TFontService& FontService() { return gInstalledService ? *gInstalledService : DefaultService(); }

void InstallFontService(TFontService* service) { gInstalledService = service; }

}  // namespace pelto5
