// The growing filtered view: what a filter's worker publishes of the view it makes, for
// the window to show while the worker goes on, and that view finished with its result.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "core/text/document.h"

namespace vemora {

// What a filter's worker has put in place so far, for the window to show while the worker
// goes on: a large text is searched chunk after chunk, and the view's text, lines and hits
// of the chunks in place no longer change. The worker publishes each chunk but the last
// (which only its result brings); the window takes what is new into a view of its own,
// which shares the view's text with the worker.
class FilterProgress {
 public:
  // `tell` runs on the worker when there is news for the window and the window has taken
  // the news before (at once for the first, then at most every `interval`); it must only
  // hand it on (a window posts itself a message). News that came too soon is told with the
  // next, or when the window asks (TellIfDue) once the interval has passed.
  static constexpr std::chrono::milliseconds kTellInterval{100};
  explicit FilterProgress(std::function<void()> tell = {},
                          std::chrono::milliseconds interval = kTellInterval)
      : tell_(std::move(tell)), interval_(interval) {}

  // The worker: changes its view only while holding this, once it has published.
  std::unique_lock<std::mutex> Hold() { return std::unique_lock(mutex_); }
  // Holding it: the first `length` units of `text` are the view's, with the lines and hits
  // `view` holds, of the text searched before `scannedEnd`, which holds `scannedLines`.
  void Publish(const Document& view, const std::shared_ptr<char16_t[]>& text, int64_t length,
               int64_t scannedEnd, int32_t scannedLines);
  // Holding it: the worker's view goes (into the result); nothing more is taken from it.
  void Withdraw();
  // Not holding it, after publishing (or on the window's thread): tells the window if that
  // is due.
  void TellIfDue();

  // The window: whether anything is published that `TakeInto` has not taken.
  bool HasNews() const;
  // Appends what is new to `shown`, a view of `whole` fed by this progress alone (start
  // with NewFilteredView), its text shared with the worker and not written while the
  // worker goes on. Answers the first of the view's new logical lines, or -1 when nothing
  // is new; the layout of the new lines is the caller's (ExtendLayoutFromWhole).
  int64_t TakeInto(Document& shown, const Document& whole);

 private:
  std::function<void()> tell_;
  std::chrono::milliseconds interval_;
  mutable std::mutex mutex_;
  const Document* view_ = nullptr;
  std::shared_ptr<char16_t[]> text_;
  int64_t length_ = 0;
  int64_t lines_ = 0;
  int64_t hits_ = 0;
  int64_t lastLineStart_ = -1;
  int64_t scannedEnd_ = 0;
  int32_t scannedLines_ = 0;
  int64_t takenLines_ = 0;  // what the window took
  int64_t takenHits_ = 0;
  bool waitingForTake_ = false;  // told, and not taken since
  std::chrono::steady_clock::time_point lastTold_{};
};

// Gives the view `shown`, grown from a progress, what the worker's finished view of the
// same filter holds beyond it: its text (the same units first), lines, hits unless a find
// replaced them, overstrike runs and where its scan ended. Answers the first logical line
// to lay out (ExtendLayoutFromWhole); the view grows no more from the progress, and the
// view shown before it goes.
int64_t FinishGrowingView(Document& shown, Document&& finished);

}  // namespace vemora
