// What the screen controller takes from the running scenario: the script
// header (window sections), the font to fall back on, the configured layer
// names, the pacing of message reveals and the pictures by file name. The
// content access controller implements it.
#pragma once

#include <string>

#include "base/KeyValueList.h"
#include "graphics/ImageSource.h"

namespace pelto5 {

class TPeltoFile;
class TMessagePacing;

class TScreenHost : public TImageSource {
 public:
  virtual TPeltoFile& ScriptFile() = 0;
  virtual const std::string& DefaultFontName() const = 0;
  // The layer names of the header's layer configuration, in order.
  virtual const TStringList& ConfiguredLayerNames() const = 0;
  virtual TMessagePacing& MessagePacing() = 0;
};

}  // namespace pelto5
