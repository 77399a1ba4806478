#include "platform/headless/HeadlessDefaults.h"

#include <memory>

#include "platform/headless/HeadlessPlatform.h"

namespace pelto5 {

namespace {

THeadlessOptions QuietOptions(TMessageResult answer) {
  THeadlessOptions options;
  options.EchoToStderr = false;
  options.Answer = answer;
  return options;
}

std::unique_ptr<TPlatform> CreateQuiet(TMessageResult answer) {
  return std::make_unique<THeadlessPlatform>(QuietOptions(answer));
}

}  // namespace

void InstallHeadlessDefaults() {
  static THeadlessPlatform fallback([] {
    THeadlessOptions options;
    options.EchoToStderr = false;
    return options;
  }());
  InstallFallbackPlatform(&fallback);
  InstallQuietPlatformFactory(CreateQuiet);
}

}  // namespace pelto5
