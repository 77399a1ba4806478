// The music controller on the headless audio channel: looping music driven
// by PollMusic, stopping, sound modes and the sound wait on the virtual
// clock, the music and sound switches, volumes, and the music state carried
// through a real save container.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/MusicCtrl.h"
#include "audio/MusicTestSupport.h"
#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

using Lines = std::vector<std::string>;

class MusicCtrlTest : public ::testing::Test {
 protected:
  std::string Wav(const std::string& name, uint32_t ms) { return FDir.Write(name, WaveOfMs(ms)); }
  void Advance(uint32_t ms) { FPlatform->AdvanceClock(ms); }
  // Polls once per 100 ms of virtual time, as the main loop's steps would.
  void RunFor(TMusicCtrl& music, uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 100) {
      Advance(100);
      music.PollMusic();
    }
  }

  TTempDir FDir;
  TTracedPlatform FPlatform;
};

TEST_F(MusicCtrlTest, LoopCountPlaysTheTrackThatManyTimesThenStops) {
  const std::string theme = Wav("theme.wav", 1000);
  TMusicCtrl music;
  EXPECT_TRUE(music.PlayMusic(theme, 2));
  music.PollMusic();
  RunFor(music, 900);
  EXPECT_EQ(FPlatform.AudioLines(),
            (Lines{"0 music open theme.wav 1000ms", "0 music volume 0", "0 music play"}));
  RunFor(music, 100);  // first play ends at 1000
  EXPECT_TRUE(music.MusicPlaying());
  EXPECT_EQ(music.MusicLoop(), 1);
  RunFor(music, 1000);  // second play ends at 2000: the track is stopped
  EXPECT_FALSE(music.MusicPlaying());
  EXPECT_EQ(music.MusicLoop(), 0);
  EXPECT_EQ(music.MusicFileName(), theme) << "the file name stays after a stop";
  RunFor(music, 3000);
  EXPECT_EQ(FPlatform.AudioLines(), (Lines{"0 music open theme.wav 1000ms", "0 music volume 0", "0 music play",
                                           "1000 music rewind", "2000 music stop"}));
}

TEST_F(MusicCtrlTest, LoopCountZeroRepeatsUntilStopped) {
  TMusicCtrl music;
  music.PlayMusic(Wav("theme.wav", 500), 0);
  RunFor(music, 2000);
  EXPECT_TRUE(music.MusicPlaying());
  music.StopMusic();
  EXPECT_FALSE(music.MusicPlaying());
  RunFor(music, 1000);
  EXPECT_EQ(FPlatform.AudioLines(),
            (Lines{"0 music open theme.wav 500ms", "0 music volume 0", "0 music play", "500 music rewind",
                   "1000 music rewind", "1500 music rewind", "2000 music rewind", "2000 music stop"}));
}

TEST_F(MusicCtrlTest, NewMusicReplacesTheTrackAndAMissingFileIsStillRemembered) {
  TMusicCtrl music;
  music.PlayMusic(Wav("a.wav", 1000), 0);
  Advance(300);
  music.PlayMusic(Wav("b.wav", 1000), 3);
  EXPECT_EQ(FPlatform.AudioLines().at(3), "300 music stop");
  EXPECT_EQ(FPlatform.AudioLines().at(4), "300 music open b.wav 1000ms");
  const std::string gone = FDir.Path() + "/gone.wav";
  EXPECT_FALSE(music.PlayMusic(gone, 2));
  EXPECT_TRUE(music.MusicPlaying());
  EXPECT_EQ(music.MusicFileName(), gone);
  EXPECT_EQ(music.MusicLoop(), 2);
}

TEST_F(MusicCtrlTest, WaitedSoundAdvancesTheClockAndEndsIdle) {
  TMusicCtrl music;
  music.PlaySound(Wav("bell.wav", 1000), 0);
  EXPECT_EQ(FPlatform->GetTickCount(), 1000u);
  EXPECT_FALSE(music.SoundPlaying());
  EXPECT_EQ(music.SoundMode(), 2);
  // The channel is looked at every 100 ms: a 250 ms sound holds 300 ms.
  music.PlaySound(Wav("tick.wav", 250), 0);
  EXPECT_EQ(FPlatform->GetTickCount(), 1300u);
  EXPECT_EQ(FPlatform.AudioLines().back(), "1300 sound stop");
}

