#include "image/ImageDecoderTable.h"

#include "base/SjisText.h"
#include "image/BmpDecoder.h"
#include "image/GifDecoder.h"
#include "image/JpegDecoder.h"
#include "image/M2BC.h"
#include "image/PngDecoder.h"
#include "image/SusiePlugIn.h"

namespace pelto5 {

TImageKind ImageKindOf(const std::string& name) {
  const size_t dot = sjis::FindLastChar(name, '.');
  const std::string ext = dot == std::string::npos ? "" : sjis::UpperAscii(name.substr(dot));
  if (ext == ".PNG") return TImageKind::Png;
  if (ext == ".BMP") return TImageKind::Bmp;
  if (ext == ".MAG") return TImageKind::Mag;
  return TImageKind::Other;
}

bool TImageDecoderEntry::Serves(TImageKind name) const {
  return Kind == name || (Kind == TImageKind::Other && name == TImageKind::Mag);
}

TImageDecoderTable::TImageDecoderTable(const TSusiePlugIn& plugIns) : FPlugIns(plugIns) {
  Add(std::make_unique<TPngDecoder>(), TImageKind::Png, TAlphaRule::FromPicture);
  Add(std::make_unique<TBmpDecoder>(), TImageKind::Bmp, TAlphaRule::Opaque);
  Add(std::make_unique<TM2BC>(), TImageKind::Mag, TAlphaRule::Opaque);
  // The plug-in route starts with the player's own decoders, as if they
  // were plug-ins found first.
  Add(std::make_unique<TJpegDecoder>(), TImageKind::Other, TAlphaRule::Opaque);
  Add(std::make_unique<TGifDecoder>(), TImageKind::Other, TAlphaRule::Opaque);
}

TImageDecoderTable::~TImageDecoderTable() = default;

void TImageDecoderTable::Add(std::unique_ptr<TImageDecoder> decoder, TImageKind kind, TAlphaRule alpha) {
  FBuiltIns.push_back({decoder.get(), kind, alpha, nullptr});
  FDecoders.push_back(std::move(decoder));
}

TImageDecoderEntry TImageDecoderTable::PlugInEntry(int index) const {
  const TSusiePlugInRecord* record = FPlugIns.GetPlugInInfo(index);
  return {record->Decoder.get(), TImageKind::Other, TAlphaRule::Opaque, record};
}

std::vector<TImageDecoderEntry> TImageDecoderTable::Entries() const {
  std::vector<TImageDecoderEntry> entries = FBuiltIns;
  for (int i = 0; i < FPlugIns.GetPlugNum(); ++i) entries.push_back(PlugInEntry(i));
  return entries;
}

bool TImageDecoderTable::Decode(const std::string& name, std::string_view data, TDecodedImage& image,
                                const TPreparePlugIns& preparePlugIns, const TWarning& warning) {
  const TImageKind kind = ImageKindOf(name);
  bool prepared = false;
  auto tryEntry = [&](const TImageDecoderEntry& entry) {
    if (!entry.Serves(kind)) return false;
    const bool plugInRoute = entry.Kind == TImageKind::Other;
    if (plugInRoute && !prepared) {
      prepared = true;
      if (preparePlugIns) preparePlugIns();
    }
    // Nothing on the plug-in route is handed empty data.
    if (plugInRoute && data.empty()) return false;
    if (!entry.Decoder->IsSupported(data)) return false;
    const TDecodeResult result = entry.Decoder->Decode(data, image.Picture);
    if (!result) {
      if (!result.Warning.empty() && warning) warning(result.Warning);
      return false;
    }
    image.Alpha = entry.Alpha;
    return true;
  };
  for (const TImageDecoderEntry& entry : FBuiltIns) {
    if (tryEntry(entry)) return true;
  }
  // Counted after the route was prepared: the native plug-ins it loaded.
  for (int i = 0; i < FPlugIns.GetPlugNum(); ++i) {
    if (tryEntry(PlugInEntry(i))) return true;
  }
  return false;
}

}  // namespace pelto5
