#include "platform/Platform.h"

#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {

namespace {

TPlatform* gPlatform = nullptr;

THeadlessOptions QuietOptions() {
  THeadlessOptions options;
  options.EchoToStderr = false;
  return options;
}

TPlatform& QuietFallback() {
  static THeadlessPlatform fallback(QuietOptions());
  return fallback;
}

}  // namespace

TPlatform& Platform() { return gPlatform ? *gPlatform : QuietFallback(); }

void InstallPlatform(TPlatform* platform) { gPlatform = platform; }

}  // namespace pelto5
