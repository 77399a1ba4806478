// Where the General MIDI sound font for playing MIDI files is: the first
// usable entry of SDL_SOUNDFONTS (paths separated by ";", as SDL_mixer
// reads it) when the user has set it, else the system's default GM sound
// font, else one of the fonts Debian packages install.
#pragma once

#include <string>
#include <vector>

namespace pelto5 {

class TSoundFontLocator {
 public:
  // The sound font to use, or "" when none is installed.
  static std::string Find();
  // The places tried, in order (SDL_SOUNDFONTS entries first).
  static std::vector<std::string> Candidates();
  // True if path is a readable SoundFont 2 file.
  [[nodiscard]] static bool IsSoundFont(const std::string& path);
};

}  // namespace pelto5
