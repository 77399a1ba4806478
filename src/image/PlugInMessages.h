// The messages between the player and its plug-in helper process. Each
// request names the plug-in by its path (the helper loads a plug-in the
// first time it is named) and asks one thing of it; the answer comes back
// on the same connection. Pictures travel through the shared memory block:
// the data to decode at kPlugInInputOffset, the result's two blocks after
// it, where the answer says. Before each plug-in call of a decode the
// helper writes which call it is into the block's first byte, so that the
// player can name the call a helper died in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelto5 {

enum class TPlugInCall : uint8_t {
  Describe = 1,  // load it and read its information texts
  // IsSupported on the data, then GetPicture when it says yes: one round
  // trip per picture.
  GetPicture = 2,
};

// The first byte of the shared block during a decode.
enum class TPlugInStage : uint8_t { None = 0, IsSupported = 1, GetPicture = 2 };
// Where the data to decode starts in the shared block.
constexpr uint64_t kPlugInInputOffset = 16;
// The first message of a helper, once it is ready for requests.
constexpr std::string_view kPlugInHelperReady = "ready";

struct TPlugInRequest {
  TPlugInCall Call = TPlugInCall::Describe;
  std::string Path;
  uint64_t InputSize = 0;  // GetPicture: bytes at kPlugInInputOffset
};

struct TPlugInAnswer {
  // Describe: it loaded and has GetPluginInfo. GetPicture: it accepted the
  // picture and decoded it.
  bool Ok = false;
  // Describe: the texts 0, 1, 3 and 2, and whether it can decode.
  std::string ApiVersion;
  std::string Description;
  std::string FormatName;
  std::string Extensions;
  bool Usable = false;
  // GetPicture: where the info block and the bits lie in the shared block.
  uint64_t InfoOffset = 0;
  uint64_t InfoSize = 0;
  uint64_t BitsOffset = 0;
  uint64_t BitsSize = 0;
};

// The largest messages either side accepts.
constexpr size_t kPlugInRequestMaxSize = 16 * 1024;
constexpr size_t kPlugInAnswerMaxSize = 4 * 1024;

std::string EncodePlugInRequest(const TPlugInRequest& request);
// False for anything that is not a whole, well-formed request.
[[nodiscard]] bool DecodePlugInRequest(std::string_view message, TPlugInRequest& request);
// The answer to a request of the given call.
std::string EncodePlugInAnswer(TPlugInCall call, const TPlugInAnswer& answer);
[[nodiscard]] bool DecodePlugInAnswer(TPlugInCall call, std::string_view message, TPlugInAnswer& answer);

}  // namespace pelto5
