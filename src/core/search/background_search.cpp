// The worker of a background search: one detached thread per search, kept alive by its own
// reference, so that an owner that stops waiting (a window being closed) leaves nothing
// behind that the worker still reads.
#include "core/search/background_search.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace vemora {

SearchedText::SearchedText(std::u16string_view text)
    : units(std::make_unique_for_overwrite<char16_t[]>(text.size() + 1)),
      length(static_cast<int64_t>(text.size())) {
  std::copy(text.begin(), text.end(), units.get());
  units[text.size()] = u'\0';
}

BackgroundSearch::BackgroundSearch(Request request, std::function<void()> finished)
    : request_(std::move(request)),
      finished_(std::move(finished)),
      patternLength_(static_cast<int32_t>(SearchText(request_.pattern).size())) {}

std::shared_ptr<BackgroundSearch> BackgroundSearch::Start(Request request,
                                                          std::function<void()> finished) {
  std::shared_ptr<BackgroundSearch> search(
      new BackgroundSearch(std::move(request), std::move(finished)));
  std::thread([search] { search->Run(); }).detach();
  return search;
}

void BackgroundSearch::Run() {
  HitCollection collection;
  KeptLines kept;
  if (request_.gatherLines) {
    const FilterLayout layout{request_.layout, request_.measure.get()};
    kept = SearchKeptText(request_.text.units, request_.text.length,
                          {request_.pattern, request_.Caps, request_.Regx, request_.Invert},
                          collection, &cancel_, 0, request_.measure ? &layout : nullptr);
  } else {
    collection =
        CollectHits(request_.text.View(), request_.pattern, request_.Caps, request_.Regx, &cancel_);
  }
  // The copy of the text goes as soon as it is searched (or becomes the view's), not when
  // the owner lets go.
  request_.text = SearchedText();
  {
    std::lock_guard lock(mutex_);
    result_ = std::move(collection);
    kept_ = std::move(kept);
    ended_ = true;
  }
  done_.notify_all();
  if (finished_) finished_();
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
