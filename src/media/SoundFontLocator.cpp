#include "media/SoundFontLocator.h"
#include "base/NativeFile.h"

#include <cstdlib>
#include <fstream>

namespace pelto5 {

namespace {

// The system's choice first (Debian's "default-GM.sf2" alternative points
// at the best GM font installed), then the packaged fonts by name: the small
// TimGM6mb (timgm6mb-soundfont) and the large FluidR3 (fluid-soundfont-gm).
constexpr const char* kInstalledFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

}  // namespace

std::vector<std::string> TSoundFontLocator::Candidates() {
  std::vector<std::string> paths;
  if (const char* list = std::getenv("SDL_SOUNDFONTS")) {
    std::string entry;
    for (const char* c = list;; ++c) {
      if (*c == ';' || *c == '\0') {
        if (!entry.empty()) paths.push_back(entry);
        entry.clear();
        if (*c == '\0') break;
      } else {
        entry += *c;
      }
    }
  }
  for (const char* path : kInstalledFonts) paths.emplace_back(path);
  return paths;
}

bool TSoundFontLocator::IsSoundFont(const std::string& path) {
  std::ifstream in(native::Path(path), std::ios::binary);
  char head[12] = {};
  if (!in.read(head, sizeof head)) return false;
  return std::string(head, 4) == "RIFF" && std::string(head + 8, 4) == "sfbk";
}

std::string TSoundFontLocator::Find() {
  for (const std::string& path : Candidates()) {
    if (IsSoundFont(path)) return path;
  }
  return "";
}

}  // namespace pelto5
