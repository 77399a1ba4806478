// The MIDI sequencer every build shares, and the score the browser build
// hands its page's synthesizer: events must fall due at their exact frames
// however the output is read, and a score played back into FluidSynth the
// way the page plays it must give the desktop decoder's samples.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fluidsynth.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/SoundFiles.h"
#include "media/AudioDecoder.h"
#include "media/MidiDecoder.h"
#include "media/MidiFile.h"
#include "media/MidiScore.h"
#include "media/MidiSequencer.h"
#include "media/MidiSynth.h"
#include "media/SoundFontLocator.h"
#include "support/PlayerRun.h"

namespace pelto5::test {
namespace {

// Two channels, a GM reset, a controller and a pitch bend, a tempo change
// and notes that end apart: 1 s, 0.5 s at 120 bpm then 240 bpm.
std::string Piece() {
  return MidiFile(std::string("\x00\xF0\x05\x7E\x7F\x09\x01\xF7", 8) +  // GM reset
                  std::string("\x00\xC0\x00\x00\xC1\x30", 6) +          // programs
                  std::string("\x00\x90\x3C\x64\x00\x91\x43\x50", 8) +  // two notes on
                  std::string("\x81\x70\xB1\x07\x40", 5) +              // +240: volume
                  std::string("\x81\x70\xFF\x51\x03\x03\xD0\x90", 8) +  // +240: tempo 250000
                  std::string("\x81\x70\xE0\x00\x50", 5) +              // +240: pitch bend
                  std::string("\x81\x70\x80\x3C\x00", 5) +              // +240: note off
                  std::string("\x83\x60\x81\x43\x00", 5));              // +480: note off
}

// What a sink saw: each event with the absolute frame it came at, and
// the frames rendered.
struct TRecording : TMidiSequencer::TSink {
  std::vector<std::pair<uint64_t, TMidiEvent>> Events;
  std::vector<std::string> Bodies;
  uint64_t Rendered = 0;
  uint64_t CallStart = 0;
  size_t LastOffsetEnd = 0;
  bool OffsetsContiguous = true;

