// Showing only the logical lines of a text that hold a hit (or, inverted, none): the kept
// lines gathered from one search, the filtered view built from them as a document of its
// own, its growth while the whole document grows, and the map back to the file's lines.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/block_list.h"
#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/search/search.h"
#include "core/text/document.h"

namespace vemora {

class FilterProgress;

// What the filter dialog hands over: the search text and switches as the find's, and
// whether the lines without a hit are the ones kept.
struct FilterRequest {
  std::u16string text;
  int32_t Caps = 0;
  int32_t Regx = 0;
  int32_t Invert = 0;  // 1 keeps the lines that hold no hit
};

struct FilterSource {
  std::unique_ptr<Document> whole;  // what the view shows part of; to return to and to follow
  FilterRequest request;
  // For each logical line of the view, the whole document's logical line (from 0).
  BlockList<int32_t, 4096> fileLines;
  // The whole text before `scannedEnd` has been filtered: it ends with complete lines, of
  // which there are `scannedLines`. A growing text changes only from there on.
  int64_t scannedEnd = 0;
  int32_t scannedLines = 0;
  // Where the view's last line starts in its text, while that line may still change.
  int64_t lastLineStart = -1;
  // How many hits the filter left in the view. Once a find has put others there, the lines
  // the view gains are not given the filter's.
  int64_t hitCount = 0;
  // While the filter's worker still gathers lines: what it has put in place so far, which
  // the view shows and takes as it comes. Null once the view is whole.
  std::shared_ptr<FilterProgress> growing;
  // While it grows, what the window keeps the reader's place with: the filtered view shown
  // before it, given back when the filter ends without a result (null when that was the
  // whole document); and the file line the view is to open at while no kept line at or
  // after it has come, with the top line the view was put at meanwhile (-1 once it has
  // moved there, or once the reader has moved it elsewhere).
  std::unique_ptr<Document> shownBefore;
  int32_t awaitedFileLine = -1;
  int32_t awaitedTop = -1;
};

// One kept logical line: its units are [start, end), its line end runs to `next`.
struct KeptLine {
  int64_t start = 0;
  int64_t end = 0;
  int64_t next = 0;
  int32_t number = 0;  // logical line, counted from 0
};

struct KeptLines {
  BlockList<KeptLine, 4096> lines;
  BlockList<SearchHit, 49> hits;  // every hit in the part searched, at positions in the text
  // The start of the text's last line when that line may still grow (it has no line end,
  // or only a CR that an LF may yet join), else the text's end; and its number.
  int64_t resumeStart = 0;
  int32_t resumeNumber = 0;
  int32_t failedLines = 0;  // lines the library gave up on; hits there may be missing
  // The view's text, line map and hits, when the worker made them (GatherKeptText); the
  // hits went into it.
  std::unique_ptr<Document> view;
  // The worker laid the view out too, with the layout it was given (FilterLayout).
  bool laidOut = false;
};

// What a worker lays the view out with while it gathers the lines, so that the window's
// thread has nothing left to do: each kept line is laid out while it is in the cache.
// `measure` is called from the worker's threads, one call at a time.
struct FilterLayout {
  LayoutParameters parameters;
  TextMeasure* measure = nullptr;
};

// Searches text[from, end) once, its lines numbered from `firstNumber`, and gathers the
// lines that hold a hit (a hit over several lines is held by each), or with Invert the
// others. False, with the library's message in `errorText`, for a rejected expression.
bool CollectKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber,
                      const FilterRequest& request, KeptLines& kept, std::u16string& errorText);

// The walk after the search: `hits` are every hit in text[from, end), at positions in
// `text`, and the lines there that hold one (with `invert`, that hold none) are kept.
KeptLines GatherKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber, bool invert,
                          BlockList<SearchHit, 49>&& hits);

// The same on the worker, over `length` units of `text`, which it only reads (the
// document's own, shared with the window's thread): the walk makes the view's text, line
// map and hits, put in `kept.view` (the kept lines are not listed in `kept.lines`: the
// view's file lines stand for them). The walk goes in `pieces` on threads of their own; 0
// leaves it to the text's size and the machine. With a `layout`, the view comes laid out
// as well (`laidOut`) unless it has more display lines than a layout counts; else the
// window's thread lays it out.
KeptLines GatherKeptText(const char16_t* text, int64_t length, const FilterRequest& request,
                         BlockList<SearchHit, 49>&& hits, int32_t pieces = 0,
                         const FilterLayout* layout = nullptr);

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

