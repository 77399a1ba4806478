#include "audio/MusicCommands.h"

#include <string>

#include "audio/MusicCtrl.h"
#include "content/ContentSources.h"
#include <cstdint>

#include "script/CommandKeys.h"
#include "script/PeltoCommand.h"

namespace pelto5 {

TMusicCommands::TMusicCommands(const TContentSources& sources, TMusicCtrl& music)
    : FSources(sources), FMusic(music) {}

bool TMusicCommands::DoMusic(TPeltoCommand& command) {
  const std::string name = command.ReadString(cmdkey::MusicFileName);
  const std::string path = FSources.FindDataFile(name);
  const int32_t loop = command.ReadInteger(cmdkey::MusicLoop);
  if (path != kNoEntry) FMusic.PlayMusic(path, loop, name);
  return true;
}

bool TMusicCommands::DoSound(TPeltoCommand& command) {
  const std::string path = FSources.FindDataFile(command.ReadString(cmdkey::SoundFileName));
  int32_t mode = 2;
  if (command.ReadBool(cmdkey::SoundWait)) {
    mode = 0;
  } else if (command.ReadBool(cmdkey::SoundProtect)) {
    mode = 1;
  }
  if (path != kNoEntry) FMusic.PlaySound(path, mode);
  return true;
}

bool TMusicCommands::DoMusicStop(TPeltoCommand&) {
  FMusic.StopMusic();
  return true;
}

}  // namespace pelto5
