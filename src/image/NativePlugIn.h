// One native image plug-in: a ".spi" shared object exporting the entry
// points of include/pelto5/spi.h, seen through the decoder interface.
// IsSupported gets a zero-filled 2 KB probe of the data; a successful
// GetPicture result becomes a picture through the bitmap reader, which
// refuses nonsense sizes and bits shorter than the rows need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/ImageDecoder.h"
#include "platform/SharedLibrary.h"

namespace pelto5 {

class TNativePlugIn : public TImageDecoder {
 public:
  // Bytes of the probe handed to IsSupported.
  static constexpr size_t kProbeSize = 2048;

  using TGetPluginInfo = int32_t (*)(int32_t, char*, int32_t);
  using TIsSupported = int32_t (*)(const char*, const void*);
  using TProgress = int32_t (*)(int32_t, int32_t, intptr_t);
  using TGetPicture = int32_t (*)(const char*, intptr_t, uint32_t, void**, void**, TProgress, intptr_t);
  using TFreePicture = void (*)(void*);

  // Loads the library and reads its information texts (0, 1, 3, 2). False
  // if it does not load or has no GetPluginInfo; the texts are read even
  // when the version is not "00IN", so the caller can judge.
  [[nodiscard]] bool Load(const std::string& path);
  // Whether the plug-in can be used to decode: version "00IN" and both
  // IsSupported and GetPicture exported.
  [[nodiscard]] bool Usable() const;

  std::string FormatName() const override { return FFormatName; }
  [[nodiscard]] bool IsSupported(std::string_view data) const override;
  TDecodeResult Decode(std::string_view data, TPicture& picture) override;

  std::string ApiVersion;
  std::string Description;
  std::string Extensions;  // upper-cased file masks
  std::string FFormatName;

  // The conversion of a GetPicture result: an info block (the header, the
  // masks and colour table as the header describes them) and the bits
  // (biSizeImage bytes). Separate so that it can be tested and fuzzed
  // without a plug-in. infoAvailable and bitsAvailable bound the blocks
  // when the caller knows their sizes (a plug-in's are taken on trust).
  [[nodiscard]] static bool ConvertResult(const uint8_t* info, size_t infoAvailable, const uint8_t* bits,
                            size_t bitsAvailable, TPicture& picture);

 private:
  std::string InfoText(int32_t index) const;

  TSharedLibrary FLibrary;
  TGetPluginInfo FGetPluginInfo = nullptr;
  TIsSupported FIsSupported = nullptr;
  TGetPicture FGetPicture = nullptr;
  TFreePicture FFreePicture = nullptr;
};

}  // namespace pelto5
