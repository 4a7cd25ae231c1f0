// Layout and search throughput over a generated 50 MB Japanese text (UTF-16 bytes), with
// the fixed column measure that vemorainfo uses.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "core/layout/layout.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"
#include "core/search/search.h"
#include "core/text/document.h"

namespace vemora {
namespace {

constexpr size_t kTextBytes = 50u * 1000 * 1000;

// Sentences of kanji, kana, punctuation and some ASCII, in lines of varied length (some
// beyond the wrap column) ended by CR LF.
const Document& SampleDocument() {
  static const Document document = [] {
    const std::u16string words[] = {
        u"東京", u"の",     u"空",   u"は",     u"今日", u"も",   u"青く", u"晴れて",   u"いる",
        u"。",   u"、",     u"私",   u"が",     u"本",   u"を",   u"読む", u"ことに",   u"した",
        u"ｶﾀｶﾅ", u"ABC",    u" ",    u"電車",   u"で",   u"大阪", u"まで", u"行きます", u"「",
        u"」",   u"日本語", u"文章", u"2024年", u"です", u"ね",   u"\t",   u"ー"};
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, std::size(words) - 1);
    std::uniform_int_distribution<int> lineLength(5, 120);
    std::u16string text;
    text.reserve(kTextBytes / 2 + 256);
    while (text.size() * 2 < kTextBytes) {
      const int length = lineLength(random);
      const size_t lineStart = text.size();
      while (text.size() - lineStart < static_cast<size_t>(length)) text += words[pick(random)];
      text += u"\r\n";
    }
    Document result;
    result.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), result.textBuffer.get());
    result.text = result.textBuffer.get();
    result.textLength = static_cast<int32_t>(text.size());
    return result;
  }();
  return document;
}

Document Copy(const Document& source) {
  Document copy;
  copy.text = source.text;
  copy.textLength = source.textLength;
  return copy;
}

void BM_LayoutColumns(benchmark::State& state) {
  Document document = Copy(SampleDocument());
  ColumnRuleMeasure measure;
  const LayoutParameters parameters{8, static_cast<int32_t>(state.range(0)), 0, 1, 0};
  for (auto _ : state) {
    LayoutDocument(document, parameters, measure);
    benchmark::DoNotOptimize(document.displayLineCount);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{document.textLength} * 2);
  state.counters["lines"] = document.displayLineCount;
}
BENCHMARK(BM_LayoutColumns)->Arg(80)->Unit(benchmark::kMillisecond);

// The same layout on the calling thread alone: what the pieces on every core save.
void BM_LayoutColumnsOnOneThread(benchmark::State& state) {
  Document document = Copy(SampleDocument());
  ColumnRuleMeasure measure;
  const LayoutParameters parameters{8, 80, 0, 1, 0};
  for (auto _ : state) {
    LayoutDocumentOnOneThread(document, parameters, measure);
    benchmark::DoNotOptimize(document.displayLineCount);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{document.textLength} * 2);
}
BENCHMARK(BM_LayoutColumnsOnOneThread)->Unit(benchmark::kMillisecond);

void BM_LayoutEdge(benchmark::State& state) {
  Document document = Copy(SampleDocument());
  ColumnRuleMeasure measure;  // one pixel per column: wrap at 80 columns
  const LayoutParameters parameters{8, 80, 1, 1, 80 + 16};
  for (auto _ : state) {
    LayoutDocument(document, parameters, measure);
    benchmark::DoNotOptimize(document.displayLineCount);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{document.textLength} * 2);
}
BENCHMARK(BM_LayoutEdge)->Unit(benchmark::kMillisecond);

void Search(benchmark::State& state, std::u16string_view pattern, int32_t caps, int32_t regx) {
  Document document = Copy(SampleDocument());
  ColumnRuleMeasure measure;
  LayoutDocument(document, LayoutParameters{8, 80, 0, 1, 0}, measure);
  for (auto _ : state) {
    SearchDocument(document, 0, pattern, caps, regx, false);
    benchmark::DoNotOptimize(document.hits.Size());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{document.textLength} * 2);
  state.counters["hits"] = document.hits.Size();
}

