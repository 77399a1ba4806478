// The versions of the libraries this build of the player uses, for
// --version: one "name version" line each, the run-time version where the
// library tells it, else the version it was built against.
#pragma once

#include <string>

namespace pelto5 {

class TLibraryVersions {
 public:
  static std::string Text();
};

}  // namespace pelto5
