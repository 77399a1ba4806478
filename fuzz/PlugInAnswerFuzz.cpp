// libFuzzer target: the plug-in helper's answers as the player reads them.
// The first byte picks the call the answer is for; the rest is the
// message. A GetPicture answer that reads is then applied to a shared block
// of 256 bytes (a 2 x 2 picture of 24 bits at its start): the player must
// never read outside the block, whatever the offsets and sizes say.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/PlugInHost.h"
#include "image/PlugInMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelto5;
  if (size < 1 || data[0] < 1 || data[0] > 3) return 0;
  const auto call = static_cast<TPlugInCall>(data[0]);
  const std::string_view message(reinterpret_cast<const char*>(data + 1), size - 1);
  TPlugInAnswer answer;
  if (!DecodePlugInAnswer(call, message, answer) || call != TPlugInCall::GetPicture) return 0;
  // A separate allocation of exactly the block, so that the sanitizers see
  // a read past it.
  std::vector<uint8_t> block(256, 0);
  const uint8_t header[] = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0};
  for (size_t i = 0; i < sizeof header; ++i) block[i] = header[i];
  std::string scratch;
  TPicture picture;
  (void)TPlugInHost::ReadResult(block.data(), block.size(), answer, scratch, picture);
  return 0;
}
