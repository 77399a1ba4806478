// The backends every program built from the engine needs besides the
// player (the tests, benchmarks, fuzz targets and pelto5-pack): the quiet
// headless instance that answers while no platform is installed, and the
// FreeType fonts. The player's main() sets up the same itself; this file is
// linked into the others, and sets them up before main() runs.
#include "platform/fonts/FontDefaults.h"
#include "platform/headless/HeadlessDefaults.h"

namespace pelto5 {

namespace {

const bool kSetUp = [] {
  InstallHeadlessDefaults();
  InstallDefaultFonts();
  return true;
}();

}  // namespace

}  // namespace pelto5
