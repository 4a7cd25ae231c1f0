// The filter over the viewer's own search: one search over the text, then one walk over
// its lines that keeps those holding a hit, then the kept lines copied into a text of
// their own with the hits and overstrike runs moved along.
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

// The first CR or LF in text[from, end), or end. Every unit of the text passes through
// here, so it looks at sixteen at a time.
int32_t FindLineEnd(const char16_t* text, int32_t from, int32_t end) {
  int32_t q = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i lf = _mm_set1_epi16(u'\n');
  auto ends = [&](int32_t at) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    return _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf));
  };
  for (; q + 16 <= end; q += 16) {
    const int mask = _mm_movemask_epi8(_mm_packs_epi16(ends(q), ends(q + 8)));
    if (mask != 0) return q + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; q < end; ++q) {
    if (text[q] == u'\r' || text[q] == u'\n') return q;
  }
  return end;
}

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

KeptLines GatherKeptLines(std::u16string_view text, int32_t from, int32_t firstNumber, bool invert,
                          BlockList<SearchHit, 49>&& hitsFound) {
  const auto end = static_cast<int32_t>(text.size());
  from = std::clamp(from, 0, end);
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  const char16_t* units = text.data();
  const auto& hits = kept.hits;
  int32_t h = 0;
  int32_t reach = from;  // where the hits seen so far end
  int32_t number = firstNumber;
  kept.resumeStart = end;
  for (int32_t p = from; p < end; ++number) {
    const int32_t lineEnd = FindLineEnd(units, p, end);
    int32_t next = lineEnd;
    if (lineEnd < end)
      next += units[lineEnd] == u'\r' && lineEnd + 1 < end && units[lineEnd + 1] == u'\n' ? 2 : 1;
    bool holds = reach > p;
    for (; h < hits.Size() && hits[h].start < next; ++h) {
      holds = true;
      reach = std::max(reach, hits[h].start + hits[h].length);
    }
    if (holds != invert) kept.lines.Append(KeptLine{p, lineEnd, next, number});
    if (next == end && (lineEnd == end || (next == lineEnd + 1 && units[lineEnd] == u'\r'))) {
      kept.resumeStart = p;
      kept.resumeNumber = number;
    }
    p = next;
  }
  if (kept.resumeStart == end) kept.resumeNumber = number;
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
