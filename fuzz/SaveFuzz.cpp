// libFuzzer target: any bytes as a save container. They are opened as a
// value file (its values read, its thumbnail drawn through the content
// access, as a load menu shows it) and loaded as a state save, which
// restores the call stack, the layers and dynamic layers, the music
// settings and the variables; and loaded once more by a legacy-mode script,
// which restores the background picture too.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzPlayer.h"
#include "graphics/LasGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelto5;
  const std::string path = TFuzzPlayer::WriteDataFile("fuzz.sav", data, size);
  {
    TFuzzPlayer player;
    if (player.Save->OpenSaveFile(path, TSaveSystem::ReadMode)) {
      player.Save->ReadSaveValue("Supplement.SaveDate");
      TLasGraphic thumbnail;
      static_cast<void>(player.Access->LoadImage(std::string(TSaveSystem::ThumbnailEntryName), thumbnail));
    }
    static_cast<void>(player.Save->CloseSaveFile());
    static_cast<void>(player.Save->LoadGame(path));
  }
  TFuzzPlayer legacy(true);
  static_cast<void>(legacy.Save->LoadGame(path));
  return 0;
}
