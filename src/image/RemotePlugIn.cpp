#include "image/RemotePlugIn.h"

#include "image/PlugInHost.h"

namespace pelto5 {

TRemotePlugIn::TRemotePlugIn(TPlugInHost& host, std::string path, std::string formatName)
    : FHost(host), FPath(std::move(path)), FFormatName(std::move(formatName)) {}

bool TRemotePlugIn::IsSupported(std::string_view data) const { return !data.empty(); }

TDecodeResult TRemotePlugIn::Decode(std::string_view data, TPicture& picture) {
  return TDecodeResult::Of(FHost.GetPicture(FPath, data, picture));
}

}  // namespace pelto5