TEST_F(MusicCtrlTest, ProtectedSoundMakesTheNextOneWaitAndUnprotectedIsCutOff) {
  TMusicCtrl music;
  const std::string one = Wav("one.wav", 800);
  const std::string two = Wav("two.wav", 800);
  music.PlaySound(one, 1);
  EXPECT_EQ(FPlatform->GetTickCount(), 0u) << "protection does not hold the sound's own command";
  EXPECT_TRUE(music.SoundPlaying());
  music.PlaySound(two, 2);
  EXPECT_EQ(FPlatform->GetTickCount(), 800u);
  EXPECT_EQ(FPlatform.AudioLines().back(), "800 sound play");
  music.PlaySound(one, 1);
  EXPECT_EQ(FPlatform->GetTickCount(), 800u) << "mode 2 is cut off at once";
  // A protected sound that has already ended holds nothing.
  Advance(5000);
  music.PlaySound(two, 1);
  EXPECT_EQ(FPlatform->GetTickCount(), 5800u);
}

TEST_F(MusicCtrlTest, SoundWaitServesInputAndEndsWhenTheApplicationQuits) {
  THeadlessEvent quit;
  quit.Time = 300;
  quit.Kind = THeadlessEvent::TKind::Quit;
  FPlatform->AddEvent(quit);
  TMusicCtrl music;
  music.PlaySound(Wav("long.wav", 60000), 0);
  EXPECT_TRUE(FPlatform->Terminated());
  EXPECT_LT(FPlatform->GetTickCount(), 1000u);
  EXPECT_FALSE(music.SoundPlaying());
}

TEST_F(MusicCtrlTest, MissingSoundStartsNothing) {
  TMusicCtrl music;
  music.PlaySound(FDir.Path() + "/none.wav", 0);
  EXPECT_FALSE(music.SoundPlaying());
  EXPECT_EQ(music.SoundMode(), 2);
  EXPECT_EQ(FPlatform->GetTickCount(), 0u);
}

TEST_F(MusicCtrlTest, MusicSwitchedOffRemembersTheTrackAndItsLoops) {
  TMusicCtrl music;
  music.SetMusicEnabled(false);
  EXPECT_TRUE(music.PlayMusic(Wav("theme.wav", 500), 2));
  RunFor(music, 3000);
  EXPECT_TRUE(FPlatform.AudioLines().empty()) << "nothing is opened while music is off";
  EXPECT_EQ(music.MusicLoop(), 2) << "loops are not used up while music is off";
  music.StopMusic();  // no effect while music is off
  EXPECT_TRUE(music.MusicPlaying());
  music.SetMusicEnabled(true);
  RunFor(music, 2000);
  EXPECT_FALSE(music.MusicPlaying()) << "played twice after switching on";
  EXPECT_EQ(FPlatform.AudioLines(),
            (Lines{"3000 music open theme.wav 500ms", "3000 music volume 0", "3000 music play",
                   "3500 music rewind", "4000 music stop"}));
}

TEST_F(MusicCtrlTest, SwitchingMusicOffStopsTheChannelButKeepsThePlayingState) {
  TMusicCtrl music;
  music.PlayMusic(Wav("theme.wav", 500), 0);
  Advance(200);
  music.SetMusicEnabled(false);
  EXPECT_TRUE(music.MusicPlaying());
  EXPECT_EQ(FPlatform.AudioLines().back(), "200 music stop");
  RunFor(music, 1000);
  EXPECT_EQ(FPlatform.AudioLines().back(), "200 music stop");
  music.SetMusicEnabled(true);
  EXPECT_EQ(FPlatform.AudioLines().back(), "1200 music play") << "restarts from the beginning";
}

TEST_F(MusicCtrlTest, SoundSwitchedOffNeitherPlaysNorCutsOff) {
  TMusicCtrl music;
  music.PlaySound(Wav("a.wav", 1000), 2);
  music.FUseSound = false;
  music.StopSound();
  EXPECT_TRUE(music.SoundPlaying());
  const size_t before = FPlatform.AudioLines().size();
  music.PlaySound(Wav("b.wav", 1000), 0);
  EXPECT_EQ(FPlatform.AudioLines().size(), before);
  EXPECT_EQ(FPlatform->GetTickCount(), 0u);
}

