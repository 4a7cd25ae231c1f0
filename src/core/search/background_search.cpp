// The worker of a background search: one detached thread per search, kept alive by its own
// reference, so that an owner that stops waiting (a window being closed) leaves nothing
// behind that the worker still reads.
#include "core/search/background_search.h"

#include <algorithm>
#include <new>
#include <thread>
#include <utility>

#include "core/platform/out_of_memory.h"
#include "core/search/filter_worker.h"
#include "core/search/filtered_view.h"

namespace vemora {

SearchedText::SearchedText(std::u16string_view text) : length(static_cast<int64_t>(text.size())) {
  std::shared_ptr<char16_t[]> copy = std::make_shared_for_overwrite<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), copy.get());
  copy[text.size()] = u'\0';
  units = copy.get();
  owner = std::move(copy);
}

SearchedText ShareText(Document& document) {
  SearchedText shared;
  if (!document.text || document.textLength == 0) return shared;
  // A text that is part of another (no document shown is): a copy of its own.
  if (!document.textBuffer) return SearchedText(document.Text());
  document.textSharedEnd = TextWritableFrom(document, 0)
                               ? document.textLength
                               : std::max(document.textSharedEnd, document.textLength);
  shared.owner = document.textBuffer;
  shared.units = document.text;
  shared.length = document.textLength;
  return shared;
}

BackgroundSearch::BackgroundSearch(Request request, std::function<void()> finished)
    : request_(std::move(request)),
      finished_(std::move(finished)),
      patternLength_(static_cast<int32_t>(SearchText(request_.pattern).size())) {}

std::shared_ptr<BackgroundSearch> BackgroundSearch::Start(Request request,
                                                          std::function<void()> finished) {
  std::shared_ptr<BackgroundSearch> search(
      new BackgroundSearch(std::move(request), std::move(finished)));
  // The worker ends only once it has been detached: a thread that ended while it was being
  // detached (a short search) now and then spoiled the threads started after it under Wine.
  std::thread([search] {
    search->Run();
    std::unique_lock lock(search->mutex_);
    search->done_.wait(lock, [&search] { return search->detached_; });
  }).detach();
  {
    std::lock_guard lock(search->mutex_);
    search->detached_ = true;
  }
  search->done_.notify_all();
  return search;
}

void BackgroundSearch::Run() {
  HitCollection collection;
  KeptLines kept;
  bool outOfMemory = false;
  // The memory running out ends the search, not the process: the window says so and keeps
  // what it shows.
  try {
    const RecoverableAllocations recoverable;
    if (request_.askBeyondMemory) AskBeyondMemory();
    if (request_.gatherLines) {
      const FilterLayout layout{request_.layout, request_.measure.get()};
      kept = SearchKeptText(request_.text.units, request_.text.length,
                            {request_.pattern, request_.Caps, request_.Regx, request_.Invert},
                            collection, &cancel_, 0, request_.measure ? &layout : nullptr,
                            request_.progress.get());
    } else {
      collection = CollectHits(request_.text.View(), request_.pattern, request_.Caps, request_.Regx,
                               &cancel_);
    }
  } catch (const std::bad_alloc&) {
    collection = HitCollection();
    kept = KeptLines();
    outOfMemory = true;
  }
  // The share of the text goes as soon as it is searched, not when the owner lets go: the
  // document may write there again, or free it.
  request_.text = SearchedText();
  {
    std::lock_guard lock(mutex_);
    result_ = std::move(collection);
    kept_ = std::move(kept);
    outOfMemory_ = outOfMemory;
    ended_ = true;
  }
  done_.notify_all();
  if (finished_) finished_();
}

bool BackgroundSearch::OutOfMemory() const {
  std::lock_guard lock(mutex_);
  return outOfMemory_;
}

bool BackgroundSearch::Finished() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

bool BackgroundSearch::WaitUntilFinished(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, limit, [this] { return ended_; });
}

HitCollection BackgroundSearch::TakeResult() {
  std::lock_guard lock(mutex_);
  HitCollection taken = std::move(result_);
  result_ = HitCollection();
  return taken;
}

KeptLines BackgroundSearch::TakeKeptLines() {
  std::lock_guard lock(mutex_);
  KeptLines taken = std::move(kept_);
  kept_ = KeptLines();
  return taken;
}

}  // namespace vemora
