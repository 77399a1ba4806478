#include "platform/FontService.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace pelto5 {

namespace {

TFontService* gInstalledService = nullptr;
TFontService* gDefaultService = nullptr;

TFontService& DefaultService() {
  if (gDefaultService == nullptr) {
    // A program that draws text without having set up its fonts is wrong
    // from the start; say so rather than draw nothing.
    std::fputs("pelto5: no font service was set up\n", stderr);
    std::abort();
  }
  return *gDefaultService;
}

}  // namespace

int FontEmPixels(int pointSize) {
  const long magnitude = std::labs(static_cast<long>(pointSize));
  const long em = (magnitude * 96 + 36) / 72;
  return static_cast<int>(std::clamp(em, 1L, 1000L));
}

TFontService& FontService() { return gInstalledService ? *gInstalledService : DefaultService(); }

void InstallFontService(TFontService* service) { gInstalledService = service; }

void InstallDefaultFontService(TFontService* service) { gDefaultService = service; }

}  // namespace pelto5
