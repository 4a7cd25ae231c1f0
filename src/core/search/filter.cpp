// The filter over the viewer's own search: one search over the text, then one walk over
// its lines that keeps those holding a hit, then the kept lines put into a text of their
// own with the hits and overstrike runs moved along.
#include "core/search/filter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/pieces.h"
#include "core/search/search.h"

namespace vemora {

void FilterSourceDeleter::operator()(FilterSource* source) const {
  delete source;
}

namespace {

// The first CR or LF in text[from, end), or end. Every unit of the text passes through
// here, so it looks at sixteen at a time.
int64_t FindLineEnd(const char16_t* text, int64_t from, int64_t end) {
  int64_t q = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i lf = _mm_set1_epi16(u'\n');
  auto ends = [&](int64_t at) {
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
  const int64_t capacity = withSlack ? units + std::max<int64_t>(units / 4, 4096) : units;
  auto buffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(capacity) + 1);
  if (view.textLength > 0) std::copy_n(view.text, view.textLength, buffer.get());
  buffer[static_cast<size_t>(view.textLength)] = u'\0';
  view.textBuffer = std::move(buffer);
  view.text = view.textBuffer.get();
  view.textCapacity = capacity;
}

// The index of the first run that ends after `position`.
int64_t FirstRunEndingAfter(const BlockList<OverstrikeRun, 49>& runs, int64_t position) {
  return runs.PartitionPoint(
      [position](const OverstrikeRun& run) { return run.start + run.length <= position; });
}

// Copies the kept lines behind the view's text, with the hits that start in them and the
// parts of the overstrike runs that lie in them.
void AppendKeptLines(Document& view, const Document& whole, const KeptLines& kept, bool withHits) {
  FilterSource& source = *view.filter;
  const auto& lines = kept.lines;
  if (lines.Empty()) return;
  int64_t needed = view.textLength;
  for (int64_t k = 0; k < lines.Size(); ++k) needed += lines[k].next - lines[k].start + 1;
  ReserveViewText(view, needed, view.textLength > 0);

  const auto& hits = kept.hits;
  const auto& runs = whole.overstrikeRuns;
  withHits = withHits && source.request.Invert != 1;
  int64_t h = 0;
  int64_t r = FirstRunEndingAfter(runs, lines[0].start);
  for (int64_t k = 0; k < lines.Size(); ++k) {
    const KeptLine& line = lines[k];
    int64_t at = view.textLength;
    // A line that ends in a lone CR would join an empty LF line put behind it into one
    // CR-LF line: the CR gets an LF of its own, so the view keeps one line per kept line.
    if (at > 0 && view.text[at - 1] == u'\r' && line.start < line.next &&
        whole.text[line.start] == u'\n')
      view.text[at++] = u'\n';
    const int64_t delta = at - line.start;
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
      const int64_t start = std::max(run.start, line.start);
      const int64_t end = std::min(run.start + run.length, line.next);
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
  int64_t at = 0;
  int64_t r = FirstRunEndingAfter(runs, lines[0].start);
  for (int64_t k = 0; k < lines.Size() && r < runs.Size(); ++k) {
    const KeptLine& line = lines[k];
    if (k > 0 && whole.text[lines[k - 1].next - 1] == u'\r' && line.start < line.next &&
        whole.text[line.start] == u'\n')
      ++at;
    const int64_t delta = at - line.start;
    at += line.next - line.start;
    while (r < runs.Size() && runs[r].start < line.next) {
      const OverstrikeRun& run = runs[r];
      const int64_t start = std::max(run.start, line.start);
      const int64_t end = std::min(run.start + run.length, line.next);
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
void CutView(Document& view, int64_t cut) {
  view.textLength = cut;
  auto& hits = view.hits;
  int64_t keptHits = hits.Size();
  while (keptHits > 0 && hits[keptHits - 1].start >= cut) --keptHits;
  hits.TruncateTo(keptHits);
  if (keptHits > 0)
    hits[keptHits - 1].length = std::min(hits[keptHits - 1].length, cut - hits[keptHits - 1].start);
  auto& runs = view.overstrikeRuns;
  int64_t keptRuns = runs.Size();
  while (keptRuns > 0 && runs[keptRuns - 1].start >= cut) --keptRuns;
  runs.TruncateTo(keptRuns);
  if (keptRuns > 0)
    runs[keptRuns - 1].length = std::min(runs[keptRuns - 1].length, cut - runs[keptRuns - 1].start);
}

}  // namespace

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

namespace {

// The walk after the search over text[from, end): `keep` is called with each line that
// holds a hit in `hits` (with `invert`, that holds none), in order, after which the line
// and those before it are not read again. Sets where the text may resume growing.
template <typename Keep>
int32_t WalkLines(const char16_t* units, int64_t from, int64_t end, int32_t firstNumber,
                  bool invert, const BlockList<SearchHit, 49>& hits, int64_t firstHit,
                  int64_t reach, KeptLines& kept, const Keep& keep) {
  int64_t h = firstHit;
  reach = std::max(reach, from);  // where the hits seen so far end
  int32_t number = firstNumber;
  kept.resumeStart = end;
  for (int64_t p = from; p < end; ++number) {
    const int64_t lineEnd = FindLineEnd(units, p, end);
    int64_t next = lineEnd;
    if (lineEnd < end)
      next += units[lineEnd] == u'\r' && lineEnd + 1 < end && units[lineEnd + 1] == u'\n' ? 2 : 1;
    bool holds = reach > p;
    for (; h < hits.Size() && hits[h].start < next; ++h) {
      holds = true;
      reach = std::max(reach, hits[h].start + hits[h].length);
    }
    if (holds != invert) keep(KeptLine{p, lineEnd, next, number});
    // The last line may still grow when it has no line end, or only a CR that an LF may
    // yet join.
    if (next == end && (lineEnd == end || (next == lineEnd + 1 && units[lineEnd] == u'\r'))) {
      kept.resumeStart = p;
      kept.resumeNumber = number;
    }
    p = next;
  }
  if (kept.resumeStart == end) kept.resumeNumber = number;
  return number;
}

// One piece of the worker's walk over text[from, end), which starts and ends with a line:
// its kept lines are moved to the start of the piece, their numbers counted from 0 and
// their hits placed from the piece's start.
struct KeptPiece {
  int64_t from = 0;
  int64_t end = 0;
  int64_t firstHit = 0;  // the first hit at or after `from`
  int64_t reach = 0;     // where the hits before `from` end
  KeptLines kept;
  int32_t lineCount = 0;
  BlockList<int32_t, 4096> fileLines;
  BlockList<SearchHit, 49> viewHits;
  int64_t length = 0;  // of the piece's part of the view's text
  int64_t lastLineStart = -1;
};

void GatherPiece(char16_t* units, bool invert, const BlockList<SearchHit, 49>& hits,
                 KeptPiece& piece) {
  char16_t* out = units + piece.from;
  int64_t at = 0;
  int64_t h = piece.firstHit;
  // Neighbouring kept lines are moved together, a cache's worth at most.
  constexpr int64_t kLongestMove = 1 << 14;
  int64_t pendingFrom = piece.from;
  int64_t pendingEnd = piece.from;
  int64_t pendingTo = 0;
  auto flush = [&] {
    if (pendingEnd > pendingFrom && out + pendingTo != units + pendingFrom)
      std::memmove(out + pendingTo, units + pendingFrom,
                   sizeof(char16_t) * static_cast<size_t>(pendingEnd - pendingFrom));
    pendingFrom = pendingEnd;
    pendingTo = at;
  };
  piece.lineCount =
      WalkLines(units, piece.from, piece.end, 0, invert, hits, piece.firstHit, piece.reach,
                piece.kept, [&](const KeptLine& line) {
                  piece.kept.lines.Append(line);
                  if (line.start != pendingEnd || pendingEnd - pendingFrom > kLongestMove) {
                    flush();
                    // As AppendKeptLines: a lone CR line before an LF line gets an LF of its own.
                    if (at > 0 && out[at - 1] == u'\r' && line.start < line.next &&
                        units[line.start] == u'\n')
                      out[at++] = u'\n';
                    pendingFrom = line.start;
                    pendingTo = at;
                  }
                  pendingEnd = line.next;
                  const int64_t delta = at - line.start;
                  piece.fileLines.Append(line.number);
                  piece.lastLineStart = at;
                  at += line.next - line.start;
                  for (; !invert && h < hits.Size() && hits[h].start < line.next; ++h) {
                    if (hits[h].start >= line.start)
                      piece.viewHits.Append(SearchHit{hits[h].start + delta, hits[h].length});
                  }
                });
  flush();
  piece.length = at;
}

// The first hit starting at or after `position`.
int64_t FirstHitFrom(const BlockList<SearchHit, 49>& hits, int64_t position) {
  return hits.PartitionPoint([position](const SearchHit& hit) { return hit.start < position; });
}

}  // namespace

KeptLines GatherKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber, bool invert,
                          BlockList<SearchHit, 49>&& hitsFound) {
  const auto end = static_cast<int64_t>(text.size());
  from = std::clamp<int64_t>(from, 0, end);
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  WalkLines(text.data(), from, end, firstNumber, invert, kept.hits, 0, from, kept,
            [&kept](const KeptLine& line) { kept.lines.Append(line); });
  return kept;
}

KeptLines GatherKeptText(std::unique_ptr<char16_t[]>& text, int64_t length,
                         const FilterRequest& request, BlockList<SearchHit, 49>&& hitsFound,
                         int32_t pieces) {
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  const auto& hits = kept.hits;
  const bool invert = request.Invert == 1;
  char16_t* units = text.get();
  // A kept line never lands after where it stood (an LF put in after a lone CR takes the
  // place of a line left out), so each line moves forward within the searched text as
  // soon as the walk has passed it, while it is still in the cache; and that memory is in
  // use already, where a fresh buffer's first touch of each page costs more than the move.
  // A large text is walked in pieces on every core, each piece moving its lines to its
  // own start; the pieces then close up one after another.
  if (pieces <= 0) pieces = length >= kUnitsWorthPieces ? CoreCount() : 1;
  const std::vector<int64_t> cuts = CutsAfterLineEnds(units, length, std::max(pieces, 1));
  std::vector<KeptPiece> parts(cuts.size() - 1);
  int64_t reach = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    KeptPiece& part = parts[i];
    part.from = cuts[i];
    part.end = cuts[i + 1];
    part.firstHit = FirstHitFrom(hits, part.from);
    const int64_t previous = i == 0 ? 0 : parts[i - 1].firstHit;
    for (int64_t k = previous; k < part.firstHit; ++k)
      reach = std::max(reach, hits[k].start + hits[k].length);
    part.reach = reach;
  }
  RunPieces(static_cast<int32_t>(parts.size()),
            [&](int32_t i) { GatherPiece(units, invert, hits, parts[static_cast<size_t>(i)]); });

  auto view = std::make_unique<Document>();
  view->filter.reset(new FilterSource);
  FilterSource& source = *view->filter;
  source.request = request;
  int64_t at = 0;
  int32_t numberBase = 0;
  kept.resumeStart = length;
  kept.resumeNumber = 0;
  for (KeptPiece& part : parts) {
    if (part.length > 0) {
      // A lone CR line ending one piece before an LF line starting the next: a line was
      // left out between them, which makes the room for the LF.
      const bool joinLf = at > 0 && units[at - 1] == u'\r' && units[part.from] == u'\n';
      const int64_t to = at + (joinLf ? 1 : 0);
      if (to != part.from)
        std::memmove(units + to, units + part.from,
                     sizeof(char16_t) * static_cast<size_t>(part.length));
      if (joinLf) units[at] = u'\n';
      const int64_t delta = to;
      if (delta == 0 && numberBase == 0) {  // the first piece's lists stand as they are
        kept.lines = std::move(part.kept.lines);
        source.fileLines = std::move(part.fileLines);
        view->hits = std::move(part.viewHits);
      } else {
        for (int64_t k = 0; k < part.kept.lines.Size(); ++k) {
          KeptLine line = part.kept.lines[k];
          line.number += numberBase;
          kept.lines.Append(line);
          source.fileLines.Append(part.fileLines[k] + numberBase);
        }
        for (int64_t k = 0; k < part.viewHits.Size(); ++k) {
          const SearchHit& hit = part.viewHits[k];
          view->hits.Append(SearchHit{hit.start + delta, hit.length});
        }
      }
      source.lastLineStart = part.lastLineStart + delta;
      at = to + part.length;
    }
    kept.resumeStart = part.kept.resumeStart;
    kept.resumeNumber = part.kept.resumeNumber + numberBase;
    numberBase += part.lineCount;
  }
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

int64_t CatchUpFilteredView(Document& view) {
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
  int64_t cut = view.textLength;
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
  const int64_t cut = CatchUpFilteredView(view);
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
  // The first kept line at or after `fileLine`.
  const int64_t low = lines.PartitionPoint([fileLine](int32_t line) { return line < fileLine; });
  return low < lines.Size() ? DisplayLineOfLogical(document, static_cast<int32_t>(low)) : -1;
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
