// Extraction throughput of the package reader against the natural lower
// bounds: a large compressed entry against zlib's one-shot uncompress of
// the same stream held in memory, and a large stored entry against a plain
// read of a file of the same size. Prints the ratios (1.0 = as fast as the
// bound) after the benchmark table.
// Large content: opening a package of 20,000 entries and showing its first
// picture (found by name, read, decoded) against the same with 10 entries;
// the difference in milliseconds is printed with its target.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "content/PackageReader.h"
#include "content/PackageWriter.h"
#include "image/Picture.h"
#include "image/PngDecoder.h"
#include "platform/Canvas.h"

namespace {

using namespace pelto5;

constexpr size_t kEntrySize = 64 * 1024 * 1024;

// Text-like data that compresses about 3:1, like scripts and uncompressed
// images.
std::string MakeData() {
  std::string data;
  data.reserve(kEntrySize);
  std::mt19937 random(42);
  const char* words[] = {"layer", "window", "message ", "page", "book ", "\r\n", "=", "100", "@Draw"};
  while (data.size() < kEntrySize) {
    if (random() % 4 == 0) {
      data += static_cast<char>(random());
    } else {
      data += words[random() % 9];
    }
  }
  data.resize(kEntrySize);
  return data;
}

struct TFixture {
  std::filesystem::path Folder;
  std::string Archive;
  std::string PlainFile;
  std::string Compressed;  // the stored zlib stream of the compressed entry
  TFixture() {
    Folder = std::filesystem::temp_directory_path() / ("pelto5-bench-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(Folder);
    Archive = (Folder / "bench.pp5").string();
    PlainFile = (Folder / "plain.bin").string();
    const std::string data = MakeData();
    PackageWriter writer;
    SetWriterMagic(writer, "PV5PKG");
    if (!CreatePackage(writer, Archive)) std::fprintf(stderr, "cannot create %s\n", Archive.c_str());
    writer.Compressed = true;
    AddEntryFromStream(writer, data, "compressed.bin");
    writer.Compressed = false;
    AddEntryFromStream(writer, data, "stored.bin");
    if (!FinishPackage(writer)) std::fprintf(stderr, "cannot write %s\n", Archive.c_str());
    std::ofstream(PlainFile, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    PackageReader reader;
    if (!OpenPackage(Archive, reader) || !SelectEntryByName(reader, "compressed.bin")) std::abort();
    Compressed.resize(reader.Entries[0].StoredSize);
    ReadEntryStoredData(reader, Compressed.data(), Compressed.size());
  }
  ~TFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

// Packages of many small entries (scripts, pictures, sounds of a large
// game), the first picture among the first entries.
struct TLargeContent {
  std::filesystem::path Folder;
  std::map<int, std::string> Archives;  // by entry count
  TLargeContent() {
    Folder = std::filesystem::temp_directory_path() / ("pelto5-bench-large-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(Folder);
    TCanvas canvas;
    canvas.SetSize(640, 480);
    for (int y = 0; y < canvas.Height(); ++y) {
      for (int x = 0; x < canvas.Width(); ++x) canvas.Row(y)[x] = static_cast<uint32_t>(x * 3 + y * 5) * 2654435761u;
    }
    const std::string pngPath = (Folder / "first.png").string();
    if (!canvas.SavePng(pngPath)) std::abort();
    std::ifstream in(pngPath, std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const int count : {10, 20000}) {
      const std::string archive = (Folder / ("content" + std::to_string(count) + ".pp5")).string();
      PackageWriter writer;
      SetWriterMagic(writer, "PV5PKG");
      if (!CreatePackage(writer, archive)) std::abort();
      AddEntryFromStream(writer, "///\r\n///\r\n", "pelto.pf5");
      AddEntryFromStream(writer, png, "image\\first.png");
      writer.Compressed = true;
      for (int i = 2; i < count; ++i) {
        AddEntryFromStream(writer, "entry " + std::to_string(i), "data\\entry" + std::to_string(i) + ".txt");
      }
      if (!FinishPackage(writer)) std::abort();
      Archives[count] = archive;
    }
  }
  ~TLargeContent() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
};

TLargeContent& LargeContent() {
  static TLargeContent content;
  return content;
}

// Open, find the first picture under a spelling of its own, read and decode it.
void BM_OpenAndFirstPicture(benchmark::State& state) {
  const std::string& archive = LargeContent().Archives.at(static_cast<int>(state.range(0)));
  TPngDecoder decoder;
  for (auto _ : state) {
    PackageReader reader;
    std::string data;
    TPicture picture;
    if (!OpenPackage(archive, reader) || !ExtractEntry(reader, "Image/First.PNG", data) ||
        !decoder.Decode(data, picture)) {
      state.SkipWithError("first picture failed");
    }
    benchmark::DoNotOptimize(picture.Pixels.data());
  }
}

// Lookups of names spread over the whole package, one of them missing.
void BM_FindEntry(benchmark::State& state) {
  PackageReader reader;
  if (!OpenPackage(LargeContent().Archives.at(static_cast<int>(state.range(0))), reader)) std::abort();
  const std::string names[] = {"image\\first.png", "data\\ENTRY5.txt", "data/./entry9.txt", "missing.png"};
  int found = 0;
  for (auto _ : state) {
    for (const std::string& name : names) found += FindEntry(reader, name) >= 0;
  }
  benchmark::DoNotOptimize(found);
}

void BM_ExtractCompressedEntry(benchmark::State& state) {
  PackageReader reader;
  if (!OpenPackage(Fixture().Archive, reader)) std::abort();
  for (auto _ : state) {
    std::string data;
    if (!ExtractEntry(reader, "compressed.bin", data)) state.SkipWithError("extract failed");
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}

void BM_ZlibUncompress(benchmark::State& state) {
  const std::string& compressed = Fixture().Compressed;
  for (auto _ : state) {
    std::string data(kEntrySize, '\0');
    uLongf size = data.size();
    if (uncompress(reinterpret_cast<Bytef*>(data.data()), &size,
                   reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()) != Z_OK) {
      state.SkipWithError("uncompress failed");
    }
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}

void BM_ExtractStoredEntry(benchmark::State& state) {
  PackageReader reader;
  if (!OpenPackage(Fixture().Archive, reader)) std::abort();
  for (auto _ : state) {
    std::string data;
    if (!ExtractEntry(reader, "stored.bin", data)) state.SkipWithError("extract failed");
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}

void BM_PlainFileRead(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* file = std::fopen(Fixture().PlainFile.c_str(), "rb");
    std::string data(kEntrySize, '\0');
    if (file == nullptr || std::fread(data.data(), 1, data.size(), file) != data.size()) {
      state.SkipWithError("read failed");
    }
    if (file != nullptr) std::fclose(file);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}

BENCHMARK(BM_ExtractCompressedEntry)->Unit(benchmark::kMillisecond)->MinTime(1.5);
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond)->MinTime(1.5);
BENCHMARK(BM_ExtractStoredEntry)->Unit(benchmark::kMillisecond)->MinTime(1.5);
BENCHMARK(BM_PlainFileRead)->Unit(benchmark::kMillisecond)->MinTime(1.5);
BENCHMARK(BM_OpenAndFirstPicture)->Arg(10)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEntry)->Arg(10)->Arg(20000)->Unit(benchmark::kMicrosecond);

// Throughput of ours as a ratio to bound's.
void PrintRatio(const pelto5::bench::TRatioReporter& reporter, const char* what, const std::string& ours,
                const std::string& bound) {
  const double a = reporter.Time(ours);
  const double b = reporter.Time(bound);
  if (a <= 0 || b <= 0) return;
  std::printf("%s: %.3f (throughput of %s / %s)\n", what, b / a, ours.c_str(), bound.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  pelto5::bench::TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter, "compressed entry vs zlib uncompress", "BM_ExtractCompressedEntry",
                      "BM_ZlibUncompress");
  PrintRatio(reporter, "stored entry vs plain file read", "BM_ExtractStoredEntry", "BM_PlainFileRead");
  const double large = reporter.Time("BM_OpenAndFirstPicture/20000");
  const double small = reporter.Time("BM_OpenAndFirstPicture/10");
  if (large > 0 && small > 0) {
    std::printf("open + first picture, 20000 entries vs 10: +%.1f ms (target at most +50 ms)\n",
                (large - small) * 1e3);
  }
  const double findLarge = reporter.Time("BM_FindEntry/20000");
  const double findSmall = reporter.Time("BM_FindEntry/10");
  if (findLarge > 0 && findSmall > 0) {
    std::printf("entry lookup, 20000 entries vs 10: %.2f x (1 = independent of the count)\n", findLarge / findSmall);
  }
  benchmark::Shutdown();
  return 0;
}
