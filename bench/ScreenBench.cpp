// Screen drawing against memcpy of the same bytes in the same run:
//  - composing a 640 x 480 main window of base, background, three
//    configured full-window layers (one plain, one Mask, one Blend) and the
//    text layer (Mask) in full, against copying the six layers' bytes;
//  - UpdateFrame with ten dynamic layers that all change their animation
//    frame, against copying their shown cells (and, as before the frames
//    were tracked, against copying the composition and the cells);
//  - one message character revealed (copied onto the composition, frame
//    updated, painted to the canvas), against copying one frame;
//  - presenting a one-character change against presenting a full frame,
//    as the web backend converts it for the page (the SDL backend's
//    present is measured by PresentBench in a window).
// Prints the ratios (time of ours / time of the bound) with their targets
// after the table. Writable rows count as changes of a surface, so the
// results are looked at through const references.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "graphics/DynamicLayerList.h"
#include "graphics/LasScreen.h"
#include "platform/Canvas.h"
#include "platform/Platform.h"
#include "platform/RgbaFrame.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

using namespace pelto5;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * sizeof(uint32_t);
constexpr int kLayerCount = 6;  // base, background, three configured, text
constexpr int kDynamicCount = 10;
constexpr int kDynamicWidth = 120;
constexpr int kDynamicHeight = 48;

void Pattern(TLasGraphic& g, int width, int height, uint32_t seed) {
  g.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint32_t* row = g.Row(y);
    for (int x = 0; x < width; ++x) row[x] = (seed * 2654435761u) ^ static_cast<uint32_t>(x * 7 + y * 13);
  }
}

// A screen set up as the main window with every layer full-window and shown.
struct TScene {
  TLasScreen Screen;
  TCanvas Canvas;
  TLasLayer* Text = nullptr;

  TScene() {
    Screen.Create(kWidth, kHeight);
    Pattern(Screen.BaseLayer()->Graphic, kWidth, kHeight, 1);
    TLasLayer* below = Screen.BaseLayer();
    for (int i = 1; i < kLayerCount; ++i) {
      TLasLayer* layer = Screen.AddLayerAfter(below);
      Pattern(layer->Graphic, kWidth, kHeight, i + 1);
      layer->Visible = true;
      below = layer;
    }
    // Layer 3: Mask, half of the pixels drawn in runs; layer 4: Blend with
    // every alpha level; layer 5: the text layer, Mask, sparse ink.
    TLasGraphic& mask = Screen.GetLayer(3)->Graphic;
    mask.SetAlphaType(TAlphaType::Mask);
    TLasGraphic& blend = Screen.GetLayer(4)->Graphic;
    blend.SetAlphaType(TAlphaType::Blend);
    Text = Screen.GetLayer(5);
    Text->Graphic.SetAlphaType(TAlphaType::Mask);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        mask.AlphaRow(y)[x] = ((x / 32 + y / 32) % 2) ? 255 : 0;
        blend.AlphaRow(y)[x] = static_cast<uint8_t>(x + y);
        Text->Graphic.AlphaRow(y)[x] = (y % 24 < 18 && x % 16 < 5) ? 255 : 0;
      }
    }
    for (int i = 0; i < kDynamicCount; ++i) {
      auto entry = TDynamicLayerList::Create();
      entry->ImageFileName = "button.png";
      entry->AnimeCount = 2;
      TLasGraphic picture;
      Pattern(picture, 2 * kDynamicWidth, kDynamicHeight, 100 + i);
      picture.SetAlphaType(i % 2 ? TAlphaType::Blend : TAlphaType::Mask);
      for (int y = 0; y < kDynamicHeight; ++y) {
        for (int x = 0; x < 2 * kDynamicWidth; ++x) picture.AlphaRow(y)[x] = static_cast<uint8_t>(x * 3 + y);
      }
      entry->BuildImage(&picture);
      entry->AreaLeft = 20 + (i % 4) * 150;
      entry->AreaTop = 20 + (i / 4) * 100;
      Screen.DynamicLayers.Add(std::move(entry));
    }
    Canvas.SetSize(kWidth, kHeight);
    Screen.Canvas = &Canvas;
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

THeadlessOptions Quiet() {
  THeadlessOptions o;
  o.EchoToStderr = false;
  return o;
}

THeadlessPlatform& Headless() {
  static THeadlessPlatform platform{Quiet()};
  return platform;
}

// The layers composed bottom-up into the composition (Compose without the
// frame update that follows it).
void BM_Compose(benchmark::State& state) {
  TScene& scene = Scene();
  for (auto _ : state) {
    scene.Screen.ComposeArea(TRect{0, 0, kWidth, kHeight});
    benchmark::DoNotOptimize(std::as_const(scene.Screen.Composition).Row(0));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLayerCount * kFrameBytes));
}

void BM_CopyLayerBytes(benchmark::State& state) {
  std::vector<std::vector<uint32_t>> sources(kLayerCount, std::vector<uint32_t>(kFrameBytes / 4, 7));
  std::vector<uint32_t> dest(kFrameBytes / 4);
  for (auto _ : state) {
    for (const auto& source : sources) std::memcpy(dest.data(), source.data(), kFrameBytes);
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLayerCount * kFrameBytes));
}

