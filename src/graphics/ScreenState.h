// The main window's picture state in a save container: "layer.info" (one
// record per layer, base layer first), "dynamiclayer.info" (one record per
// dynamic layer, topmost first) and, on request, "_background.bmp" (the
// base layer's pixels, which may hold merged content no file name can
// rebuild). Records are key=value lines closed by "@LayerBorder". Pictures
// other than the background are not stored: a restore reloads them by file
// name and re-renders texts.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/KeyValueList.h"

namespace pelto5 {

class TScreenControl;
class TLasLayer;
class TDynamicLayerList;
struct PackageReader;
struct PackageWriter;

class TScreenState {
 public:
  explicit TScreenState(TScreenControl& screen) : FScreen(screen) {}

  // Writes the entries into an open save container. True when every entry
  // was written; a failing entry does not stop the others.
  [[nodiscard]] bool SaveInfo(PackageWriter& writer, bool withBackground);
  // Reads the entries from an open save container and rebuilds window 0.
  // Composes and paints window 0 only when every part succeeded.
  [[nodiscard]] bool LoadInfo(PackageReader& reader, bool withBackground);

  // The records of window 0 as they are stored.
  TStringList LayerInfo() const;
  TStringList DynamicLayerInfo() const;
  // Applies stored records to window 0.
  void RestoreLayers(const TStringList& lines);
  void RestoreDynamicLayers(const TStringList& lines);
  // Replaces the base layer's picture with a stored BMP; false, picture
  // unchanged, when the bytes are not a readable BMP.
  [[nodiscard]] bool RestoreBackground(std::string_view bmp);

  // The records of a stored list: the lines before each "@LayerBorder".
  // Lines after the last border belong to no record and are ignored.
  static std::vector<TStringList> SplitRecords(const TStringList& lines);

 private:
  void RestoreLayer(TLasLayer& layer, const TStringList& record);
  void RestoreDynamicLayer(const TStringList& record, std::vector<std::unique_ptr<TDynamicLayerList>>& out);

  TScreenControl& FScreen;
};

// Entry names in the save container.
extern const char* const kLayerInfoEntry;
extern const char* const kDynamicLayerInfoEntry;
extern const char* const kBackgroundEntry;
// The line that closes every record.
extern const char* const kLayerBorder;

}  // namespace pelto5
