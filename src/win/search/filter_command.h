// The filter commands of the window: the filtered view shown in place of the whole
// document, the way back, and keeping the filter over a reload and while following.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/search/filter_progress.h"
#include "core/search/kept_lines.h"

namespace vemora {

// The request the filter dialog edits; the case and expression switches are the find's.
extern FilterRequest gFilterRequest;

// The status bar's top-line part while a filtered view shows no line.
inline constexpr char16_t kNoKeptLinesText[] = u"0行";
// Behind the document's name in the title while a filtered view is shown.
inline constexpr char16_t kFilteredTitleMark[] = u" [絞り込み]";

// CmdFilter: the dialog, then the view of the whole document's lines that hold a hit.
void FilterWithDialog();
// CmdUnfilter: the whole document again, with the file line that was at the top. A filter
// still searching ends.
void RemoveFilter();

// What a filter's worker lays its view out with: the window's layout and a measure of the
// worker's own; none when the window lays the view out itself (wrapping at its edge, which
// placing the view does). Called as each filter's worker starts.
std::shared_ptr<TextMeasure> FilterLayoutForWorker(LayoutParameters& parameters);

// What a filter's worker search found in the whole document's text.
struct FilterResult {
  FilterRequest request;
  KeptLines kept;
  std::u16string errorText;  // a rejected expression: the view stays as it is
  int32_t failedLines = 0;
  int32_t fileTop = -1;  // the file line to show at the top; -1 the one there now
  // The whole document when its text was copied for the worker; it may have grown since.
  int64_t searchedLength = 0;
  int64_t searchedBytes = 0;
  // What the worker published while it ran; the view shown may have grown from it.
  std::shared_ptr<FilterProgress> progress;
};
// Shows the view of the lines kept (or the message for a rejected expression), then
// reports the lines the library gave up on. A view grown from the same worker's progress
// takes the rest in place.
void ShowFilterResult(FilterResult&& result);
// While a large filter runs: the lines its worker has put in place. The first come as a
// view in place of what is shown, which the next ones grow; it moves to its top as for the
// result as soon as that has come, unless the reader has moved it.
void ShowFilterProgress(const std::shared_ptr<FilterProgress>& progress,
                        const FilterRequest& request, int32_t fileTop);
// A filter stopped before its end: a view still growing from its progress gives way to
// what was shown before it, the whole document or a filtered view, at its own top line.
void DropGrowingView(const FilterProgress* progress);

// What a reload needs to filter the new text as the old one was.
struct FilterResume {
  bool active = false;
  FilterRequest request;
  int32_t fileTop = 0;
  bool growing = false;  // its view was still growing from its worker
};
// Called before the shown document is read again, and after with what it answered.
FilterResume FilterBeforeReload();
void FilterAfterReload(const FilterResume& resume);

// The document a follower reads the file's growth into: the whole one while a filtered
// view is shown; null without a document.
Document* FollowedDocument();
// After the followed document grew: the filtered view takes the new lines that it keeps.
void ExtendFilteredViewAfterGrowth();

}  // namespace vemora