void BM_UpdateFrame(benchmark::State& state) {
  TScene& scene = Scene();
  scene.Screen.Compose();
  for (auto _ : state) {
    // Every entry shows its other animation frame.
    for (TDynamicLayerList* e = scene.Screen.DynamicLayers.GetNewest(); e; e = e->Older) {
      e->AnimeIndex = 1 - e->AnimeIndex;
    }
    scene.Screen.UpdateFrame();
    benchmark::DoNotOptimize(std::as_const(scene.Screen.Frame).Row(0));
    benchmark::ClobberMemory();
  }
}

void BM_CopyCells(benchmark::State& state) {
  std::vector<uint32_t> dest(kFrameBytes / 4);
  const size_t cell = size_t{kDynamicWidth} * kDynamicHeight;
  std::vector<uint32_t> cells(cell * kDynamicCount, 5);
  for (auto _ : state) {
    for (int i = 0; i < kDynamicCount; ++i) {
      std::memcpy(dest.data() + i * 25000, cells.data() + i * cell, cell * sizeof(uint32_t));
    }
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
}

void BM_CopyFrameAndCells(benchmark::State& state) {
  std::vector<uint32_t> source(kFrameBytes / 4, 3), dest(kFrameBytes / 4);
  const size_t cell = size_t{kDynamicWidth} * kDynamicHeight;
  std::vector<uint32_t> cells(cell * kDynamicCount, 5);
  for (auto _ : state) {
    std::memcpy(dest.data(), source.data(), kFrameBytes);
    for (int i = 0; i < kDynamicCount; ++i) {
      std::memcpy(dest.data() + i * 25000, cells.data() + i * cell, cell * sizeof(uint32_t));
    }
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
}

// What the message replay does per character in the default mode.
void BM_RevealCharacter(benchmark::State& state) {
  TScene& scene = Scene();
  InstallPlatform(&Headless());
  int x = 0;
  for (auto _ : state) {
    scene.Screen.DrawOnComposition(scene.Text->Graphic, x, 0, 16, 18, x, 0);
    scene.Screen.UpdateFrame();
    scene.Screen.Paint();
    x = (x + 16) % (kWidth - 16);
    benchmark::DoNotOptimize(std::as_const(scene.Canvas).Pixels());
    benchmark::ClobberMemory();
  }
  InstallPlatform(nullptr);
}

void BM_CopyFrame(benchmark::State& state) {
  std::vector<uint32_t> a(kFrameBytes / 4, 3), b(kFrameBytes / 4);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kFrameBytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}

// The web backend's part of presenting: the changed rectangles of the
// canvas converted to the page's byte order (the page then puts the same
// rectangles on its canvas).
void BM_WebPresentFull(benchmark::State& state) {
  TCanvas canvas;
  canvas.SetSize(kWidth, kHeight);
  TRgbaFrame frame;
  for (auto _ : state) {
    frame.Convert(canvas);
    benchmark::DoNotOptimize(frame.Data());
    benchmark::ClobberMemory();
  }
}

void BM_WebPresentCharacter(benchmark::State& state) {
  TCanvas canvas;
  canvas.SetSize(kWidth, kHeight);
  TRgbaFrame frame;
  frame.Convert(canvas);
  int x = 0;
  for (auto _ : state) {
    if (!frame.ConvertRect(canvas, TRect{x, 0, 16, 21})) state.SkipWithError("sizes differ");
    x = (x + 16) % (kWidth - 16);
    benchmark::DoNotOptimize(frame.Data());
    benchmark::ClobberMemory();
  }
}

void BM_CopyFrameTwice(benchmark::State& state) {
  std::vector<uint32_t> a(kFrameBytes / 4, 3), b(kFrameBytes / 4), c(kFrameBytes / 4);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kFrameBytes);
    std::memcpy(c.data(), b.data(), kFrameBytes);
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Compose)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyLayerBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFrameAndCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RevealCharacter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyFrameTwice)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WebPresentFull)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WebPresentCharacter)->Unit(benchmark::kMicrosecond);

// Time of ours as a multiple of bound's, with the target it must not pass.
void PrintRatio(const pelto5::bench::TRatioReporter& reporter, const char* what, const std::string& ours,
                const std::string& bound, double target) {
  const double a = reporter.Time(ours);
  const double b = reporter.Time(bound);
  if (a <= 0 || b <= 0) return;
  std::printf("%s: %.3f (target at most %g; %s / %s)\n", what, a / b, target, ours.c_str(), bound.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  pelto5::bench::TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter, "compose, 6 layers", "BM_Compose", "BM_CopyLayerBytes", 2);
  PrintRatio(reporter, "update frame, 10 dynamic layers", "BM_UpdateFrame", "BM_CopyCells", 3);
  PrintRatio(reporter, "update frame, 10 dynamic layers (bound with the frame)", "BM_UpdateFrame",
             "BM_CopyFrameAndCells", 3);
  PrintRatio(reporter, "one message character", "BM_RevealCharacter", "BM_CopyFrame", 0.25);
  PrintRatio(reporter, "web present, one character", "BM_WebPresentCharacter", "BM_WebPresentFull", 0.05);
  benchmark::Shutdown();
  return 0;
}
