// The filtered view built on the window's thread: the kept lines copied behind the view's
// text with their hits and overstrike runs, the worker's view finished, the view brought up
// to date when its document grows, and the map from its lines back to the file's.
#include "core/search/filtered_view.h"

#include <algorithm>
#include <memory>

#include "core/search/filter_progress.h"
#include "core/search/line_walk.h"

namespace vemora {

void FilterSourceDeleter::operator()(FilterSource* source) const {
  delete source;
}

namespace {

// The search text as the search reads it: up to its first NUL.
int32_t PatternLength(std::u16string_view text) {
  return static_cast<int32_t>(std::min(text.find(u'\0'), text.size()));
}

// Gives the view's text room for `units` units and its NUL, keeping what it holds, and
// makes it writable after that (a buffer of its own when a find still reads there). A
// view that follows a log grows often, so it grows by a quarter more than asked.
void ReserveViewText(Document& view, int64_t units, bool withSlack) {
  if (units <= view.textCapacity && TextWritableFrom(view, view.textLength)) return;
  const int64_t capacity = withSlack ? units + std::max<int64_t>(units / 4, 4096) : units;
  auto buffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(capacity) + 1);
  if (view.textLength > 0) std::copy_n(view.text, view.textLength, buffer.get());
  buffer[static_cast<size_t>(view.textLength)] = u'\0';
  view.textBuffer = std::move(buffer);
  view.text = view.textBuffer.get();
  view.textCapacity = capacity;
  view.textSharedEnd = 0;
}

// The index of the first run that ends after `position`.
int64_t FirstRunEndingAfter(const BlockList<OverstrikeRun, 49>& runs, int64_t position) {
  return runs.PartitionPoint(
      [position](const OverstrikeRun& run) { return run.start + run.length <= position; });
}

// Appends the parts of `runs` from run `r` on that lie in [start, next), moved by `delta`;
// `r` stays at a run that reaches past `next`, which the next line goes on with.
void AppendRunsWithin(const BlockList<OverstrikeRun, 49>& runs, int64_t& r, int64_t start,
                      int64_t next, int64_t delta, BlockList<OverstrikeRun, 49>& out) {
  while (r < runs.Size() && runs[r].start < next) {
    const OverstrikeRun& run = runs[r];
    const int64_t from = std::max(run.start, start);
    const int64_t end = std::min(run.start + run.length, next);
    if (from < end) out.Append(OverstrikeRun{from + delta, end - from, run.attributes});
    if (run.start + run.length > next) break;
    ++r;
  }
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
    if (GetsOwnLf(at > 0 && view.text[at - 1] == u'\r', whole.text, line.start, line.next))
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
    AppendRunsWithin(runs, r, line.start, line.next, delta, view.overstrikeRuns);
  }
  // A hit over several lines goes on in the lines after its first; it cannot reach past
  // the last line kept.
  if (!view.hits.Empty()) {
    SearchHit& last = view.hits[view.hits.Size() - 1];
    last.length = std::min(last.length, view.textLength - last.start);
  }
  view.text[view.textLength] = u'\0';
}

// The overstrike runs of `whole` that lie in the view's lines, moved to where the lines
// stand in a view that holds them from its start, as AppendKeptLines places them. The
// worker does not list its kept lines: they are found again from their numbers, which
// only a text with runs needs.
void AppendKeptRuns(Document& view, const Document& whole) {
  const auto& numbers = view.filter->fileLines;
  const auto& runs = whole.overstrikeRuns;
  if (numbers.Empty() || runs.Empty()) return;
  const char16_t* text = whole.text;
  const int64_t end = whole.textLength;
  int64_t at = 0;
  int64_t r = -1;
  bool endsInCr = false;  // the kept line before ends in a CR
  int32_t number = 0;
  for (int64_t p = 0, k = 0; p < end && k < numbers.Size() && r < runs.Size(); ++number) {
    const int64_t next = NextLineStart(text, FindLineEnd(text, p, end), end);
    if (number == numbers[k]) {
      if (r < 0) r = FirstRunEndingAfter(runs, p);
      if (GetsOwnLf(endsInCr, text, p, next)) ++at;
      const int64_t delta = at - p;
      at += next - p;
      AppendRunsWithin(runs, r, p, next, delta, view.overstrikeRuns);
      endsInCr = text[next - 1] == u'\r';
      ++k;
    }
    p = next;
  }
}

// Drops what the view holds from text position `cut` on.
void CutView(Document& view, int64_t cut) {
  view.textLength = cut;
  CutSpansAt(view.hits, cut);
  CutSpansAt(view.overstrikeRuns, cut);
}

}  // namespace

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

std::unique_ptr<Document> NewFilteredView(const Document& whole, const FilterRequest& request) {
  auto view = std::make_unique<Document>();
  view->name = whole.name;
  view->sourceKind = whole.sourceKind;
  view->encoding = whole.encoding;
  view->filter.reset(new FilterSource);
  view->filter->request = request;
  return view;
}

std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            std::u16string& errorText) {
  KeptLines kept;
  if (!CollectKeptLines(whole.Text(), 0, 0, request, kept, errorText)) return nullptr;
  return BuildFilteredView(whole, request, kept);
}

std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            const KeptLines& kept) {
  std::unique_ptr<Document> view = NewFilteredView(whole, request);
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
  AppendKeptRuns(*view, whole);
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
    ReserveViewText(view, std::max(view.textCapacity, view.textLength), false);
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
