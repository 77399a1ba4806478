// pelto5 --test DIR CONTENT: every "*.events" file in DIR played headless
// against the content, each "shot NAME.png" compared with the NAME.png
// beside the events file. One line a test on standard output, a summary,
// and with --junit a JUnit XML report for CI services.
#pragma once

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Canvas.h"

namespace pelto5 {

class TScenarioTests {
 public:
  // Exit statuses: every picture as expected (new ones written included),
  // a difference or a run that did not end normally, bad input.
  static constexpr int kAllEqual = 0;
  static constexpr int kDifference = 1;
  static constexpr int kBadInput = 2;

  explicit TScenarioTests(TCommandLine cl) : FCommandLine(std::move(cl)) {}
  // Runs them all; the exit status.
  int Run();

 private:
  enum class TVerdict { Passed, New, Failed, Error };
  struct TOutcome {
    std::string Name;
    TVerdict Verdict = TVerdict::Passed;
    std::string Detail;     // why it failed, or which pictures are new
    uint32_t VirtualMs = 0;  // how long it played on the virtual clock
    int Shots = 0;
  };

  TOutcome RunOne(const std::string& eventsFile);
  // Compares one picture with the expected one beside the events; adds what
  // it found to outcome.
  void CheckShot(const std::string& name, const TCanvas& picture, TOutcome& outcome);
  static std::string Line(const TOutcome& outcome);
  [[nodiscard]] bool WriteJUnit(const std::vector<TOutcome>& outcomes) const;

  TCommandLine FCommandLine;
  std::string FDirectory;  // DIR, ending in "/"
};

}  // namespace pelto5