  void Event(const TMidiEvent& e, const uint8_t* sysex) override {
    Events.emplace_back(Rendered, e);
    if (sysex != nullptr) Bodies.emplace_back(reinterpret_cast<const char*>(sysex), e.SysexLength);
  }
  void Render(size_t offset, size_t frames) override {
    if (CallStart + offset != Rendered) OffsetsContiguous = false;
    Rendered += frames;
  }
  size_t Run(TMidiSequencer& sequencer, size_t frames) {
    CallStart = Rendered;
    return sequencer.Run(*this, frames);
  }
};

TEST(MidiSequencer, EventsFallDueAtTheirFramesWhateverTheReadSize) {
  TMidiFile file;
  ASSERT_TRUE(file.Parse(Piece()));
  ASSERT_EQ(file.LengthFrames(), 44100u);
  for (const size_t chunk : {size_t{1} << 20, size_t{4096}, size_t{1000}, size_t{63}}) {
    SCOPED_TRACE(chunk);
    TMidiSequencer sequencer(file);
    TRecording sink;
    size_t calls = 0;
    while (sink.Run(sequencer, chunk) > 0) ++calls;
    EXPECT_EQ(calls, (44100 + chunk - 1) / chunk);
    EXPECT_EQ(sink.Rendered, 44100u) << "exactly the file's length";
    EXPECT_TRUE(sink.OffsetsContiguous);
    // The last note off falls on the last frame: nothing sounds after it,
    // and it is not sent.
    ASSERT_EQ(sink.Events.size(), file.Events().size() - 1);
    EXPECT_EQ(file.Events().back().Frame, 44100u);
    for (size_t i = 0; i < sink.Events.size(); ++i) {
      EXPECT_EQ(sink.Events[i].first, file.Events()[i].Frame) << "event " << i << " sent when its frame is reached";
      EXPECT_EQ(sink.Events[i].second.Status, file.Events()[i].Status);
    }
    ASSERT_EQ(sink.Bodies.size(), 1u);
    EXPECT_EQ(sink.Bodies[0], std::string("\x7E\x7F\x09\x01", 4));
    EXPECT_EQ(sequencer.Run(sink, chunk), 0u) << "nothing past the end";

    // Rewound, it plays the same again.
    sequencer.Rewind();
    TRecording again;
    while (again.Run(sequencer, chunk) > 0) {
    }
    EXPECT_EQ(again.Rendered, 44100u);
    EXPECT_EQ(again.Events.size(), sink.Events.size());
  }
}

TEST(MidiScore, StepsAreTheSequencersCallsInOrder) {
  TMidiScore score;
  ASSERT_TRUE(score.Parse(Piece()));
  TMidiFile file;
  ASSERT_TRUE(file.Parse(Piece()));
  const std::vector<int32_t>& steps = score.Steps();
  ASSERT_EQ(steps.size() % TMidiScore::kWordsPerStep, 0u);
  uint64_t frame = 0;
  size_t next = 0;
  for (size_t i = 0; i < steps.size(); i += TMidiScore::kWordsPerStep) {
    switch (static_cast<TMidiStep>(steps[i])) {
      case TMidiStep::Render:
        EXPECT_GT(steps[i + 1], 0);
        frame += static_cast<uint64_t>(steps[i + 1]);
        break;
      case TMidiStep::Message: {
        ASSERT_LT(next, file.Events().size());
        const TMidiEvent& e = file.Events()[next++];
        EXPECT_EQ(frame, e.Frame);
        EXPECT_EQ(steps[i + 1], e.Status);
        EXPECT_EQ(steps[i + 2], e.Data1 | e.Data2 << 8);
        break;
      }
      case TMidiStep::Sysex: {
        ASSERT_LT(next, file.Events().size());
        const TMidiEvent& e = file.Events()[next++];
        EXPECT_EQ(e.Status, 0xF0);
        ASSERT_LE(static_cast<size_t>(steps[i + 1] + steps[i + 2]), score.Sysex().size());
        EXPECT_EQ(std::string(score.Sysex().begin() + steps[i + 1], score.Sysex().begin() + steps[i + 1] + steps[i + 2]),
                  std::string("\x7E\x7F\x09\x01", 4));
        break;
      }
      default:
        ADD_FAILURE() << "unknown step " << steps[i];
    }
  }
  EXPECT_EQ(next, file.Events().size() - 1) << "all but the note off on the last frame";
  EXPECT_EQ(frame, score.LengthFrames());

  TMidiScore damaged;
  EXPECT_FALSE(damaged.Parse(Piece().substr(0, 40)));
  EXPECT_TRUE(damaged.Steps().empty());
}

#ifndef _WIN32
// Plays a score into a synthesizer as the page's pelto5-midi.js does.
std::vector<int16_t> PlayScore(const TMidiScore& score, fluid_synth_t* synth) {
  std::vector<int16_t> out(static_cast<size_t>(score.LengthFrames()) * kPcmChannels);
  size_t at = 0;
  const std::vector<int32_t>& steps = score.Steps();
  for (size_t i = 0; i + 2 < steps.size(); i += 3) {
    const int a = steps[i + 1];
    const int b = steps[i + 2];
    const int channel = a & 0x0F;
    switch (static_cast<TMidiStep>(steps[i])) {
      case TMidiStep::Render:
        fluid_synth_write_s16(synth, a, out.data() + at * 2, 0, 2, out.data() + at * 2, 1, 2);
        at += static_cast<size_t>(a);
        break;
      case TMidiStep::Sysex:
        fluid_synth_sysex(synth, reinterpret_cast<const char*>(score.Sysex().data()) + a, b, nullptr, nullptr,
                          nullptr, 0);
        break;
      case TMidiStep::Message:
        switch (a & 0xF0) {
          case 0x80: fluid_synth_noteoff(synth, channel, b & 0x7F); break;
          case 0x90: fluid_synth_noteon(synth, channel, b & 0x7F, b >> 8 & 0x7F); break;
          case 0xB0: fluid_synth_cc(synth, channel, b & 0x7F, b >> 8 & 0x7F); break;
          case 0xC0: fluid_synth_program_change(synth, channel, b & 0x7F); break;
          case 0xE0: fluid_synth_pitch_bend(synth, channel, (b & 0x7F) | (b >> 8 & 0x7F) << 7); break;
          default: ADD_FAILURE() << "the piece has no status " << a;
        }
        break;
    }
  }
  return out;
}

TEST(MidiScore, PlayedIntoFluidSynthItGivesTheDecodersSamples) {
  const std::string font = TSoundFontLocator::Find();
  ASSERT_FALSE(font.empty()) << "no General MIDI sound font installed";
  // Both sides get a fresh synthesizer, under font paths of their own (the
  // pool keeps synthesizers by path): a kept one, reset, does not start from
  // quite a fresh one's state (FluidSynth's reset leaves its effects'
  // modulation where it was), so a second piece never renders exactly as
  // the first.
  TTempDir dir;
  const std::string decoderFont = dir.Path() + "/decoder.sf2";
  const std::string scoreFont = dir.Path() + "/score.sf2";
  std::error_code error;
  std::filesystem::create_symlink(font, decoderFont, error);
  ASSERT_FALSE(error) << error.message();
  std::filesystem::create_symlink(font, scoreFont, error);
  ASSERT_FALSE(error) << error.message();
  const char* before = std::getenv("SDL_SOUNDFONTS");
  const std::string saved = before != nullptr ? before : "";
  setenv("SDL_SOUNDFONTS", decoderFont.c_str(), 1);
  std::vector<int16_t> desktop;
  {
    TMidiDecoder decoder;
    const TResult opened = decoder.Open(dir.Write("piece.mid", Piece()), true);
    if (before != nullptr) {
      setenv("SDL_SOUNDFONTS", saved.c_str(), 1);
    } else {
      unsetenv("SDL_SOUNDFONTS");
    }
    ASSERT_TRUE(opened) << opened.Reason();
    ASSERT_EQ(decoder.SoundFont(), decoderFont);
    std::vector<int16_t> block(4096 * kPcmChannels);
    for (size_t n; (n = decoder.Read(block.data(), 4096)) > 0;) {
      desktop.insert(desktop.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n * kPcmChannels));
    }
  }

  TMidiScore score;
  ASSERT_TRUE(score.Parse(Piece()));
  std::string reason;
  std::unique_ptr<TMidiSynth> synth = TMidiSynth::Acquire(scoreFont, reason);
  ASSERT_TRUE(synth) << reason;
  const std::vector<int16_t> played = PlayScore(score, synth->Handle());
  TMidiSynth::Release(std::move(synth));
  ASSERT_EQ(played.size(), desktop.size());
  EXPECT_GT(Peak(desktop), 2000) << "the piece sounds";
  size_t differing = 0;
  for (size_t i = 0; i < played.size(); ++i) differing += played[i] != desktop[i] ? 1 : 0;
  EXPECT_EQ(differing, 0u) << "the same calls on the same synthesizer give the same samples";
}
#endif

}  // namespace
}  // namespace pelto5::test
