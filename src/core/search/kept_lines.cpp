// The filter's search and line walk over one text, for the view built on the window's
// thread and for the lines a growing text gains.
#include "core/search/kept_lines.h"

#include <algorithm>

#include "core/search/line_walk.h"
#include "core/search/search.h"

namespace vemora {

bool CollectKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber,
                      const FilterRequest& request, KeptLines& kept, std::u16string& errorText) {
  const auto end = static_cast<int64_t>(text.size());
  from = std::clamp<int64_t>(from, 0, end);
  kept = KeptLines{};
  HitCollection collection;
  if (from < end) {
    collection = CollectHits(text.substr(static_cast<size_t>(from)), request.text, request.Caps,
                             request.Regx);
    if (!collection.errorText.empty()) {
      errorText = collection.errorText;
      return false;
    }
    if (from > 0) {
      for (int64_t i = 0; i < collection.hits.Size(); ++i) collection.hits[i].start += from;
    }
  }
  kept = GatherKeptLines(text, from, firstNumber, request.Invert == 1, std::move(collection.hits));
  kept.failedLines = collection.failedLines;
  return true;
}

KeptLines GatherKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber, bool invert,
                          HitList&& hitsFound) {
  const auto end = static_cast<int64_t>(text.size());
  from = std::clamp<int64_t>(from, 0, end);
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  WalkLines(text.data(), from, end, firstNumber, invert, kept.hits, 0, from, kept,
            [&kept](const KeptLine& line, int64_t, int64_t) { kept.lines.Append(line); });
  return kept;
}

}  // namespace vemora
