// The filter on a worker: the search and the line walk over a large text on every core,
// the kept lines put together into the view's text as they come, laid out there too when
// the worker is given a layout, and published chunk by chunk to a FilterProgress.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/search/kept_lines.h"
#include "core/search/search.h"

namespace vemora {

class FilterProgress;

// What a worker lays the view out with while it gathers the lines, so that the window's
// thread has nothing left to do: each kept line is laid out while it is in the cache.
// `measure` is called from the worker's threads, one call at a time.
struct FilterLayout {
  LayoutParameters parameters;
  TextMeasure* measure = nullptr;
};

// The same as GatherKeptLines on the worker, over `length` units of `text`, which it only
// reads (the document's own, shared with the window's thread): the walk makes the view's
// text, line map and hits, put in `kept.view` (the kept lines are not listed in
// `kept.lines`: the view's file lines stand for them). The walk goes in `pieces` on threads
// of their own; 0 leaves it to the text's size and the machine. With a `layout`, the view
// comes laid out as well (`laidOut`) unless it has more display lines than a layout
// counts; else the window's thread lays it out.
KeptLines GatherKeptText(const char16_t* text, int64_t length, const FilterRequest& request,
                         HitList&& hits, int32_t pieces = 0, const FilterLayout* layout = nullptr);

// The worker's whole filter: the search and GatherKeptText. Where no hit can reach over an
// LF, each piece searches its own lines and walks them while they are still in the cache,
// so the search too runs on every core. `outcome` gets the search's message, lines given
// up on and cancel (not its hits); after an error or a cancel nothing is gathered.
// With `progress` and without a `layout`, the chunks in place are published as they come.
KeptLines SearchKeptText(const char16_t* text, int64_t length, const FilterRequest& request,
                         HitCollection& outcome, const std::atomic<bool>* cancel = nullptr,
                         int32_t pieces = 0, const FilterLayout* layout = nullptr,
                         FilterProgress* progress = nullptr);

}  // namespace vemora
