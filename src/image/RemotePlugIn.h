// One native image plug-in as the player sees it: the decoder interface
// over the plug-in helper process, which loads the plug-in and runs its
// IsSupported and GetPicture (see TPlugInHost).
//
// IsSupported asks nothing of the helper and accepts any data: the
// plug-in's own IsSupported runs in the helper as the first step of
// Decode, which saves a round trip per picture. A picture the plug-in
// declines fails Decode, and every caller treats that as it treats a
// decline: the next decoder is asked.
#pragma once

#include <string>
#include <string_view>

#include "image/ImageDecoder.h"

namespace pelto5 {

class TPlugInHost;

class TRemotePlugIn : public TImageDecoder {
 public:
  // host outlives the decoder; path is the plug-in's file.
  TRemotePlugIn(TPlugInHost& host, std::string path, std::string formatName);

  std::string FormatName() const override { return FFormatName; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override;

 private:
  TPlugInHost& FHost;
  std::string FPath;
  std::string FFormatName;
};

}  // namespace pelto5
