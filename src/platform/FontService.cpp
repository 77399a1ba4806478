#include "platform/FontService.h"

#include <algorithm>
#include <cstdint>
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
  // 64 bits whatever long is (32 on Windows): any int size scales exactly.
  const int64_t magnitude = pointSize < 0 ? -static_cast<int64_t>(pointSize) : pointSize;
  const int64_t em = (magnitude * 96 + 36) / 72;
  return static_cast<int>(std::clamp<int64_t>(em, 1, 1000));
}

TFontService& FontService() { return gInstalledService ? *gInstalledService : DefaultService(); }

void InstallFontService(TFontService* service) { gInstalledService = service; }

void InstallDefaultFontService(TFontService* service) { gDefaultService = service; }

}  // namespace pelto5
