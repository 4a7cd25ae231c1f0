// Following a growing file: a full load of a generated 100 MB Shift_JIS log (read, decode,
// lay out) against one poll that takes in 1 KB appended to it, and the same for an ASCII
// log whose encoding each poll detects again. The poll must stay a small fraction of the
// load, whatever the file's size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/layout/layout.h"
#include "core/text/document_loader.h"
#include "core/text/encoding.h"
#include "core/text/follow.h"

namespace vemora {
namespace {

constexpr size_t kFileBytes = 100u * 1000 * 1000;
constexpr size_t kAppendBytes = 1024;
const LayoutParameters kParameters{8, 80, 0, 1, 0};

// Shift_JIS lines of kanji, kana and ASCII of varied length, ended by CR LF.
std::string LogLines(size_t bytes, uint32_t seed) {
  const char* words[] = {"\x93\x8C\x8B\x9E", "\x82\xCC",         "\x8B\xF3",
                         "\x82\xCD",         "ERROR ",           "INFO ",
                         "12:34:56 ",        "\x83\x8D\x83\x4F", "\xB6\xC0\xB6\xC5",
                         "\x95\xB6\x8E\x9A", "request=42 "};
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> pick(0, std::size(words) - 1);
  std::uniform_int_distribution<int> lineLength(10, 140);
  std::string text;
  text.reserve(bytes + 256);
  while (text.size() < bytes) {
    const size_t start = text.size();
    const auto length = static_cast<size_t>(lineLength(random));
    while (text.size() - start < length) text += words[pick(random)];
    text += "\r\n";
  }
  text.resize(bytes);
  return text;
}

std::filesystem::path LogFile() {
  return std::filesystem::temp_directory_path() / "vemora-follow-bench.log";
}

void BM_FullLoad(benchmark::State& state) {
  std::ofstream(LogFile(), std::ios::binary) << LogLines(kFileBytes, 1);
  ColumnRuleMeasure measure;
  for (auto _ : state) {
    auto document = ReadDocumentFile(LogFile().u16string(), kEncodingShiftJis);
    LayoutDocument(*document, kParameters, measure);
    benchmark::DoNotOptimize(document->displayLineCount);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FollowAppend1KB(benchmark::State& state) {
  std::ofstream(LogFile(), std::ios::binary) << LogLines(kFileBytes, 1);
  ColumnRuleMeasure measure;
  auto document = ReadDocumentFile(LogFile().u16string(), kEncodingShiftJis);
  LayoutDocument(*document, kParameters, measure);
  FollowState follow;
  StartFollowing(*document, follow);
  const std::string pieces = LogLines(kAppendBytes * 64, 2);
  size_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();  // the writer's cost, not the follower's
    {
      std::ofstream file(LogFile(), std::ios::binary | std::ios::app);
      file << pieces.substr(next % pieces.size(), kAppendBytes);
    }
    next += kAppendBytes;
    state.ResumeTiming();
    if (PollFollowedFile(*document, follow, kParameters, measure) != FollowResult::kExtended)
      state.SkipWithError("the append was not taken in");
    benchmark::DoNotOptimize(document->displayLineCount);
  }
  state.counters["lines"] = document->displayLineCount;
  std::filesystem::remove(LogFile());
}
BENCHMARK(BM_FollowAppend1KB)->Unit(benchmark::kMicrosecond)->Iterations(200);

// An ASCII log with its encoding left to detection: every poll detects it again, over the
// appended bytes only, so the poll still costs what the append holds.
void BM_FollowAsciiAppend1KB(benchmark::State& state) {
  std::string line = "12:34:56 INFO request=42 served in 3 ms\r\n";
  std::string text;
  text.reserve(kFileBytes + line.size());
  while (text.size() < kFileBytes) text += line;
  std::ofstream(LogFile(), std::ios::binary) << text;
  ColumnRuleMeasure measure;
  auto document = ReadDocumentFile(LogFile().u16string(), -1);
  LayoutDocument(*document, kParameters, measure);
  FollowState follow;
  StartFollowing(*document, follow);
  if (!follow.detectAgain) state.SkipWithError("the encoding is not detected again");
  std::string pieces;
  while (pieces.size() < kAppendBytes * 64) pieces += line;
  size_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      std::ofstream file(LogFile(), std::ios::binary | std::ios::app);
      file << pieces.substr(next % pieces.size(), kAppendBytes);
    }
    next += kAppendBytes;
    state.ResumeTiming();
    if (PollFollowedFile(*document, follow, kParameters, measure) != FollowResult::kExtended)
      state.SkipWithError("the append was not taken in");
    benchmark::DoNotOptimize(document->displayLineCount);
  }
  std::filesystem::remove(LogFile());
}
BENCHMARK(BM_FollowAsciiAppend1KB)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
}  // namespace vemora

BENCHMARK_MAIN();
