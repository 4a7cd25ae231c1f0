// The filtered view: the kept lines of a document put into a document of their own, with
// their hits and overstrike runs, its growth while the whole document grows, and the map
// from its lines back to the file's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/block_list.h"
#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/search/kept_lines.h"
#include "core/text/document.h"

namespace vemora {

class FilterProgress;

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

// The view takes from the whole document what it tells of the file (its line ends and
// size) and, when its hits are the filter's own, how many there are and how long.
void TakeFileFacts(Document& view, const Document& whole, bool ownHits);

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
