// The growing filtered view: what a filter's worker publishes of the view it makes, the
// window's view taking it as it comes, and that view finished with the worker's result.
#include "core/search/filter_progress.h"

#include <limits>
#include <mutex>

#include "core/search/filtered_view.h"

namespace vemora {

void FilterProgress::Publish(const Document& view, const std::shared_ptr<char16_t[]>& text,
                             int64_t length, int64_t scannedEnd, int32_t scannedLines) {
  view_ = &view;
  text_ = text;
  length_ = length;
  lines_ = view.filter->fileLines.Size();
  hits_ = view.hits.Size();
  lastLineStart_ = view.filter->lastLineStart;
  scannedEnd_ = scannedEnd;
  scannedLines_ = scannedLines;
}

void FilterProgress::Withdraw() {
  view_ = nullptr;
  text_.reset();
}

void FilterProgress::TellIfDue() {
  {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    const bool first = lastTold_ == std::chrono::steady_clock::time_point{};
    if (!tell_ || waitingForTake_ || lines_ == takenLines_ ||
        (!first && now - lastTold_ < interval_))
      return;
    waitingForTake_ = true;
    lastTold_ = now;
  }
  tell_();
}

bool FilterProgress::HasNews() const {
  std::lock_guard lock(mutex_);
  return view_ && lines_ > takenLines_;
}

int64_t FilterProgress::TakeInto(Document& shown, const Document& whole) {
  std::lock_guard lock(mutex_);
  waitingForTake_ = false;
  if (!view_ || !shown.filter || lines_ == takenLines_) return -1;
  FilterSource& source = *shown.filter;
  const int64_t first = source.fileLines.Size();
  const auto& lines = view_->filter->fileLines;
  for (int64_t k = takenLines_; k < lines_; ++k) source.fileLines.Append(lines[k]);
  const bool ownHits = shown.hits.Size() == source.hitCount;
  for (int64_t h = takenHits_; ownHits && h < hits_; ++h) shown.hits.Append(view_->hits[h]);
  takenLines_ = lines_;
  takenHits_ = hits_;
  source.lastLineStart = lastLineStart_;
  source.scannedEnd = scannedEnd_;
  source.scannedLines = scannedLines_;
  // The worker writes behind these units while it goes on: nothing here may write at all.
  shown.textBuffer = text_;
  shown.text = text_.get();
  shown.textLength = length_;
  shown.textCapacity = length_;
  shown.textSharedEnd = std::numeric_limits<int64_t>::max();
  TakeFileFacts(shown, whole, ownHits);
  return first;
}

int64_t FinishGrowingView(Document& shown, Document&& finished) {
  FilterSource& source = *shown.filter;
  FilterSource& done = *finished.filter;
  const int64_t first = source.fileLines.Size();
  const bool ownHits = shown.hits.Size() == source.hitCount;
  // A find may still read the units shown so far, when the text stays where it was.
  const bool sameText = finished.text == shown.text;
  shown.textSharedEnd = sameText ? shown.textLength : 0;
  shown.textBuffer = std::move(finished.textBuffer);
  shown.text = finished.text;
  shown.textLength = finished.textLength;
  shown.textCapacity = finished.textCapacity;
  source.fileLines = std::move(done.fileLines);
  source.scannedEnd = done.scannedEnd;
  source.scannedLines = done.scannedLines;
  source.lastLineStart = done.lastLineStart;
  if (ownHits) {
    shown.hits = std::move(finished.hits);
    shown.hitPatternLength = finished.hitPatternLength;
    source.hitCount = done.hitCount;
  }
  shown.overstrikeRuns = std::move(finished.overstrikeRuns);
  shown.lineEndKind = finished.lineEndKind;
  shown.sourceBytes = finished.sourceBytes;
  source.growing.reset();
  source.shownBefore.reset();
  return first;
}

}  // namespace vemora
