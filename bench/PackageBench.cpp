// Extraction throughput of the package reader against the natural lower
// bounds: a large compressed entry against zlib's one-shot uncompress of
// the same stream held in memory, and a large stored entry against a plain
// read of a file of the same size. Prints the ratios (1.0 = as fast as the
// bound) after the benchmark table.
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
  benchmark::Shutdown();
  return 0;
}
