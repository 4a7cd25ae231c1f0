// What the viewer waits for when it shows the filtered view of a 100 MB text (UTF-16 bytes,
// generated Japanese), against what it cannot do without: the search (as a find runs it, on
// one thread over the document's own text, which the worker shares and never copies) and
// the layout of the kept lines (as the window lays out a document). Each turn times the
// search alone, then the filter the viewer's way: the worker searches chunk after chunk and
// publishes each one it puts in place, while the window's side (here the benchmark's own
// thread) takes the first published lines into a view and lays them out from the whole
// document's layout, as the window shows them, then takes more as the window would every
// tenth of a second, and finishes the view with the worker's result. Apart, the layout of
// the view's text alone. The benchmark's time is the whole view's; the counters give the
// search, the layout, their sum, the first lines' time and each one's share of the sum.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include "core/layout/layout.h"
#include "core/layout/layout_from_whole.h"
#include "core/search/filter_progress.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"
#include "core/search/search.h"
#include "core/text/document.h"

namespace vemora {
namespace {

constexpr size_t kTextBytes = 100u * 1000 * 1000;
// The window's layout: wrapping at 80 columns.
constexpr LayoutParameters kParameters{8, 80, 0, 1, 0};

// Lines of the words bench/compare-search uses, numbered so that they differ, every
// seventh a quotation starting with 「 and carrying no number, ended by CR LF; laid out, as
// the document a window shows is.
const Document& SampleDocument() {
  static const Document document = [] {
    const std::u16string words[] = {u"東京",
                                    u"の",
                                    u"空",
                                    u"は",
                                    u"今日",
                                    u"も",
                                    u"青く",
                                    u"晴れて",
                                    u"いる",
                                    u"。",
                                    u"、",
                                    u"私",
                                    u"が",
                                    u"本",
                                    u"を",
                                    u"読む",
                                    u"ことに",
                                    u"した",
                                    u"ｶﾀｶﾅ",
                                    u"ABC",
                                    u"電車",
                                    u"で",
                                    u"大阪",
                                    u"まで",
                                    u"行きます",
                                    u"日本語",
                                    u"文章",
                                    u"です",
                                    u"ね",
                                    u"ー",
                                    u"新宿駅",
                                    u"2026年",
                                    u"ございます",
                                    u"ございません",
                                    u"コンピューター",
                                    u"インターネット",
                                    u"Debian",
                                    u"debian",
                                    u"カタカナ"};
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, std::size(words) - 1);
    std::u16string text;
    text.reserve(kTextBytes / 2 + 256);
    for (int64_t line = 0; text.size() * 2 < kTextBytes; ++line) {
      const bool quotation = line % 7 == 3;
      const size_t lineStart = text.size();
      if (quotation) {
        text += u"「";
      } else {
        const std::string number = std::to_string(line % 20000) + ": ";
        text.append(number.begin(), number.end());
      }
      const size_t length = 5 + static_cast<size_t>(line % 97);
      while (text.size() - lineStart < length) text += words[pick(random)];
      if (quotation) text += u"」";
      text += u"\r\n";
    }
    Document result;
    result.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), result.textBuffer.get());
    result.text = result.textBuffer.get();
    result.textLength = static_cast<int64_t>(text.size());
    ColumnRuleMeasure measure;
    LayoutDocument(result, kParameters, measure);
    return result;
  }();
  return document;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// The filter the viewer's way, from the request to the whole view: answers that view, and
