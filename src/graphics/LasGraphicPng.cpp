// PNG loading of TLasGraphic: the PNG decoder does the work; the surface
// takes the picture over only when the whole image decoded, so a corrupt
// file leaves the surface as it was.
#include "content/PackageReader.h"
#include "graphics/LasGraphic.h"
#include "image/PngDecoder.h"
#include "platform/FileSystem.h"
#include "base/SjisText.h"

namespace pelto5 {

void TLasGraphic::TakePicture(TPicture&& picture) {
  // The alpha kind comes from the new picture alone: an opaque picture
  // after a translucent one in the same surface is opaque again.
  TAlphaType type = TAlphaType::None;
  if (picture.Alpha == TPictureAlpha::Mask) type = TAlphaType::Mask;
  if (picture.Alpha == TPictureAlpha::Blend) type = TAlphaType::Blend;
  SetAlphaType(type);
  FWidth = picture.Width;
  FHeight = picture.Height;
  FPixels = std::move(picture.Pixels);
  FAlpha.clear();
  if (FAlphaType != TAlphaType::None) {
    FAlpha.resize(FPixels.size());
    if (picture.HasAlpha()) {
      for (size_t i = 0; i < FPixels.size(); ++i) FAlpha[i] = static_cast<uint8_t>(FPixels[i] >> 24);
    } else {
      std::fill(FAlpha.begin(), FAlpha.end(), uint8_t{255});
    }
  }
}

bool TLasGraphic::LoadPngFromMemory(std::string_view data) {
  TPicture picture;
  if (!DecodePng(data, picture)) return false;
  TakePicture(std::move(picture));
  return true;
}

bool TLasGraphic::LoadFromFile(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  if (!sjis::SameText(std::string_view(fileName).substr(dot), ".png")) return false;
  std::string data;
  if (!TFileSystem::ReadFile(fileName, data)) return false;
  return LoadPngFromMemory(data);
}

bool TLasGraphic::LoadPngFromPackage(std::string_view entryName, PackageReader& package) {
  std::string data;
  if (!ExtractEntry(package, entryName, data)) return false;
  return LoadPngFromMemory(data);
}

}  // namespace pelto5
