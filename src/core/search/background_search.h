// A search on a thread of its own, over the document's text, which it holds a share of:
// the window stays responsive, the document may be replaced or freed meanwhile, and a
// cancel stops it soon. The find command runs on it, and so does the filter, whose worker
// also gathers the lines to keep, makes the view's text of them and, given a measure,
// lays it out, so that the window's thread has next to nothing left to do.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/search/filter_progress.h"
#include "core/search/kept_lines.h"
#include "core/search/search.h"

namespace vemora {

// The units a search reads: a share of the document's text buffer, which keeps them while
// the document is replaced or freed, and how many of them it reads. The document writes
// no unit before that length while the share lasts (TextWritableFrom).
struct SearchedText {
  SearchedText() = default;
  // A text of its own, copied: for a text that no document holds.
  SearchedText(std::u16string_view text);
  SearchedText(const std::u16string& text) : SearchedText(std::u16string_view(text)) {}
  std::u16string_view View() const {
    return std::u16string_view(units ? units : u"", static_cast<size_t>(length));
  }
  std::shared_ptr<const char16_t[]> owner;
  const char16_t* units = nullptr;
  int64_t length = 0;
};

// The document's text as it is now, shared and not copied; the document keeps those units
// as they are until the search lets go.
SearchedText ShareText(Document& document);

class BackgroundSearch : public std::enable_shared_from_this<BackgroundSearch> {
 public:
  struct Request {
    SearchedText text;  // the text searched, held by the search until it ends
    std::u16string pattern;
    int32_t Caps = 0;
    int32_t Regx = 0;
    // A filter's search: the lines holding a hit (with Invert 1, holding none) are kept.
    bool gatherLines = false;
    int32_t Invert = 0;
    bool askBeyondMemory = false;  // tests: the worker asks for more memory than there is
    // With a measure of its own, the filter's worker lays the view out too.
    LayoutParameters layout{};
    std::shared_ptr<TextMeasure> measure{};
    // Without one, a filter's worker publishes its view here as it grows.
    std::shared_ptr<FilterProgress> progress{};
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
  // Once finished: the search ran out of memory and found nothing to use.
  bool OutOfMemory() const;

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
  bool detached_ = false;
  bool outOfMemory_ = false;
  HitCollection result_;
  KeptLines kept_;
};

}  // namespace vemora
