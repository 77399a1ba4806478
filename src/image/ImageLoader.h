// TImageLoader: pictures by file name. It looks a name up in the content
// sources (the open save, then the package, or the disk when no package is
// open, then the runtime library), decodes what it finds through the image
// decoder table, and keeps the list of native plug-ins, loaded on the first
// picture that needs them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "image/DecodedImage.h"
#include "image/ImageDecoderTable.h"
#include "image/SusiePlugIn.h"

namespace pelto5 {

class TContentSources;

class TImageLoader {
 public:
  // Shows the user a warning a decoder left (the loader never does).
  using TWarningHandler = std::function<void(const std::string& text)>;

  // sources outlives the loader.
  explicit TImageLoader(TContentSources& sources);
  ~TImageLoader();
  TImageLoader(const TImageLoader&) = delete;
  TImageLoader& operator=(const TImageLoader&) = delete;

  // Where decoders' warnings go, each the moment its decoder returns; they
  // are dropped while there is none.
  void SetWarningHandler(TWarningHandler handler) { FWarningHandler = std::move(handler); }

  // The picture called name from the first source that has it and whose
  // copy decodes; a copy that does not decode lets the next source try.
  // False, image untouched, when none gives a picture.
  [[nodiscard]] bool LoadImage(const std::string& name, TDecodedImage& image);
  // Whether a source LoadImage searches holds a file of that name,
  // decodable or not.
  [[nodiscard]] bool ImageExists(const std::string& name) const;

  // Loads (true) or releases (false) the native plug-ins; nothing happens
  // when they are already in the requested state.
  void SetPlugInsLoaded(bool loaded);
  [[nodiscard]] bool PlugInsLoaded() const { return FPlugInsLoaded; }
  // The folders searched for ".spi" plug-ins, in order: the content's, the
  // player's, those of $PELTO5_PLUGIN_PATH, the installed plug-in folder.
  std::vector<std::string> PlugInFolders() const;

  const TSusiePlugIn& PlugIns() const { return FSusiePlugIn; }
  const TImageDecoderTable& DecoderTable() const { return FDecoderTable; }

 private:
  [[nodiscard]] bool Decode(const std::string& name, std::string_view bytes, TDecodedImage& image);

  TContentSources& FSources;
  // Declared before the table that lists its plug-ins, so destroyed after it.
  TSusiePlugIn FSusiePlugIn;
  TImageDecoderTable FDecoderTable;
  bool FPlugInsLoaded = false;
  TWarningHandler FWarningHandler;
};

}  // namespace pelto5
