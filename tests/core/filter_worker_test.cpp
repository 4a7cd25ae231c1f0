// A filter's worker as the window meets it when the filter does not run to its end: a
// cancel stops even a long search, and a worker that stops after publishing part of its
// view leaves the progress holding nothing of that view, which goes with the worker.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "core/search/background_search.h"
#include "core/search/filter_progress.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"
#include "test_documents.h"

namespace vemora {
namespace {

TEST(FilterWorker, StopsAfterPublishingWithoutLeavingItsViewBehind) {
  // Many chunks for two threads: whichever places the first one goes on to a chunk that
  // starts after the window was told.
  std::u16string text;
  for (int n = 0; n < 1000000; ++n) text += n % 3 ? u"line\n" : u"line 東京\n";
  const Document whole = testing::MakeDocument(text);
  const FilterRequest request{u"東京", 1, 0, 0};
  enum class Stop { kCancel, kOutOfMemory };
  for (const Stop stop : {Stop::kCancel, Stop::kOutOfMemory}) {
    const char* label = stop == Stop::kCancel ? "cancelled" : "out of memory";
    std::atomic<bool> cancel{false};
    std::atomic<int> told{0};
    // The first news stops the worker, as Esc would, or as memory running out would.
    auto progress = std::make_shared<FilterProgress>(
        [&] {
          if (told.fetch_add(1) > 0) return;
          if (stop == Stop::kOutOfMemory) throw std::bad_alloc();
          cancel.store(true);
        },
        std::chrono::milliseconds(0));
    HitCollection outcome;
    KeptLines kept;
    bool outOfMemory = false;
    try {
      kept = SearchKeptText(whole.text, whole.textLength, request, outcome, &cancel, 2, nullptr,
                            progress.get());
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    }
    ASSERT_GT(told.load(), 0) << label;
    EXPECT_EQ(outOfMemory, stop == Stop::kOutOfMemory) << label;
    EXPECT_EQ(outcome.cancelled, stop == Stop::kCancel) << label;
    EXPECT_FALSE(kept.view) << label;
    EXPECT_FALSE(progress->HasNews()) << label << ": the progress still holds the view";
    std::unique_ptr<Document> shown = NewFilteredView(whole, request);
    EXPECT_LT(progress->TakeInto(*shown, whole), 0) << label;
  }
}

// The filter's worker is handed its cancel: a search that would run for minutes over one
// long line ends soon after it, with nothing to show.
TEST(FilterWorker, ACancelStopsALongFilter) {
  const std::u16string line(300000, u'a');
  auto search = BackgroundSearch::Start({line, u"a*[^a][^a]", 0, 1, true}, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  search->Cancel();
  ASSERT_TRUE(search->WaitUntilFinished(std::chrono::seconds(10)));
  EXPECT_TRUE(search->TakeResult().cancelled);
  EXPECT_FALSE(search->TakeKeptLines().view);
}

}  // namespace
}  // namespace vemora