void BM_SearchPlain(benchmark::State& state) {
  Search(state, u"大阪まで", 1, 0);
}
void BM_SearchPlainIgnoringCase(benchmark::State& state) {
  Search(state, u"abc東京", 0, 0);
}
void BM_SearchRegex(benchmark::State& state) {
  Search(state, u"大阪まで", 0, 1);
}
void BM_SearchRegexAlternation(benchmark::State& state) {
  Search(state, u"東京|大阪", 0, 1);
}
BENCHMARK(BM_SearchPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchPlainIgnoringCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchRegexAlternation)->Unit(benchmark::kMillisecond);

// The filtered view of the lines holding 東京 (a regular expression, as the search above):
// gathering the kept lines (the search and a walk over every line), building the view
// (that and the copy of the kept lines), then its layout: what the viewer waits for.
void BM_FilterGather(benchmark::State& state) {
  const Document& whole = SampleDocument();
  std::u16string errorText;
  for (auto _ : state) {
    KeptLines kept;
    CollectKeptLines(whole.Text(), 0, 0, {u"東京", 0, 1, 0}, kept, errorText);
    benchmark::DoNotOptimize(kept.lines.Size());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{whole.textLength} * 2);
}
BENCHMARK(BM_FilterGather)->Unit(benchmark::kMillisecond);

void BM_FilterBuild(benchmark::State& state) {
  const Document& whole = SampleDocument();
  std::u16string errorText;
  int32_t kept = 0;
  for (auto _ : state) {
    std::unique_ptr<Document> view = BuildFilteredView(whole, {u"東京", 0, 1, 0}, errorText);
    kept = view->filter->fileLines.Size();
    benchmark::DoNotOptimize(view->textLength);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{whole.textLength} * 2);
  state.counters["kept lines"] = kept;
}
BENCHMARK(BM_FilterBuild)->Unit(benchmark::kMillisecond);

// What the window's thread does once the worker has gathered the kept lines.
void BM_FilterBuildFromGatheredLines(benchmark::State& state) {
  const Document& whole = SampleDocument();
  std::u16string errorText;
  KeptLines kept;
  CollectKeptLines(whole.Text(), 0, 0, {u"東京", 0, 1, 0}, kept, errorText);
  for (auto _ : state) {
    std::unique_ptr<Document> view = BuildFilteredView(whole, {u"東京", 0, 1, 0}, kept);
    benchmark::DoNotOptimize(view->textLength);
  }
  state.SetBytesProcessed(state.iterations() * int64_t{whole.textLength} * 2);
}
BENCHMARK(BM_FilterBuildFromGatheredLines)->Unit(benchmark::kMillisecond);

// The way the viewer goes: the worker searches the document's own text, which it shares
// (in chunks on every core), gathers the kept lines and makes the view's text of them in
// room of its own; the window's thread then finishes the view. bench/filter_view_bench
// times it beside the search and the layout over 100 MB.
void BM_FilterViewThroughWorker(benchmark::State& state) {
  const Document& whole = SampleDocument();
  const FilterRequest request{u"東京", 0, 1, 0};
  int32_t kept = 0;
  for (auto _ : state) {
    HitCollection outcome;
    KeptLines lines = SearchKeptText(whole.text, whole.textLength, request, outcome);
    std::unique_ptr<Document> view = BuildFilteredView(whole, request, std::move(lines));
    kept = view->filter->fileLines.Size();
    benchmark::DoNotOptimize(view->textLength);
    state.PauseTiming();
    view.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{whole.textLength} * 2);
  state.counters["kept lines"] = kept;
}
BENCHMARK(BM_FilterViewThroughWorker)->Unit(benchmark::kMillisecond);

void BM_FilterViewLayout(benchmark::State& state) {
  std::u16string errorText;
  std::unique_ptr<Document> view =
      BuildFilteredView(SampleDocument(), {u"東京", 0, 1, 0}, errorText);
  ColumnRuleMeasure measure;
  for (auto _ : state) {
    LayoutDocument(*view, LayoutParameters{8, 80, 0, 1, 0}, measure);
    benchmark::DoNotOptimize(view->displayLineCount);
  }
}
BENCHMARK(BM_FilterViewLayout)->Unit(benchmark::kMillisecond);

void BM_SearchRegexTokyo(benchmark::State& state) {
  Search(state, u"東京", 0, 1);
}
BENCHMARK(BM_SearchRegexTokyo)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vemora

BENCHMARK_MAIN();
