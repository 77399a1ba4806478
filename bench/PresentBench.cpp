// Presenting in the SDL backend (run it with a display, e.g. under
// xvfb-run): a 640 x 480 canvas shown in a window after a change of one
// message character (that rectangle goes up to the texture) against after
// a change of the whole frame. Prints the ratio of the wall times (the
// display server works for the present too) with its target.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "platform/sdl/SdlWindowSurface.h"

namespace {

using namespace pelto5;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

TSdlWindowSurface* Surface() {
  static TSdlWindowSurface* surface = [] {
    auto* s = new TSdlWindowSurface;
    s->Canvas().SetSize(kWidth, kHeight);
    if (!s->Create("bench window", "PresentBench", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth,
                   kHeight, SDL_WINDOW_SHOWN)) {
      std::fprintf(stderr, "no window: %s\n", SDL_GetError());
      delete s;
      return static_cast<TSdlWindowSurface*>(nullptr);
    }
    s->Present();
    return s;
  }();
  return surface;
}

void Pump() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
  }
}

void BM_SdlPresentFull(benchmark::State& state) {
  TSdlWindowSurface* s = Surface();
  if (!s) {
    state.SkipWithError("no window");
    return;
  }
  uint32_t colour = 0;
  for (auto _ : state) {
    s->Canvas().Fill(colour++);
    s->Present();
    Pump();
  }
}

void BM_SdlPresentCharacter(benchmark::State& state) {
  TSdlWindowSurface* s = Surface();
  if (!s) {
    state.SkipWithError("no window");
    return;
  }
  int x = 0;
  uint32_t colour = 0;
  std::vector<TRect> changed(1);
  for (auto _ : state) {
    changed[0] = TRect{x, 200, 16, 21};
    for (int y = 200; y < 221; ++y) {
      for (int i = 0; i < 16; ++i) s->Canvas().Row(y)[x + i] = colour;
    }
    ++colour;
    s->Present(&changed);
    Pump();
    x = (x + 16) % (kWidth - 16);
  }
}

BENCHMARK(BM_SdlPresentFull)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlPresentCharacter)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "PresentBench needs a display: %s\n", SDL_GetError());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  pelto5::bench::TRatioReporter reporter(true);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double a = reporter.Time("BM_SdlPresentCharacter");
  const double b = reporter.Time("BM_SdlPresentFull");
  if (a > 0 && b > 0) {
    std::printf("SDL present, one character: %.3f (target at most 0.05; BM_SdlPresentCharacter / BM_SdlPresentFull)\n",
                a / b);
  }
  benchmark::Shutdown();
  SDL_Quit();
  return 0;
}