// The worker's whole filter: the search and GatherKeptText. Where no hit can reach over an
// LF, each piece searches its own lines and walks them while they are still in the cache,
// so the search too runs on every core. `outcome` gets the search's message, lines given
// up on and cancel (not its hits); after an error or a cancel nothing is gathered.
// With `progress` and without a `layout`, the chunks in place are published as they come.
KeptLines SearchKeptText(const char16_t* text, int64_t length, const FilterRequest& request,
                         HitCollection& outcome, const std::atomic<bool>* cancel = nullptr,
                         int32_t pieces = 0, const FilterLayout* layout = nullptr,
                         FilterProgress* progress = nullptr);

// An empty filtered view of `whole`, for `request`, which its lines are then put into.
std::unique_ptr<Document> NewFilteredView(const Document& whole, const FilterRequest& request);

// A view of `whole` holding its kept lines one after the other, with the hits that lie in
// them and their overstrike runs, not yet laid out. Its `filter->whole` is left for the
// caller to hand over. Null, with the message, for a rejected expression.
std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            std::u16string& errorText);
// The same from lines gathered already (on a worker, say) over `whole`'s text as it was
// then: only its last line may have changed since, and the view's growth catches up.
std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            const KeptLines& kept);
// The same, finishing the view the worker made (GatherKeptText) when there is one.
std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            KeptLines&& kept);

// Lays the view out by taking the display lines of each kept line from the whole
// document's layout, moved to where the line stands in the view: the same layout as
// breaking the view's lines again with the whole's parameters, at a fraction of the cost.
// The whole's text must be the one the view was made from, and its layout complete; false,
// with the view left as it was, when the two do not fit together. A long view is taken in
// two halves on two threads (`pieces` 2; 1 takes it in one, 0 leaves it to its size).
bool LayOutFromWhole(Document& view, const Document& whole, int32_t pieces = 0);

// The display lines of the view's logical lines from `firstLine` on, taken from the whole
// document's layout as LayOutFromWhole takes them, behind the lines the view has; the lines
// before `firstLine` are laid out, and end where the text stood before it grew. False, with
// the layout left as it was, when the whole's layout does not hold them. Many lines are
// taken in two halves on two threads (`pieces` as for LayOutFromWhole).
bool ExtendLayoutFromWhole(Document& view, const Document& whole, int64_t firstLine,
                           int32_t pieces = 0);

// The view takes from the whole document what it tells of the file (its line ends and
// size) and, when its hits are the filter's own, how many there are and how long.
void TakeFileFacts(Document& view, const Document& whole, bool ownHits);

// Gives the view `shown`, grown from a progress, what the worker's finished view of the
// same filter holds beyond it: its text (the same units first), lines, hits unless a find
// replaced them, overstrike runs and where its scan ended. Answers the first logical line
// to lay out (ExtendLayoutFromWhole); the view grows no more from the progress, and the
// view shown before it goes.
int64_t FinishGrowingView(Document& shown, Document&& finished);

// Brings the view's text, lines and hits up to date with its whole document, which grew (or
// whose last line changed); answers where the view's text changed, or -1 when it did not.
// The layout from there on is the caller's to extend.
int64_t CatchUpFilteredView(Document& view);

// After the whole document grew (or its last line changed), brings the view up to date and
// extends its layout as the follower extends the whole one; false when nothing changed.
bool ExtendFilteredView(Document& view, const LayoutParameters& parameters, TextMeasure& measure);

// The file's logical line of display line `line`, in a filtered view or not; -1 out of range.
int32_t FileLineOf(const Document& document, int32_t line);
// The first display line showing file line `fileLine` or one after it; -1 when none does.
int32_t DisplayLineAtOrAfterFileLine(const Document& document, int32_t fileLine);
// The number of the file's last line that the view shows, + 1; 0 when it shows none.
int32_t LastShownFileLineNumber(const Document& document);

// The document a file's growth extends: the whole one behind a filtered view.
Document& FileDocumentOf(Document& document);

}  // namespace vemora
