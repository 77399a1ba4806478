// A console reporter that remembers each benchmark's time per iteration, so
// that a benchmark program can print ratios between two of them at the end.
// The time is the process's CPU time: on a machine shared with other work
// the wall time mostly measures the waiting.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace pelto5::bench {

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  // wallTime: compare wall times instead (work done by another process on
  // the benchmark's behalf, a display server's, counts then).
  explicit TRatioReporter(bool wallTime = false) : FWallTime(wallTime) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        const double time =
            (FWallTime ? run.real_accumulated_time : run.cpu_accumulated_time) / static_cast<double>(run.iterations);
        // By function name and by the full name with the arguments
        // ("BM_Name/20000").
        FTimes[run.run_name.function_name] = time;
        FTimes[run.benchmark_name()] = time;
      }
    }
  }
  // Time per iteration of the named benchmark, 0 if it did not run.
  double Time(const std::string& name) const {
    const auto it = FTimes.find(name);
    return it == FTimes.end() ? 0.0 : it->second;
  }

 private:
  bool FWallTime;
  std::map<std::string, double> FTimes;
};

}  // namespace pelto5::bench
