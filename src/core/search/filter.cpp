// The filter over the viewer's own search: one search over the text, then a walk that
// finds the lines holding a hit (counting the lines between them), then the kept lines
// put into a text of their own with the hits and overstrike runs moved along.
#include "core/search/filter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/search/search.h"

namespace vemora {

void FilterSourceDeleter::operator()(FilterSource* source) const {
  delete source;
}

namespace {

// Whether a line starts just after text[q]: after an LF, or after a CR that no LF follows.
bool StartsLineAfter(const char16_t* text, int32_t q, int32_t end) {
  return text[q] == u'\n' || (text[q] == u'\r' && (q + 1 == end || text[q + 1] != u'\n'));
}

#if defined(__SSE2__)
// Bit i set when a line starts just after text[q + i], for sixteen units; text[q + 16]
// must exist. Each CR is looked at together with the unit after it, so that a CR LF pair
// across two steps is seen whole.
unsigned LineStartMask(const char16_t* text, int32_t q) {
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i lf = _mm_set1_epi16(u'\n');
  auto starts = [&](int32_t at) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + 1));
    return _mm_or_si128(_mm_cmpeq_epi16(here, lf),
                        _mm_andnot_si128(_mm_cmpeq_epi16(after, lf), _mm_cmpeq_epi16(here, cr)));
  };
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(starts(q), starts(q + 8))));
}
#endif

// The search text as the search reads it: up to its first NUL.
int32_t PatternLength(std::u16string_view text) {
  return static_cast<int32_t>(std::min(text.find(u'\0'), text.size()));
}

// Gives the view's text room for `units` units and its NUL, keeping what it holds. A view
// that follows a log grows often, so it grows by a quarter more than asked.
void ReserveViewText(Document& view, int64_t units, bool withSlack) {
  if (units <= view.textCapacity) return;
  constexpr int64_t kLargest = std::numeric_limits<int32_t>::max() - 1;
  const int64_t wanted = withSlack ? units + std::max<int64_t>(units / 4, 4096) : units;
  const auto capacity = static_cast<int32_t>(std::min(wanted, kLargest));
  auto buffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(capacity) + 1);
  if (view.textLength > 0) std::copy_n(view.text, view.textLength, buffer.get());
  buffer[static_cast<size_t>(view.textLength)] = u'\0';
  view.textBuffer = std::move(buffer);
  view.text = view.textBuffer.get();
  view.textCapacity = capacity;
}

