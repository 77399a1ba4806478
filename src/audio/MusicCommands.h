// The handlers of "@Music", "@Sound" and "@MusicStop". File names are
// looked up on disk (data directory, then content directory), never in a
// package; a file that is in neither makes the command do nothing. All
// three let the next command run in the same tick.
#pragma once

namespace pelto5 {

class TContentSources;
class TPeltoCommand;
class TMusicCtrl;

class TMusicCommands {
 public:
  TMusicCommands(const TContentSources& sources, TMusicCtrl& music);

  // "Music.FileName", "Music.Loop" (plays in all, 0 = without end).
  [[nodiscard]] bool DoMusic(TPeltoCommand& command);
  // "Sound.FileName", "Sound.Wait" (hold the script until the sound ends),
  // "Sound.Protect" (the next sound waits for this one; the default).
  [[nodiscard]] bool DoSound(TPeltoCommand& command);
  [[nodiscard]] bool DoMusicStop(TPeltoCommand& command);

 private:
  const TContentSources& FSources;
  TMusicCtrl& FMusic;
};

}  // namespace pelto5
