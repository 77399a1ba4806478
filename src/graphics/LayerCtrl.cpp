#include "graphics/LayerCtrl.h"

#include "base/MessageTexts.h"
#include "platform/Platform.h"
#include "script/PeltoFile.h"

namespace pelto5 {

const char* const kBackgroundLayerName = "\x94\x77\x8C\x69\x83\x8C\x83\x43\x83\x84\x81\x5B";

namespace {

constexpr const char* kSection = "LayerList";

}  // namespace

void TLayerCtrl::Load(TPeltoFile* file) {
  File = file;
  Reload();
}

std::string TLayerCtrl::GetSectionName(int number, int kind) const {
  static const char* const kSuffixes[] = {".LayerName", ".FileName", ".Attr", ".Left", ".Top"};
  const std::string base = "Layer." + std::to_string(number);
  if (kind < 0 || kind > 4) {
    Platform().MessageBox(msg::kBadLayerKind, TMessageIcon::Error, TMessageButtons::Ok);
    return base;
  }
  return base + kSuffixes[kind];
}

void TLayerCtrl::Reload() {
  LayerCount = 1;
  if (File) LayerCount = File->ReadInteger(kSection, "LayerCount", 1);
  // The table has room for 32 records; counts outside 1..32 are limited.
  if (LayerCount < 1) LayerCount = 1;
  if (LayerCount > kMaxLayers) LayerCount = kMaxLayers;
  for (int n = 1; n < LayerCount; ++n) {
    TLayerInfo& info = Layers[n];
    info.LayerName = File->ReadString(kSection, GetSectionName(n, 0), "noname");
    info.FileName = File->ReadString(kSection, GetSectionName(n, 1), "");
    info.Attr = File->ReadBool(kSection, GetSectionName(n, 2), false);
    info.Left = File->ReadInteger(kSection, GetSectionName(n, 3), 0);
    info.Top = File->ReadInteger(kSection, GetSectionName(n, 4), 0);
  }
  Layers[0] = TLayerInfo{kBackgroundLayerName, "", true, 0, 0};
  LayerNames.clear();
  for (int n = LayerCount - 1; n >= 0; --n) LayerNames.push_back(Layers[n].LayerName);
}

}  // namespace pelto5