// The index of the first run that ends after `position`.
int32_t FirstRunEndingAfter(const BlockList<OverstrikeRun, 49>& runs, int32_t position) {
  int32_t low = 0;
  int32_t high = runs.Size();
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (runs[middle].start + runs[middle].length <= position) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

// Copies the kept lines behind the view's text, with the hits that start in them and the
// parts of the overstrike runs that lie in them.
void AppendKeptLines(Document& view, const Document& whole, const KeptLines& kept, bool withHits) {
  FilterSource& source = *view.filter;
  const auto& lines = kept.lines;
  if (lines.Empty()) return;
  int64_t needed = view.textLength;
  for (int32_t k = 0; k < lines.Size(); ++k) needed += lines[k].next - lines[k].start + 1;
  ReserveViewText(view, needed, view.textLength > 0);

  const auto& hits = kept.hits;
  const auto& runs = whole.overstrikeRuns;
  withHits = withHits && source.request.Invert != 1;
  int32_t h = 0;
  int32_t r = FirstRunEndingAfter(runs, lines[0].start);
  for (int32_t k = 0; k < lines.Size(); ++k) {
    const KeptLine& line = lines[k];
    int32_t at = view.textLength;
    // A line that ends in a lone CR would join an empty LF line put behind it into one
    // CR-LF line: the CR gets an LF of its own, so the view keeps one line per kept line.
    if (at > 0 && view.text[at - 1] == u'\r' && line.start < line.next &&
        whole.text[line.start] == u'\n')
      view.text[at++] = u'\n';
    const int32_t delta = at - line.start;
    std::copy(whole.text + line.start, whole.text + line.next, view.text + at);
    view.textLength = at + (line.next - line.start);
    source.fileLines.Append(line.number);
    source.lastLineStart = at;
    for (; withHits && h < hits.Size() && hits[h].start < line.next; ++h) {
      if (hits[h].start >= line.start)
        view.hits.Append(SearchHit{hits[h].start + delta, hits[h].length});
    }
    while (r < runs.Size() && runs[r].start < line.next) {
      const OverstrikeRun& run = runs[r];
      const int32_t start = std::max(run.start, line.start);
      const int32_t end = std::min(run.start + run.length, line.next);
      if (start < end)
        view.overstrikeRuns.Append(OverstrikeRun{start + delta, end - start, run.attributes});
      if (run.start + run.length > line.next) break;
      ++r;
    }
  }
  // A hit over several lines goes on in the lines after its first; it cannot reach past
  // the last line kept.
  if (!view.hits.Empty()) {
    SearchHit& last = view.hits[view.hits.Size() - 1];
    last.length = std::min(last.length, view.textLength - last.start);
  }
  view.text[view.textLength] = u'\0';
}

// The overstrike runs of `whole` that lie in the kept lines, moved to where the lines
// stand in a view that holds them from its start. The lines are placed as AppendKeptLines
// places them.
void AppendKeptRuns(Document& view, const Document& whole, const KeptLines& kept) {
  const auto& lines = kept.lines;
  const auto& runs = whole.overstrikeRuns;
  if (lines.Empty() || runs.Empty()) return;
  int32_t at = 0;
  int32_t r = FirstRunEndingAfter(runs, lines[0].start);
  for (int32_t k = 0; k < lines.Size() && r < runs.Size(); ++k) {
    const KeptLine& line = lines[k];
    if (k > 0 && whole.text[lines[k - 1].next - 1] == u'\r' && line.start < line.next &&
        whole.text[line.start] == u'\n')
      ++at;
    const int32_t delta = at - line.start;
    at += line.next - line.start;
    while (r < runs.Size() && runs[r].start < line.next) {
      const OverstrikeRun& run = runs[r];
      const int32_t start = std::max(run.start, line.start);
      const int32_t end = std::min(run.start + run.length, line.next);
      if (start < end)
        view.overstrikeRuns.Append(OverstrikeRun{start + delta, end - start, run.attributes});
      if (run.start + run.length > line.next) break;
      ++r;
    }
  }
}

void TakeFileFacts(Document& view, const Document& whole, bool ownHits) {
  view.lineEndKind = whole.lineEndKind;
  view.sourceBytes = whole.sourceBytes;
  if (view.hits.Empty()) {
    view.hitPatternLength = 0;
  } else if (ownHits) {
    view.hitPatternLength = PatternLength(view.filter->request.text);
  }
  if (ownHits) view.filter->hitCount = view.hits.Size();
}

// Drops what the view holds from text position `cut` on.
void CutView(Document& view, int32_t cut) {
  view.textLength = cut;
  auto& hits = view.hits;
  int32_t keptHits = hits.Size();
  while (keptHits > 0 && hits[keptHits - 1].start >= cut) --keptHits;
  hits.TruncateTo(keptHits);
  if (keptHits > 0)
    hits[keptHits - 1].length = std::min(hits[keptHits - 1].length, cut - hits[keptHits - 1].start);
  auto& runs = view.overstrikeRuns;
  int32_t keptRuns = runs.Size();
  while (keptRuns > 0 && runs[keptRuns - 1].start >= cut) --keptRuns;
  runs.TruncateTo(keptRuns);
  if (keptRuns > 0)
    runs[keptRuns - 1].length = std::min(runs[keptRuns - 1].length, cut - runs[keptRuns - 1].start);
}

}  // namespace

bool CollectKeptLines(std::u16string_view text, int32_t from, int32_t firstNumber,
                      const FilterRequest& request, KeptLines& kept, std::u16string& errorText) {
  const auto end = static_cast<int32_t>(text.size());
  from = std::clamp(from, 0, end);
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
      for (int32_t i = 0; i < collection.hits.Size(); ++i) collection.hits[i].start += from;
    }
  }
  kept = GatherKeptLines(text, from, firstNumber, request.Invert == 1, std::move(collection.hits));
  kept.failedLines = collection.failedLines;
  return true;
}