TEST_F(MusicCtrlTest, VolumesAreStoredAlwaysAndAppliedWhenInRange) {
  TMusicCtrl music;
  EXPECT_FALSE(music.SetMusicVolume(50)) << "no track open yet";
  EXPECT_EQ(music.GetMusicVolume(), 50);
  music.PlayMusic(Wav("theme.wav", 1000), 0);
  EXPECT_EQ(FPlatform.AudioLines().at(1), "0 music volume -5000");
  EXPECT_TRUE(music.SetMusicVolume(0));
  EXPECT_EQ(FPlatform.AudioLines().back(), "0 music volume -10000");
  EXPECT_FALSE(music.SetMusicVolume(150));
  EXPECT_FALSE(music.SetMusicVolume(-1));
  EXPECT_EQ(music.GetMusicVolume(), -1);
  EXPECT_EQ(FPlatform.AudioLines().back(), "0 music volume -10000") << "out of range leaves the level";

  EXPECT_FALSE(music.SetSoundVolume(70));
  music.PlaySound(Wav("bell.wav", 100), 2);
  EXPECT_EQ(FPlatform.AudioLines().at(FPlatform.AudioLines().size() - 2), "0 sound volume -3000");
  EXPECT_EQ(music.GetSoundVolume(), 70);
}

// Writes the list as "savefile.info" of a save container and reads it back.
TStringList ThroughContainer(const std::string& path, const TStringList& list) {
  PackageWriter writer;
  EXPECT_TRUE(SetWriterMagic(writer, "PV5SAVE"));
  EXPECT_TRUE(CreatePackage(writer, path));
  EXPECT_TRUE(AddEntryFromStrings(writer, list, "savefile.info"));
  EXPECT_TRUE(FinishPackage(writer));
  PackageReader reader;
  TStringList loaded;
  EXPECT_TRUE(OpenPackage(path, reader)) << reader.FailureReason;
  EXPECT_TRUE(LoadEntryStrings(reader, "savefile.info", loaded));
  ClosePackage(reader);
  return loaded;
}

TEST_F(MusicCtrlTest, MusicStateTravelsThroughASaveContainer) {
  const std::string theme = Wav("theme.wav", 1000);
  TStringList list = {"Save.Version=1", "Music.Loop=99"};
  {
    TMusicCtrl music;
    music.SetMusicVolume(40);
    music.SetSoundVolume(150);
    music.PlayMusic(theme, 3);
    RunFor(music, 1000);  // one of three plays done
    music.SaveInfo(list);
  }
  EXPECT_EQ(list, (TStringList{"Save.Version=1", "Music.Loop=2", "Music.FileName=" + theme, "Music.Playing=1",
                               "Music.Volume=40", "Sound.Volume=150"}));
  const TStringList loaded = ThroughContainer(FDir.Path() + "/p_save01.sav", list);

  TMusicCtrl music;
  music.PlaySound(Wav("bell.wav", 5000), 2);
  const size_t before = FPlatform.AudioLines().size();
  music.LoadInfo(loaded);
  EXPECT_EQ(music.GetMusicVolume(), 40);
  EXPECT_EQ(music.GetSoundVolume(), 150);
  EXPECT_FALSE(music.SoundPlaying()) << "loading stops the sound";
  EXPECT_TRUE(music.MusicPlaying());
  EXPECT_EQ(music.MusicLoop(), 2);
  const Lines all = FPlatform.AudioLines();
  const Lines lines(all.begin() + static_cast<long>(before), all.end());
  EXPECT_EQ(lines, (Lines{"1000 sound stop", "1000 music open theme.wav 1000ms", "1000 music volume -6000",
                          "1000 music play"}));
  RunFor(music, 2000);
  EXPECT_FALSE(music.MusicPlaying()) << "the two remaining plays are done";
}

TEST_F(MusicCtrlTest, LoadingAStateWithoutMusicStopsTheTrackAndResetsVolumes) {
  TMusicCtrl music;
  music.SetMusicVolume(10);
  music.PlayMusic(Wav("theme.wav", 1000), 0);
  music.LoadInfo(TStringList{"Music.FileName=x.wav", "Music.Playing=0"});
  EXPECT_FALSE(music.MusicPlaying());
  EXPECT_EQ(music.MusicFileName(), Wav("theme.wav", 1000)) << "a stop keeps the last file name";
  EXPECT_EQ(music.GetMusicVolume(), 100);
  EXPECT_EQ(music.GetSoundVolume(), 100);
}

}  // namespace
}  // namespace pelto5::test
