// What running image plug-ins in the helper process costs: a 640 x 480
// colour picture decoded by the sample PPM plug-in through the helper (the
// player's way: IsSupported, then GetPicture with the picture and the
// result in shared memory) against the same plug-in loaded into this
// process. Prints the overhead per picture against its 2 ms target, and
// what starting a helper (spawn, load the plug-in, first answer) takes.
// Besides the mean wall times of the table, the overhead is taken as the median of
// decodes made in pairs (one each way, back to back), and as processor time
// (the player's and the helper's together against the player's alone): on
// a machine busy with other work the wall-clock figures include the waits
// for the scheduler at each hand-over between the two processes, the
// processor time does not.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "image/NativePlugIn.h"
#include "image/PlugInHost.h"
#include "image/RemotePlugIn.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

using namespace pelto5;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::string MakePpm() {
  std::string ppm = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
  uint32_t noise = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      noise = noise * 1103515245u + 12345u;
      ppm.push_back(static_cast<char>(x * 255 / kWidth));
      ppm.push_back(static_cast<char>(y * 255 / kHeight));
      ppm.push_back(static_cast<char>(noise >> 24));
    }
  }
  return ppm;
}

const std::string& Picture() {
  static const std::string ppm = MakePpm();
  return ppm;
}

// Both ways answer the same questions per picture.
void DecodeWith(benchmark::State& state, TImageDecoder& decoder) {
  for (auto _ : state) {
    TPicture picture;
    if (!decoder.IsSupported(Picture()) || !decoder.Decode(Picture(), picture) || picture.Width != kWidth) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
}

void BM_InProcess(benchmark::State& state) {
  TNativePlugIn plugIn;
  if (!plugIn.Load(PELTO5_SAMPLE_PLUGIN)) {
    state.SkipWithError("sample plug-in does not load");
    return;
  }
  DecodeWith(state, plugIn);
}

void BM_ThroughHelper(benchmark::State& state) {
  TPlugInHost host;
  TRemotePlugIn plugIn(host, PELTO5_SAMPLE_PLUGIN, "");
  TPicture warmUp;  // the helper starts and the shared block grows once
  if (!plugIn.Decode(Picture(), warmUp)) {
    state.SkipWithError("helper does not decode (is pelto5-plugin-host beside this program?)");
    return;
  }
  DecodeWith(state, plugIn);
}

void BM_HelperStart(benchmark::State& state) {
  for (auto _ : state) {
    TPlugInHost host;
    TPlugInAnswer description;
    if (!host.Describe(PELTO5_SAMPLE_PLUGIN, description)) {
      state.SkipWithError("helper does not start");
      break;
    }
    state.PauseTiming();
    host.Stop();
    state.ResumeTiming();
  }
}

// Milliseconds one IsSupported and Decode take, -1 on failure.
double TimedDecode(TImageDecoder& decoder) {
  const auto start = std::chrono::steady_clock::now();
  TPicture picture;
  if (!decoder.IsSupported(Picture()) || !decoder.Decode(Picture(), picture)) return -1;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The median overhead of decodes in pairs, and the medians of either way.
void PrintPairedOverhead(int pairs) {
  TNativePlugIn local;
  TPlugInHost host;
  TRemotePlugIn remote(host, PELTO5_SAMPLE_PLUGIN, "");
  if (!local.Load(PELTO5_SAMPLE_PLUGIN) || TimedDecode(remote) < 0) return;
  std::vector<double> inProcess, helper, overhead;
  for (int i = 0; i < pairs; ++i) {
    const double a = TimedDecode(local);
    const double b = TimedDecode(remote);
    if (a < 0 || b < 0) return;
    inProcess.push_back(a);
    helper.push_back(b);
    overhead.push_back(b - a);
  }
  std::printf(
      "plug-in helper overhead per 640x480 picture, median of %d pairs: %.3f ms (%.3f ms through the "
      "helper, %.3f ms in process; target < 2 ms)\n",
      pairs, Median(overhead), Median(helper), Median(inProcess));
}

// Seconds of processor time used by this process (RUSAGE_SELF) or by its
// ended and collected children (RUSAGE_CHILDREN).
double ProcessorSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor milliseconds per picture either way; the helper's are counted
// once it has ended, its start included.
void PrintProcessorOverhead(int pictures) {
  TNativePlugIn local;
  if (!local.Load(PELTO5_SAMPLE_PLUGIN)) return;
  const double before = ProcessorSeconds(RUSAGE_SELF);
  for (int i = 0; i < pictures; ++i) {
    if (TimedDecode(local) < 0) return;
  }
  const double inProcess = (ProcessorSeconds(RUSAGE_SELF) - before) * 1e3 / pictures;
  const double selfBefore = ProcessorSeconds(RUSAGE_SELF);
  const double childrenBefore = ProcessorSeconds(RUSAGE_CHILDREN);
  {
    TPlugInHost host;
    TRemotePlugIn remote(host, PELTO5_SAMPLE_PLUGIN, "");
    for (int i = 0; i < pictures; ++i) {
      if (TimedDecode(remote) < 0) return;
    }
    host.Stop();
  }
  const double helper =
      (ProcessorSeconds(RUSAGE_SELF) - selfBefore + ProcessorSeconds(RUSAGE_CHILDREN) - childrenBefore) *
      1e3 / pictures;
  std::printf(
      "plug-in helper overhead per 640x480 picture in processor time, %d pictures: %.3f ms (%.3f ms "
      "through the helper, %.3f ms in process; target < 2 ms)\n",
      pictures, helper - inProcess, helper, inProcess);
}

BENCHMARK(BM_InProcess)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ThroughHelper)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_HelperStart)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  THeadlessOptions options;
  options.EchoToStderr = false;
  THeadlessPlatform platform(options);
  InstallPlatform(&platform);
  Picture();  // made before any timing starts
  // Wall times: the player waits while the helper decodes, and that wait
  // is the cost a reader sees (the player's CPU time alone would leave the
  // helper's work out and come out lower than decoding in process).
  pelto5::bench::TRatioReporter reporter(true);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double inProcess = reporter.Time("BM_InProcess");
  const double helper = reporter.Time("BM_ThroughHelper");
  if (inProcess > 0 && helper > 0) {
    std::printf(
        "plug-in helper overhead per 640x480 picture, mean wall times: %.3f ms (%.3f ms through the helper, %.3f "
        "ms in process; target < 2 ms)\n",
        (helper - inProcess) * 1e3, helper * 1e3, inProcess * 1e3);
  }
  PrintPairedOverhead(301);
  PrintProcessorOverhead(300);
  const double start = reporter.Time("BM_HelperStart");
  if (start > 0) std::printf("plug-in helper start and first answer: %.3f ms\n", start * 1e3);
  InstallPlatform(nullptr);
  benchmark::Shutdown();
  return 0;
}
