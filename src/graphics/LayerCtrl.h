// The layer configuration of the main window: the named layers a script
// declares in its header section "LayerList", between the background layer
// and the text layer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/KeyValueList.h"

namespace pelto5 {

class TPeltoFile;

struct TLayerInfo {
  std::string LayerName;
  std::string FileName;
  bool Attr = false;
  int32_t Left = 0;
  int32_t Top = 0;
};

class TLayerCtrl {
 public:
  static constexpr int kMaxLayers = 32;

  // Remembers the script and reads the section.
  void Load(TPeltoFile* file);
  // Reads the section again from the remembered script.
  void Reload();
  // "Layer." + number + the suffix of kind (0 ".LayerName", 1 ".FileName",
  // 2 ".Attr", 3 ".Left", 4 ".Top").
  std::string GetSectionName(int number, int kind) const;

  TPeltoFile* File = nullptr;
  int LayerCount = 0;
  std::array<TLayerInfo, kMaxLayers> Layers;
  // Names in reverse record order: the last configured layer first, the
  // background layer last.
  TStringList LayerNames;
};

// "背景レイヤー", the background layer's name.
extern const char* const kBackgroundLayerName;

}  // namespace pelto5