namespace {

// The walk after the search over text[from, end): `keep` is called with each line that
// holds a hit in `hits` (with `invert`, that holds none), in order, after which the line
// and those before it are not read again. Sets where the text may resume growing.
template <typename Keep>
void WalkLines(const char16_t* units, int32_t from, int32_t end, int32_t firstNumber, bool invert,
               const BlockList<SearchHit, 49>& hits, KeptLines& kept, const Keep& keep) {
  constexpr int32_t kNoHit = std::numeric_limits<int32_t>::max();
  int32_t h = 0;
  int32_t nextHit = hits.Empty() ? kNoHit : hits[0].start;
  int32_t reach = from;  // where the hits seen so far end
  int32_t p = from;      // where the line being walked starts
  int32_t number = firstNumber;
  int32_t lastStart = -1;
  int32_t lastNumber = 0;
  // The line [p, b) ends (b is just after its line end, or the text's end): kept or not.
  auto endLine = [&](int32_t b) {
    const bool holds = reach > p || nextHit < b;
    if (nextHit < b) {
      for (; h < hits.Size() && hits[h].start < b; ++h)
        reach = std::max(reach, hits[h].start + hits[h].length);
      nextHit = h < hits.Size() ? hits[h].start : kNoHit;
    }
    if (holds != invert) {
      int32_t lineEnd = b;
      if (b > p && (units[b - 1] == u'\n' || units[b - 1] == u'\r')) {
        lineEnd = b - 1;
        if (units[b - 1] == u'\n' && b - 2 >= p && units[b - 2] == u'\r') lineEnd = b - 2;
      }
      keep(KeptLine{p, lineEnd, b, number});
    }
    lastStart = p;
    lastNumber = number;
    ++number;
    p = b;
  };
  int32_t q = from;
#if defined(__SSE2__)
  // Sixteen units a step. Where no hit lies and none reaches in, no line ending here is
  // kept: its lines are only counted.
  for (; q + 16 < end; q += 16) {
    unsigned mask = LineStartMask(units, q);
    if (!invert && nextHit >= q + 16 && reach <= p) {
      if (mask == 0) continue;
      number += __builtin_popcount(mask);
      p = q + 32 - __builtin_clz(mask);
      continue;
    }
    for (; mask != 0; mask &= mask - 1) endLine(q + __builtin_ctz(mask) + 1);
  }
#endif
  for (; q < end; ++q) {
    if (StartsLineAfter(units, q, end)) endLine(q + 1);
  }
  if (p < end) endLine(end);
  // The last line may still grow when it has no line end, or only a CR that an LF may
  // join. A line start found by counting is never the last one: that ends at the text's
  // end, past the steps.
  kept.resumeStart = end;
  kept.resumeNumber = number;
  if (lastStart >= 0 && units[end - 1] != u'\n') {
    kept.resumeStart = lastStart;
    kept.resumeNumber = lastNumber;
  }
}

}  // namespace

KeptLines GatherKeptLines(std::u16string_view text, int32_t from, int32_t firstNumber, bool invert,
                          BlockList<SearchHit, 49>&& hitsFound) {
  const auto end = static_cast<int32_t>(text.size());
  from = std::clamp(from, 0, end);
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  WalkLines(text.data(), from, end, firstNumber, invert, kept.hits, kept,
            [&kept](const KeptLine& line) { kept.lines.Append(line); });
  return kept;
}

KeptLines GatherKeptText(std::unique_ptr<char16_t[]>& text, int32_t length,
                         const FilterRequest& request, BlockList<SearchHit, 49>&& hitsFound) {
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  auto view = std::make_unique<Document>();
  view->filter.reset(new FilterSource);
  FilterSource& source = *view->filter;
  source.request = request;
  // A kept line never lands after where it stood (an LF put in after a lone CR takes the
  // place of a line left out), so each line moves forward within the searched text as
  // soon as the walk has passed it, while it is still in the cache; and that memory is in
  // use already, where a fresh buffer's first touch of each page costs more than the move.
  char16_t* units = text.get();
  const auto& hits = kept.hits;
  const bool withHits = request.Invert != 1;
  int32_t at = 0;
  int32_t h = 0;
  // Neighbouring kept lines are moved together, a cache's worth at most.
  constexpr int32_t kLongestMove = 1 << 14;
  int32_t pendingFrom = 0;
  int32_t pendingEnd = 0;
  int32_t pendingTo = 0;
  auto flush = [&] {
    if (pendingEnd > pendingFrom && pendingTo != pendingFrom)
      std::memmove(units + pendingTo, units + pendingFrom,
                   sizeof(char16_t) * static_cast<size_t>(pendingEnd - pendingFrom));
    pendingFrom = pendingEnd;
    pendingTo = at;
  };
  WalkLines(units, 0, length, 0, request.Invert == 1, kept.hits, kept, [&](const KeptLine& line) {
    kept.lines.Append(line);
    if (line.start != pendingEnd || pendingEnd - pendingFrom > kLongestMove) {
      flush();
      // As AppendKeptLines: a lone CR line before an LF line gets an LF of its own.
      if (at > 0 && units[at - 1] == u'\r' && line.start < line.next && units[line.start] == u'\n')
        units[at++] = u'\n';
      pendingFrom = line.start;
      pendingTo = at;
    }
    pendingEnd = line.next;
    const int32_t delta = at - line.start;
    source.fileLines.Append(line.number);
    source.lastLineStart = at;
    at += line.next - line.start;
    for (; withHits && h < hits.Size() && hits[h].start < line.next; ++h) {
      if (hits[h].start >= line.start)
        view->hits.Append(SearchHit{hits[h].start + delta, hits[h].length});
    }
  });
  flush();
  source.scannedEnd = kept.resumeStart;
  source.scannedLines = kept.resumeNumber;
  view->textLength = at;
  // A view of a few lines does not keep the whole text's room: they go to a buffer of
  // their own.
  if (int64_t{at} * 2 >= length && length > 0) {
    view->textBuffer = std::move(text);
    view->textCapacity = length;
  } else {
    view->textBuffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(at) + 1);
    std::copy_n(units, at, view->textBuffer.get());
    view->textCapacity = at;
  }
  view->text = view->textBuffer.get();
  view->text[at] = u'\0';
  if (!view->hits.Empty()) {
    SearchHit& last = view->hits[view->hits.Size() - 1];
    last.length = std::min(last.length, at - last.start);
  }
  kept.hits.Clear();
  kept.view = std::move(view);
  return kept;
}

