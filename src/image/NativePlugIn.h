// One native image plug-in loaded into this process: a ".spi" shared
// object exporting the entry points of include/pelto5/spi.h, seen through
// the decoder interface. IsSupported gets a zero-filled 2 KB probe of the
// data; a successful GetPicture result becomes a picture through the
// bitmap reader, which refuses nonsense sizes and bits shorter than the
// rows need. The player itself never loads a plug-in: its helper process
// does (TPlugInHostServer), and only the result's blocks come back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <pelto5/spi.h>

#include "image/ImageDecoder.h"
#include "platform/SharedLibrary.h"

namespace pelto5 {

class TNativePlugIn : public TImageDecoder {
 public:
  // Bytes of the probe handed to IsSupported.
  static constexpr size_t kProbeSize = 2048;

  // The entry points, in the plug-ins' calling convention (stdcall on
  // 32-bit Windows).
  using TGetPluginInfo = int32_t(SPI_CALL*)(int32_t, char*, int32_t);
  using TIsSupported = int32_t(SPI_CALL*)(const char*, const void*);
  using TProgress = SpiProgressCallback;
  using TGetPicture = int32_t(SPI_CALL*)(const char*, intptr_t, uint32_t, void**, void**, TProgress, intptr_t);
  using TFreePicture = void(SPI_CALL*)(void*);

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

  // Receives the blocks of a GetPicture result; its answer is the call's.
  using TResultSink = std::function<bool(std::string_view info, std::string_view bits)>;
  // Calls GetPicture on data. When it succeeds with a header of a sensible
  // size, sink gets the info block as long as the header says
  // (InfoBlockSize) and the bits as long as biSizeImage; the plug-in's
  // blocks are taken on trust to be that long, unless they are local
  // memory handles (Windows, no FreePicture), whose length is known. The
  // blocks are released afterwards whatever happened.
  [[nodiscard]] bool GetPictureBlocks(std::string_view data, const TResultSink& sink);

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
  // The length of the info block whose first 40 bytes are header: the
  // header, the colour masks and the colour table it describes. 0 for a
  // header size below 40 or above 124 bytes.
  static size_t InfoBlockSize(std::string_view header);
  // Bytes of the header every info block starts with.
  static constexpr size_t kInfoHeaderSize = 40;

 private:
  std::string InfoText(int32_t index) const;

  TSharedLibrary FLibrary;
  TGetPluginInfo FGetPluginInfo = nullptr;
  TIsSupported FIsSupported = nullptr;
  TGetPicture FGetPicture = nullptr;
  TFreePicture FFreePicture = nullptr;
};

}  // namespace pelto5
