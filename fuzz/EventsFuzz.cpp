// libFuzzer target: any bytes as a headless events file. A file that does
// not parse must say which line is wrong; one that parses must parse again
// the same way.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/headless/HeadlessPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelto5;
  const std::string text(reinterpret_cast<const char*>(data), size);
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform first(options);
  THeadlessPlatform second(options);
  const TResult parsed = first.ParseEvents(text);
  if (!parsed && parsed.Reason().empty()) std::abort();
  const TResult again = second.ParseEvents(text);
  if (static_cast<bool>(again) != static_cast<bool>(parsed) || again.Reason() != parsed.Reason()) std::abort();
  return 0;
}