// when its first lines were laid out, counted from `start`.
std::unique_ptr<Document> GrowView(const Document& whole, const FilterRequest& request,
                                   std::chrono::steady_clock::time_point start,
                                   std::chrono::steady_clock::duration& firstLines) {
  std::mutex mutex;
  std::condition_variable changed;
  bool told = false, done = false;
  auto progress = std::make_shared<FilterProgress>([&] {
    std::lock_guard lock(mutex);
    told = true;
    changed.notify_all();
  });
  KeptLines kept;
  std::thread worker([&] {
    HitCollection outcome;
    kept = SearchKeptText(whole.text, whole.textLength, request, outcome, nullptr, 0, nullptr,
                          progress.get());
    std::lock_guard lock(mutex);
    done = true;
    changed.notify_all();
  });
  std::unique_ptr<Document> shown = NewFilteredView(whole, request);
  shown->filter->growing = progress;
  firstLines = {};
  for (;;) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return told || done; });
    if (!told) break;
    told = false;
    lock.unlock();
    const int64_t first = progress->TakeInto(*shown, whole);
    if (first >= 0 && !ExtendLayoutFromWhole(*shown, whole, first)) std::abort();
    if (firstLines == std::chrono::steady_clock::duration{})
      firstLines = std::chrono::steady_clock::now() - start;
  }
  worker.join();
  std::unique_ptr<Document> finished = BuildFilteredView(whole, request, std::move(kept));
  const int64_t first = FinishGrowingView(*shown, std::move(*finished));
  if (!ExtendLayoutFromWhole(*shown, whole, first)) std::abort();
  return shown;
}

void FilterView(benchmark::State& state, std::u16string pattern, int32_t regx) {
  const Document& whole = SampleDocument();
  const FilterRequest request{pattern, 0, regx, 0};
  ColumnRuleMeasure measure;
  const LayoutParameters parameters = kParameters;
  double search = 0, layout = 0, view = 0, first = 0;
  int32_t kept = 0;
  for (auto _ : state) {
    using Clock = std::chrono::steady_clock;
    const auto searchStart = Clock::now();
    HitCollection found = CollectHits(whole.Text(), request.text, request.Caps, request.Regx);
    const auto searchEnd = Clock::now();
    benchmark::DoNotOptimize(found.hits.Size());
    found = HitCollection();

    const auto viewStart = Clock::now();
    Clock::duration firstLines{};
    std::unique_ptr<Document> shown = GrowView(whole, request, viewStart, firstLines);
    const auto viewEnd = Clock::now();
    benchmark::DoNotOptimize(shown->displayLineCount);
    // The same text laid out as the window lays out a view that comes without a layout.
    Document alone;
    alone.text = shown->text;
    alone.textLength = shown->textLength;
    const auto layoutStart = Clock::now();
    LayoutDocument(alone, parameters, measure);
    const auto layoutEnd = Clock::now();
    if (alone.displayLineCount != shown->displayLineCount) state.SkipWithError("views differ");

    search += Milliseconds(searchEnd - searchStart);
    layout += Milliseconds(layoutEnd - layoutStart);
    view += Milliseconds(viewEnd - viewStart);
    // A view made before the worker published anything has its first lines with the rest.
    first += Milliseconds(firstLines == Clock::duration{} ? viewEnd - viewStart : firstLines);
    state.SetIterationTime(std::chrono::duration<double>(viewEnd - viewStart).count());
    kept = shown->filter->fileLines.Size();
  }
  const auto perTurn = benchmark::Counter::kAvgIterations;
  state.counters["search_ms"] = benchmark::Counter(search, perTurn);
  state.counters["layout_ms"] = benchmark::Counter(layout, perTurn);
  state.counters["search+layout_ms"] = benchmark::Counter(search + layout, perTurn);
  state.counters["first_lines_ms"] = benchmark::Counter(first, perTurn);
  state.counters["view_ms"] = benchmark::Counter(view, perTurn);
  state.counters["first/(search+layout)"] = first / (search + layout);
  state.counters["view/(search+layout)"] = view / (search + layout);
  state.counters["kept_lines"] = kept;
}

BENCHMARK_CAPTURE(FilterView, plain_Tokyo, u"東京", 0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterView, Tokyo_or_Osaka, u"東京|大阪", 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterView, kanji_station, u"[一-龠]{2,}駅", 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterView, quotation_start, u"^「", 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterView, debian_any_case, u"(?i)debian", 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vemora

BENCHMARK_MAIN();
