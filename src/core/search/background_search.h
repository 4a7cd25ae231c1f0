// A search on a thread of its own, over a copy of the text that it owns: the window stays
// responsive, the document may be replaced or freed meanwhile, and a cancel stops it soon.
// The find command runs on it, and so does the filter, whose worker also gathers the lines
// to keep, makes the view's text of them and, given a measure, lays it out, so that the
// window's thread has next to nothing left to do.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/search/filter.h"
#include "core/search/search.h"

namespace vemora {

// The worker's copy of the text, with a NUL after it, in a buffer that a filtered view can
// take over.
struct SearchedText {
  SearchedText() = default;
  // Not explicit: a request is written with the text it searches.
  SearchedText(std::u16string_view text);
  SearchedText(const std::u16string& text) : SearchedText(std::u16string_view(text)) {}
  // A value like the string it stands for: a copy copies the units.
  SearchedText(const SearchedText& other) : SearchedText(other.View()) {}
  SearchedText& operator=(const SearchedText& other) { return *this = SearchedText(other); }
  SearchedText(SearchedText&&) = default;
  SearchedText& operator=(SearchedText&&) = default;
  std::u16string_view View() const {
    return std::u16string_view(units ? units.get() : u"", static_cast<size_t>(length));
  }
  std::unique_ptr<char16_t[]> units;
  int64_t length = 0;
};

class BackgroundSearch : public std::enable_shared_from_this<BackgroundSearch> {
 public:
  struct Request {
    SearchedText text;  // the text searched, owned by the search until it ends
    std::u16string pattern;
    int32_t Caps = 0;
    int32_t Regx = 0;
    // A filter's search: the lines holding a hit (with Invert 1, holding none) are kept.
    bool gatherLines = false;
    int32_t Invert = 0;
    // With a measure of its own, the filter's worker lays the view out too.
    LayoutParameters layout{};
    std::shared_ptr<TextMeasure> measure{};
  };

  // Starts the worker. `finished` runs on the worker thread once the collection has ended,
  // cancelled or not; it must only hand the news on (a window posts itself a message).
  static std::shared_ptr<BackgroundSearch> Start(Request request, std::function<void()> finished);

  BackgroundSearch(const BackgroundSearch&) = delete;
  BackgroundSearch& operator=(const BackgroundSearch&) = delete;

  // The worker stops at its next look at the flag; whatever it found is not to be used.
  void Cancel() { cancel_.store(true); }
  bool Cancelled() const { return cancel_.load(); }
  bool Finished() const;
  // False when the worker is still busy after `limit`.
  bool WaitUntilFinished(std::chrono::milliseconds limit);
  // Once finished: the hits, moved out (a second call gets an empty collection). When
  // lines were gathered, the hits went with them: only the rest of the collection is here.
  HitCollection TakeResult();
  // Once a search that gathered lines has finished without error or cancel: the lines.
  KeptLines TakeKeptLines();
  int32_t PatternLength() const { return patternLength_; }

 private:
  BackgroundSearch(Request request, std::function<void()> finished);
  void Run();

  Request request_;
  std::function<void()> finished_;
  int32_t patternLength_ = 0;
  std::atomic<bool> cancel_{false};
  mutable std::mutex mutex_;
  std::condition_variable done_;
  bool ended_ = false;
  HitCollection result_;
  KeptLines kept_;
};

}  // namespace vemora
