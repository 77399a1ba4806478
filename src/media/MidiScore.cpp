#include "media/MidiScore.h"

#include <limits>

#include "media/MidiSequencer.h"

namespace pelto5 {

namespace {

class TScoreSink : public TMidiSequencer::TSink {
 public:
  explicit TScoreSink(std::vector<int32_t>& steps) : FSteps(steps) {}

  void Event(const TMidiEvent& e, const uint8_t* sysex) override {
    if (e.Status == 0xF0) {
      if (sysex != nullptr) Add(TMidiStep::Sysex, static_cast<int32_t>(e.SysexStart), static_cast<int32_t>(e.SysexLength));
      return;
    }
    Add(TMidiStep::Message, e.Status, e.Data1 | e.Data2 << 8);
  }

  void Render(size_t /*offset*/, size_t frames) override {
    // A file's length is bounded far below 2^31 frames, so one step holds
    // any gap; the loop only keeps the words in range whatever comes.
    constexpr size_t kMax = std::numeric_limits<int32_t>::max();
    while (frames > 0) {
      const size_t n = frames < kMax ? frames : kMax;
      Add(TMidiStep::Render, static_cast<int32_t>(n), 0);
      frames -= n;
    }
  }

 private:
  void Add(TMidiStep step, int32_t a, int32_t b) {
    FSteps.push_back(static_cast<int32_t>(step));
    FSteps.push_back(a);
    FSteps.push_back(b);
  }

  std::vector<int32_t>& FSteps;
};

}  // namespace

TResult TMidiScore::Parse(const std::string& bytes) {
  FSteps.clear();
  TResult read = FFile.Parse(bytes);
  if (!read) return read;
  TMidiSequencer sequencer(FFile);
  TScoreSink sink(FSteps);
  sequencer.Run(sink, static_cast<size_t>(FFile.LengthFrames()));
  return TResult::Ok();
}

}  // namespace pelto5