std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            std::u16string& errorText) {
  KeptLines kept;
  if (!CollectKeptLines(whole.Text(), 0, 0, request, kept, errorText)) return nullptr;
  return BuildFilteredView(whole, request, kept);
}

std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            const KeptLines& kept) {
  auto view = std::make_unique<Document>();
  view->name = whole.name;
  view->sourceKind = whole.sourceKind;
  view->encoding = whole.encoding;
  view->filter.reset(new FilterSource);
  view->filter->request = request;
  AppendKeptLines(*view, whole, kept, true);
  view->filter->scannedEnd = kept.resumeStart;
  view->filter->scannedLines = kept.resumeNumber;
  TakeFileFacts(*view, whole, true);
  return view;
}

std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            KeptLines&& kept) {
  if (!kept.view) return BuildFilteredView(whole, request, static_cast<const KeptLines&>(kept));
  std::unique_ptr<Document> view = std::move(kept.view);
  view->name = whole.name;
  view->sourceKind = whole.sourceKind;
  view->encoding = whole.encoding;
  AppendKeptRuns(*view, whole, kept);
  TakeFileFacts(*view, whole, true);
  return view;
}

int32_t CatchUpFilteredView(Document& view) {
  if (!view.filter || !view.filter->whole) return -1;
  FilterSource& source = *view.filter;
  const Document& whole = *source.whole;
  KeptLines kept;
  std::u16string errorText;
  if (!CollectKeptLines(whole.Text(), source.scannedEnd, source.scannedLines, source.request, kept,
                        errorText))
    return -1;
  // Only the view's last line can be one that changed: the one the whole text may still
  // have been growing.
  int32_t cut = view.textLength;
  auto& lines = source.fileLines;
  if (!lines.Empty() && lines[lines.Size() - 1] >= source.scannedLines) {
    cut = source.lastLineStart;
    lines.TruncateTo(lines.Size() - 1);
    source.lastLineStart = -1;
  }
  source.scannedEnd = kept.resumeStart;
  source.scannedLines = kept.resumeNumber;
  const bool changed = cut < view.textLength || !kept.lines.Empty();
  const bool ownHits = view.hits.Size() == source.hitCount;
  if (changed) {
    CutView(view, cut);
    AppendKeptLines(view, whole, kept, ownHits);
    if (view.text) view.text[view.textLength] = u'\0';
  }
  TakeFileFacts(view, whole, ownHits);
  return changed ? cut : -1;
}

bool ExtendFilteredView(Document& view, const LayoutParameters& parameters, TextMeasure& measure) {
  const int32_t cut = CatchUpFilteredView(view);
  if (cut < 0) return false;
  ExtendLayout(view, cut, parameters, measure);
  return true;
}

int32_t FileLineOf(const Document& document, int32_t line) {
  const int32_t logical = LogicalLineOf(document, line);
  if (logical < 0 || !document.filter) return logical;
  const auto& lines = document.filter->fileLines;
  return logical < lines.Size() ? lines[logical] : -1;
}

int32_t DisplayLineAtOrAfterFileLine(const Document& document, int32_t fileLine) {
  if (!document.filter) {
    const int32_t lastLine = FileLineOf(document, document.displayLineCount - 1);
    return fileLine > lastLine ? -1 : DisplayLineOfLogical(document, std::max(fileLine, 0));
  }
  const auto& lines = document.filter->fileLines;
  int32_t low = 0;
  int32_t high = lines.Size();
  while (low < high) {  // the first kept line at or after `fileLine`
    const int32_t middle = low + (high - low) / 2;
    if (lines[middle] < fileLine) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low < lines.Size() ? DisplayLineOfLogical(document, low) : -1;
}

int32_t LastShownFileLineNumber(const Document& document) {
  if (!document.filter) return FileLineOf(document, document.displayLineCount - 1) + 1;
  const auto& lines = document.filter->fileLines;
  return lines.Empty() ? 0 : lines[lines.Size() - 1] + 1;
}

Document& FileDocumentOf(Document& document) {
  return document.filter && document.filter->whole ? *document.filter->whole : document;
}

}  // namespace vemora
