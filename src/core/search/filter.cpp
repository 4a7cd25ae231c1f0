// The filter over the viewer's own search: one search over the text, then one walk over
// its lines that keeps those holding a hit, then the kept lines put into a text of their
// own with the hits and overstrike runs moved along. The worker searches and walks a large
// text chunk by chunk on every core.
#include "core/search/filter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/pieces.h"
#include "core/search/regex_prefilter.h"
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
    const int64_t lineEnd = FindLineEnd(text, p, end);
    int64_t next = lineEnd;
    if (lineEnd < end)
      next += text[lineEnd] == u'\r' && lineEnd + 1 < end && text[lineEnd + 1] == u'\n' ? 2 : 1;
    if (number == numbers[k]) {
      if (r < 0) r = FirstRunEndingAfter(runs, p);
      if (endsInCr && p < next && text[p] == u'\n') ++at;
      const int64_t delta = at - p;
      at += next - p;
      while (r < runs.Size() && runs[r].start < next) {
        const OverstrikeRun& run = runs[r];
        const int64_t start = std::max(run.start, p);
        const int64_t stop = std::min(run.start + run.length, next);
        if (start < stop)
          view.overstrikeRuns.Append(OverstrikeRun{start + delta, stop - start, run.attributes});
        if (run.start + run.length > next) break;
        ++r;
      }
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
  constexpr int64_t kNoHit = std::numeric_limits<int64_t>::max();
  const int64_t hitCount = hits.Size();
  int64_t h = firstHit;
  // Where the next hit starts: most lines hold none, and see only this.
  int64_t nextHit = h < hitCount ? hits[h].start : kNoHit;
  reach = std::max(reach, from);  // where the hits seen so far end
  int32_t number = firstNumber;
  kept.resumeStart = end;
  for (int64_t p = from; p < end; ++number) {
    const int64_t lineEnd = FindLineEnd(units, p, end);
    int64_t next = lineEnd;
    if (lineEnd < end)
      next += units[lineEnd] == u'\r' && lineEnd + 1 < end && units[lineEnd + 1] == u'\n' ? 2 : 1;
    bool holds = reach > p;
    const int64_t lineHits = h;
    if (nextHit < next) {
      holds = true;
      do {
        reach = std::max(reach, hits[h].start + hits[h].length);
      } while (++h < hitCount && hits[h].start < next);
      nextHit = h < hitCount ? hits[h].start : kNoHit;
    }
    // The hits [lineHits, h) start in the line.
    if (holds != invert) keep(KeptLine{p, lineEnd, next, number}, lineHits, h);
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
// its kept lines, their numbers counted from 0 and their hits placed from where the piece's
// part of the view starts. The first piece moves its lines into place as it walks them;
// the others only note the moves, which are made once the pieces before them are in place.
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
  // Neighbouring kept lines, text[from, end), each put behind the one before, the first
  // one where the piece's part starts; an LF goes before those with `lfBefore`.
  struct Move {
    int64_t from = 0;
    int64_t end = 0;
    bool lfBefore = false;
  };
  std::vector<Move> moves;
  HitCollection found;  // the piece's own search, when it made one
  // With a layout: the display lines of the piece's part, placed and counted from its start.
  std::vector<int64_t> displayStarts;
  std::vector<int32_t> displayLogical;
  int32_t lineEnds = 0;
};

// Walks the piece of `units` with `walk(keep)`, which calls `keep` with each kept line once
// the hits in it are in `hits`, and answers the piece's line count. The view's text goes
// to `out`, where the first piece puts its lines as it walks them.
// With a `layout`, each kept line is laid out where it will stand, before it moves.
// `ownHits`, when given, are the piece's alone and are `hits`: they become its view hits.
template <typename Walk>
void GatherPiece(const char16_t* units, char16_t* out, bool invert,
                 const BlockList<SearchHit, 49>& hits, BlockList<SearchHit, 49>* ownHits,
                 KeptPiece& piece, PieceLayout* layout, const Walk& walk) {
  if (invert) ownHits = nullptr;
  const bool inPlace = piece.from == 0;
  int64_t at = 0;
  // Neighbouring kept lines are moved together, a cache's worth at most.
  constexpr int64_t kLongestMove = 1 << 14;
  KeptPiece::Move pending{piece.from, piece.from, false};
  int64_t pendingTo = 0;
  bool endsInCr = false;  // the last kept line ends in a CR
  auto flush = [&] {
    if (pending.end > pending.from) {
      if (!inPlace) {
        piece.moves.push_back(pending);
      } else {
        std::memcpy(out + pendingTo, units + pending.from,
                    sizeof(char16_t) * static_cast<size_t>(pending.end - pending.from));
      }
    }
    pending.from = pending.end;
    pending.lfBefore = false;
    pendingTo = at;
  };
  piece.lineCount = walk([&](const KeptLine& line, int64_t lineHits, int64_t hitsEnd) {
    // As AppendKeptLines: a lone CR line before an LF line gets an LF of its own.
    const bool lfBefore = endsInCr && line.start < line.next && units[line.start] == u'\n';
    if (line.start != pending.end || pending.end - pending.from > kLongestMove || lfBefore) {
      flush();
      if (lfBefore) {
        if (inPlace) out[at] = u'\n';
        ++at;
        pending.lfBefore = true;
      }
      pending.from = line.start;
      pendingTo = at;
    }
    pending.end = line.next;
    endsInCr = units[line.next - 1] == u'\r';
    const int64_t delta = at - line.start;
    if (layout)
      layout->Append(units + line.start, line.next - line.start, at, piece.displayStarts,
                     piece.displayLogical, piece.lineEnds);
    piece.fileLines.Append(line.number);
    piece.lastLineStart = at;
    at += line.next - line.start;
    if (ownHits) {
      // Every hit is in a kept line: the list becomes the view's where it stands.
      for (int64_t h = lineHits; h < hitsEnd; ++h) (*ownHits)[h].start += delta;
    } else {
      for (int64_t h = invert ? hitsEnd : lineHits; h < hitsEnd; ++h)
        piece.viewHits.Append(SearchHit{hits[h].start + delta, hits[h].length});
    }
  });
  flush();
  piece.length = at;
  if (ownHits) piece.viewHits = std::move(*ownHits);
}

// GatherPiece after the search, over `hits`.
void GatherWalkedPiece(const char16_t* units, char16_t* out, bool invert,
                       const BlockList<SearchHit, 49>& hits, BlockList<SearchHit, 49>* ownHits,
                       KeptPiece& piece, PieceLayout* layout) {
  GatherPiece(units, out, invert, hits, ownHits, piece, layout, [&](const auto& keep) {
    return WalkLines(units, piece.from, piece.end, 0, invert, hits, piece.firstHit, piece.reach,
                     piece.kept, keep);
  });
}

// The first hit starting at or after `position`.
int64_t FirstHitFrom(const BlockList<SearchHit, 49>& hits, int64_t position) {
  return hits.PartitionPoint([position](const SearchHit& hit) { return hit.start < position; });
}

// A view whose text is less than this share of the searched text is "of a few lines".
constexpr int64_t kSmallViewShare = 16;

// Puts the pieces' lines, the first piece's already in place, one after another at the
// start of the view's text, in their order, with their line numbers and hits following;
// then makes the view. The view's text is made in room for every unit of the searched
// text (Room): a kept line never lands after where it stood there.
class PieceCloser {
 public:
  // With a `progress`, each piece in place but the last is published to it.
  PieceCloser(const char16_t* units, int64_t length, const FilterRequest& request,
              const FilterLayout* layout, FilterProgress* progress = nullptr)
      : units_(units),
        out_(std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(length) + 1)),
        view_(std::make_unique<Document>()),
        layout_(layout),
        progress_(layout ? nullptr : progress),
        length_(length) {
    view_->filter.reset(new FilterSource);
    view_->filter->request = request;
    kept_.resumeStart = length;
  }

  // Where the first piece puts its lines as it walks them.
  char16_t* Room() const { return out_.get(); }

  // Every piece before this one has been added, and none after it has been moved.
  void Add(KeptPiece& part) {
    std::unique_lock<std::mutex> hold;
    if (progress_) hold = progress_->Hold();
    const int64_t end = part.end;
    AddHeld(part);
    if (!progress_ || end >= length_) return;
    progress_->Publish(*view_, out_, at_, end, numberBase_);
    hold.unlock();
    progress_->TellIfDue();
  }

  // The progress lets go of the view before it is finished, and whatever else ends the
  // search (a cancel, an error, the memory running out), before the view goes: the window
  // may take from the progress until then.
  ~PieceCloser() { WithdrawFromProgress(); }
  KeptLines Finish() {
    WithdrawFromProgress();
    return FinishWithdrawn();
  }

 private:
  void AddHeld(KeptPiece& part) {
    FilterSource& source = *view_->filter;
    if (part.length > 0) {
      // A lone CR line ending one piece before an LF line starting the next: a line was
      // left out between them, which makes the room for the LF.
      const int64_t first = part.moves.empty() ? part.from : part.moves.front().from;
      char16_t* const view = out_.get();
      const bool joinLf = at_ > 0 && view[at_ - 1] == u'\r' && units_[first] == u'\n';
      const int64_t to = at_ + (joinLf ? 1 : 0);
      if (joinLf) view[at_] = u'\n';
      if (!part.moves.empty()) {
        int64_t out = to;
        for (const KeptPiece::Move& move : part.moves) {
          if (move.lfBefore) view[out++] = u'\n';
          std::memcpy(view + out, units_ + move.from,
                      sizeof(char16_t) * static_cast<size_t>(move.end - move.from));
          out += move.end - move.from;
        }
      } else if (to != part.from) {  // a piece that put its lines in place at its start
        std::memmove(view + to, view + part.from,
                     sizeof(char16_t) * static_cast<size_t>(part.length));
      }
      const int64_t delta = to;
      if (delta == 0 && numberBase_ == 0) {  // the first piece's lists stand as they are
        source.fileLines = std::move(part.fileLines);
        view_->hits = std::move(part.viewHits);
      } else {
        const int32_t base = numberBase_;
        source.fileLines.AppendMapped(part.fileLines, [base](int32_t line) { return line + base; });
        view_->hits.AppendMapped(part.viewHits, [delta](const SearchHit& hit) {
          return SearchHit{hit.start + delta, hit.length};
        });
      }
      source.lastLineStart = part.lastLineStart + delta;
      at_ = to + part.length;
      AddDisplayLines(part, delta);
    }
    kept_.resumeStart = part.kept.resumeStart;
    kept_.resumeNumber = part.kept.resumeNumber + numberBase_;
    numberBase_ += part.lineCount;
    part = KeptPiece();  // its lists are not needed any more
  }

  void WithdrawFromProgress() {
    if (!progress_) return;
    const std::unique_lock<std::mutex> hold = progress_->Hold();
    progress_->Withdraw();
  }

  KeptLines FinishWithdrawn() {
    Document& view = *view_;
    const int64_t length = length_;
    if (layout_ && !tooManyLines_) {
      // The end mark alone, for a view without lines.
      if (view.lineTable.Empty()) AppendDisplayLines(view, {}, {}, 0, 0);
      kept_.laidOut = true;
    } else {
      view.lineTable.Clear();
      view.displayLineCount = 0;
    }
    view.filter->scannedEnd = kept_.resumeStart;
    view.filter->scannedLines = kept_.resumeNumber;
    view.textLength = at_;
    // The view keeps the room its lines were put in: copying them costs as much as putting
    // them there did. Only a view of a few lines goes to a buffer of its own, which then
    // costs little, and leaves the room that its pages never touched.
    if (int64_t{at_} * kSmallViewShare >= length && length > 0) {
      view.textBuffer = std::move(out_);
      view.textCapacity = length;
    } else {
      view.textBuffer = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(at_) + 1);
      std::copy_n(out_.get(), at_, view.textBuffer.get());
      view.textCapacity = at_;
    }
    view.text = view.textBuffer.get();
    view.text[at_] = u'\0';
    if (!view.hits.Empty()) {
      SearchHit& last = view.hits[view.hits.Size() - 1];
      last.length = std::min(last.length, at_ - last.start);
    }
    kept_.view = std::move(view_);
    return std::move(kept_);
  }

  // The part's display lines behind the view's, their starts moved by `delta`; past the
  // most lines a table counts, the window's thread is left to lay the view out.
  void AddDisplayLines(KeptPiece& part, int64_t delta) {
    if (!layout_ || tooManyLines_) return;
    auto& starts = part.displayStarts;
    if (int64_t{view_->displayLineCount} + static_cast<int64_t>(starts.size()) >=
        layout_->parameters.mostLines) {
      tooManyLines_ = true;
      return;
    }
    for (int64_t& start : starts) start += delta;
    AppendDisplayLines(*view_, starts, part.displayLogical, part.lineEnds, at_);
  }

  const char16_t* units_;
  std::shared_ptr<char16_t[]> out_;  // shared with the window while it shows a progress
  std::unique_ptr<Document> view_;
  const FilterLayout* layout_;
  FilterProgress* progress_;
  int64_t length_;
  bool tooManyLines_ = false;
  KeptLines kept_;
  int64_t at_ = 0;
  int32_t numberBase_ = 0;
};

}  // namespace

KeptLines GatherKeptLines(std::u16string_view text, int64_t from, int32_t firstNumber, bool invert,
                          BlockList<SearchHit, 49>&& hitsFound) {
  const auto end = static_cast<int64_t>(text.size());
  from = std::clamp<int64_t>(from, 0, end);
  KeptLines kept;
  kept.hits = std::move(hitsFound);
  WalkLines(text.data(), from, end, firstNumber, invert, kept.hits, 0, from, kept,
            [&kept](const KeptLine& line, int64_t, int64_t) { kept.lines.Append(line); });
  return kept;
}

namespace {

int32_t PiecesFor(int64_t length, int32_t pieces) {
  if (pieces <= 0) pieces = length >= kUnitsWorthPieces ? CoreCount() : 1;
  return std::max(pieces, 1);
}

// Whether every hit of the request lies within a line, and each line's hits are the same
// whether the search starts at the text's start or just after any LF before the line; a
// text cut after LFs can then be searched piece by piece. A plain text without an LF
// qualifies. So does an expression whose every match holds neither an LF nor nothing
// (those the prefilter takes), unless it names the subject's start or end (\A, \G, \z,
// \Z), which are a piece's own; ^ and $ see the LF at a cut as they would in the whole.
bool SearchesLineByLine(const FilterRequest& request) {
  const std::u16string_view pattern = SearchText(request.text);
  if (pattern.empty()) return false;
  if (request.Regx != 1) return pattern.find(u'\n') == std::u16string_view::npos;
  const RegexPrefilter filter = AnalyzeRegexPattern(pattern);
  if (filter.kind == RegexPrefilter::Kind::kNone || filter.onlyEmpty) return false;
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] != u'\\') continue;
    if (std::u16string_view(u"AGzZ").find(pattern[++i]) != std::u16string_view::npos) return false;
  }
  return true;
}

// The search in chunks of about this many units, each searched and walked while it is in
// the cache; the regular-expression library sets itself up once per chunk.
constexpr int64_t kUnitsPerSearchChunk = 1 << 20;

}  // namespace

KeptLines GatherKeptText(const char16_t* units, int64_t length, const FilterRequest& request,
                         BlockList<SearchHit, 49>&& hitsFound, int32_t pieces,
                         const FilterLayout* layout) {
  const BlockList<SearchHit, 49> hits = std::move(hitsFound);
  const bool invert = request.Invert == 1;
  PieceCloser closer(units, length, request, layout);
  // The searched text is the document's own and is only read: the lines kept are copied
  // to the view's text as soon as the walk has passed them, while they are still in the
  // cache. A large text is walked in pieces on every core; the first piece copies its
  // lines as it walks them, the others once the pieces before them are in place.
  const std::vector<int64_t> cuts = CutsAfterLineEnds(units, length, PiecesFor(length, pieces));
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
  std::optional<LockedMeasure> measure;
  if (layout) measure.emplace(*layout->measure);
  RunSeparatePieces(static_cast<int32_t>(parts.size()), [&, view = closer.Room()](int32_t i) {
    std::optional<PieceLayout> lines;
    if (layout) lines.emplace(layout->parameters, *measure);
    GatherWalkedPiece(units, view, invert, hits, nullptr, parts[static_cast<size_t>(i)],
                      lines ? &*lines : nullptr);
  });
  for (KeptPiece& part : parts) closer.Add(part);
  return closer.Finish();
}

KeptLines SearchKeptText(const char16_t* units, int64_t length, const FilterRequest& request,
                         HitCollection& outcome, const std::atomic<bool>* cancel, int32_t pieces,
                         const FilterLayout* layout, FilterProgress* progress) {
  outcome = HitCollection();
  outcome.cancelled = cancel && cancel->load(std::memory_order_relaxed);
  if (outcome.cancelled) return KeptLines();
  pieces = PiecesFor(length, pieces);
  std::vector<int64_t> cuts{0, length};
  if (pieces > 1 && SearchesLineByLine(request)) {
    const auto chunks =
        static_cast<int32_t>(std::max<int64_t>(pieces, length / kUnitsPerSearchChunk));
    cuts =
        CutsAfterLineEnds(units, length, chunks, [units](int64_t q) { return units[q] == u'\n'; });
  }
  if (cuts.size() <= 2) {
    outcome = CollectHits(std::u16string_view(units, static_cast<size_t>(length)), request.text,
                          request.Caps, request.Regx, cancel);
    if (outcome.cancelled || !outcome.errorText.empty()) return KeptLines();
    KeptLines kept =
        GatherKeptText(units, length, request, std::move(outcome.hits), pieces, layout);
    outcome.hits.Clear();
    return kept;
  }
  // Each core takes the next chunk, searches and walks it, and whichever finds the chunks
  // before a walked one in place puts it in its place; the others go on with the next
  // chunks rather than wait for their turn. No hit reaches over a cut, so each chunk
  // walks its own hits alone.
  const auto count = static_cast<int32_t>(cuts.size() - 1);
  std::vector<KeptPiece> parts(static_cast<size_t>(count));
  const auto walked = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(count));
  std::atomic<int32_t> nextChunk{0};
  std::atomic<int32_t> placed{0};  // the chunks before this one are in place
  std::atomic<bool> stopped{false};
  std::mutex placing;
  PieceCloser closer(units, length, request, layout, progress);
  char16_t* const view = closer.Room();
  std::optional<LockedMeasure> measure;
  if (layout) measure.emplace(*layout->measure);
  const bool invert = request.Invert == 1;
  auto place = [&](KeptPiece& part) {
    outcome.cancelled = outcome.cancelled || part.found.cancelled;
    if (outcome.errorText.empty()) outcome.errorText = std::move(part.found.errorText);
    outcome.failedLines += part.found.failedLines;
    if (!stopped.load()) closer.Add(part);
  };
  // Places the walked chunks that are next, unless another thread does; a chunk walked
  // while that thread lets go is seen by it once it has let go.
  auto placeWalked = [&] {
    for (;;) {
      std::unique_lock lock(placing, std::try_to_lock);
      if (!lock.owns_lock()) return;
      int32_t k = placed.load();
      for (; k < count && walked[static_cast<size_t>(k)].load(); placed.store(++k))
        place(parts[static_cast<size_t>(k)]);
      lock.unlock();
      if (k >= count || !walked[static_cast<size_t>(k)].load()) return;
    }
  };
  RunSeparatePieces(std::min(pieces, count), [&](int32_t) {
    std::optional<PieceLayout> lines;
    if (layout) lines.emplace(layout->parameters, *measure);
    for (int32_t k; (k = nextChunk.fetch_add(1)) < count;) {
      KeptPiece& part = parts[static_cast<size_t>(k)];
      part.from = cuts[static_cast<size_t>(k)];
      part.end = cuts[static_cast<size_t>(k) + 1];
      part.reach = part.from;
      HitCollection& found = part.found;
      found.cancelled = cancel && cancel->load(std::memory_order_relaxed);
      if (found.cancelled) stopped.store(true);
      if (!stopped.load(std::memory_order_relaxed)) {
        found = CollectHits(
            std::u16string_view(units + part.from, static_cast<size_t>(part.end - part.from)),
            request.text, request.Caps, request.Regx, cancel);
        if (found.cancelled || !found.errorText.empty()) {
          stopped.store(true);
        } else {
          for (const auto& block : found.hits.Blocks()) {
            for (int32_t i = 0; i < block->count; ++i) block->entries[i].start += part.from;
          }
          GatherWalkedPiece(units, view, invert, found.hits, &found.hits, part,
                            lines ? &*lines : nullptr);
        }
      }
      walked[static_cast<size_t>(k)].store(true);
      placeWalked();
    }
  });
  placeWalked();  // every chunk is walked, and no other thread places any
  if (outcome.cancelled || !outcome.errorText.empty()) return KeptLines();
  return closer.Finish();
}

std::unique_ptr<Document> BuildFilteredView(const Document& whole, const FilterRequest& request,
                                            std::u16string& errorText) {
  KeptLines kept;
  if (!CollectKeptLines(whole.Text(), 0, 0, request, kept, errorText)) return nullptr;
  return BuildFilteredView(whole, request, kept);
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

namespace {

// Where logical line `number` of the whole document ends (after its line end), or -1.
int64_t WholeLineEnd(const Document& whole, int32_t number) {
  const int32_t next = DisplayLineOfLogical(whole, number + 1);
  if (next >= 0) return whole.lineTable.StartOf(next);
  return DisplayLineOfLogical(whole, number) >= 0 ? whole.textLength : -1;
}

// The display lines of kept lines [k0, k1) of the view, taken from the whole document's
// layout: `put(start, k)` gets each, its start counted from where line k0 stands in the
// view. Answers how much of the view's text the lines fill, or -1 when the whole's layout
// does not hold them.
template <typename Put>
int64_t TakeWholeDisplayLines(const Document& whole, const BlockList<int32_t, 4096>& numbers,
                              int64_t k0, int64_t k1, const Put& put) {
  constexpr int32_t kCapacity = LineBlock::kCapacity;
  if (k0 >= k1) return 0;
  const auto& blocks = whole.lineTable.blocks;
  const int32_t wholeCount = whole.displayLineCount;
  // The whole's display line d, entry i of `block`; at the display line count, the end mark.
  int32_t d = DisplayLineOfLogical(whole, numbers[k0]);
  if (d < 0) return -1;
  int32_t i = d % kCapacity;
  const LineBlock* block = blocks[static_cast<size_t>(d / kCapacity)].get();
  auto step = [&] {
    ++d;
    if (++i == kCapacity) {
      i = 0;
      block = blocks[static_cast<size_t>(d / kCapacity)].get();
    }
  };
  int64_t at = 0;  // where the kept line stands, from where line k0 does
  // Where the kept line before ends in the whole's text.
  int64_t previousNext = k0 > 0 ? WholeLineEnd(whole, numbers[k0 - 1]) : -1;
  for (int64_t k = k0; k < k1; ++k) {
    const int32_t number = numbers[k];
    // Whole blocks of lines that are not kept are passed over at once.
    while (d < wholeCount && block->logical[static_cast<size_t>(block->count - 1)] < number) {
      if (block->count < kCapacity) return -1;
      d = (d / kCapacity + 1) * kCapacity;
      i = 0;
      block = blocks[static_cast<size_t>(d / kCapacity)].get();
    }
    while (d < wholeCount && block->logical[static_cast<size_t>(i)] < number) step();
    if (d >= wholeCount || block->logical[static_cast<size_t>(i)] != number) return -1;
    const int64_t start = block->starts[static_cast<size_t>(i)];
    // As AppendKeptLines: a lone CR line before an LF line got an LF of its own. Only an
    // empty line starts with an LF: the text, far from the cache, is read only for those.
    if (previousNext > 0 && whole.lineTable.StartOf(d + 1) == start + 1 &&
        whole.text[start] == u'\n' && whole.text[previousNext - 1] == u'\r')
      ++at;
    const int64_t delta = at - start;
    for (; d < wholeCount && block->logical[static_cast<size_t>(i)] == number; step())
      put(block->starts[static_cast<size_t>(i)] + delta, static_cast<int32_t>(k));
    const int64_t next = block->starts[static_cast<size_t>(i)];  // maybe the end mark
    at += next - start;
    previousNext = next;
  }
  return at;
}

// Below this many kept lines, the view takes its layout on one thread.
constexpr int64_t kKeptLinesWorthPieces = 1 << 16;

}  // namespace

bool ExtendLayoutFromWhole(Document& view, const Document& whole, int64_t firstLine,
                           int32_t pieces) {
  constexpr int32_t kCapacity = LineBlock::kCapacity;
  if (!view.filter || whole.lineTable.Empty() || DisplayLinesCut(whole)) return false;
  auto& blocks = view.lineTable.blocks;
  if (firstLine > 0 && blocks.empty()) return false;
  // The new lines stand where the end mark did, which they overwrite: it is put back when
  // the whole's layout turns out not to hold them.
  const int32_t oldCount = blocks.empty() ? 0 : view.displayLineCount;
  const int64_t from = blocks.empty() ? 0 : view.lineTable.StartOf(oldCount);
  const size_t oldBlocks = blocks.size();
  const LineBlock* oldLast =
      oldBlocks > static_cast<size_t>(oldCount / kCapacity) ? blocks[oldBlocks - 1].get() : nullptr;
  if (!blocks.empty() && !oldLast) return false;  // no end mark
  const int32_t oldLastCount = oldLast ? oldLast->count : 0;
  const int32_t oldEndLogical = blocks.empty() ? 0 : view.lineTable.LogicalOf(oldCount);
  auto restore = [&] {
    blocks.resize(oldBlocks);
    if (oldBlocks == 0) return;
    LineBlock& last = *blocks.back();
    last.count = oldLastCount;
    last.starts[static_cast<size_t>(oldCount % kCapacity)] = from;
    last.logical[static_cast<size_t>(oldCount % kCapacity)] = oldEndLogical;
  };
  const auto& numbers = view.filter->fileLines;
  int32_t count = oldCount;
  LineBlock* into = oldLast ? blocks.back().get() : nullptr;  // where display line `count` goes
  auto put = [&](int64_t start, int32_t logical) {
    const int32_t i = count % kCapacity;
    if (i == 0) {
      const auto b = static_cast<size_t>(count / kCapacity);
      if (blocks.size() <= b) blocks.push_back(std::make_unique<LineBlock>());
      into = blocks[b].get();
    }
    into->starts[static_cast<size_t>(i)] = start;
    into->logical[static_cast<size_t>(i)] = logical;
    into->count = i + 1;
    ++count;
  };
  // Many lines are taken in two halves on two threads; the second's lines are put behind
  // the first's once its length is known.
  const int64_t kept = numbers.Size();
  const int64_t added = kept - firstLine;
  if (pieces <= 0) pieces = added >= kKeptLinesWorthPieces ? CoreCount() : 1;
  const int64_t half = pieces > 1 ? firstLine + added / 2 : kept;
  int64_t firstLength = -1;
  int64_t secondLength = 0;
  std::vector<int64_t> secondStarts;
  std::vector<int32_t> secondLogical;
  // Room for two display lines a line, which the vectors take only as they fill it.
  secondStarts.reserve(static_cast<size_t>(kept - half) * 2);
  secondLogical.reserve(static_cast<size_t>(kept - half) * 2);
  try {
    RunPieces(pieces > 1 ? 2 : 1, [&](int32_t piece) {
      if (piece == 0) {
        firstLength =
            TakeWholeDisplayLines(whole, numbers, firstLine, half,
                                  [&](int64_t start, int32_t k) { put(from + start, k); });
        return;
      }
      secondLength =
          TakeWholeDisplayLines(whole, numbers, half, kept, [&](int64_t start, int32_t k) {
            secondStarts.push_back(start);
            secondLogical.push_back(k);
          });
    });
  } catch (...) {
    restore();
    throw;
  }
  const int64_t at = from + firstLength + secondLength;
  if (firstLength < 0 || secondLength < 0 || at != view.textLength) {
    restore();
    return false;
  }
  for (size_t n = 0; n < secondStarts.size(); ++n)
    put(secondStarts[n] + from + firstLength, secondLogical[n]);
  if (count % kCapacity == 0 && blocks.size() <= static_cast<size_t>(count / kCapacity))
    blocks.push_back(std::make_unique<LineBlock>());
  LineBlock& last = *blocks[static_cast<size_t>(count / kCapacity)];
  last.starts[static_cast<size_t>(count % kCapacity)] = at;
  // Every kept line ends with a line end but maybe the last.
  const bool lastEnds = at > 0 && (view.text[at - 1] == u'\r' || view.text[at - 1] == u'\n');
  last.logical[static_cast<size_t>(count % kCapacity)] =
      static_cast<int32_t>(kept) - (kept == 0 || lastEnds ? 0 : 1);
  view.displayLineCount = count;
  view.scrollScale = ScrollScale(count);
  return true;
}

bool LayOutFromWhole(Document& view, const Document& whole, int32_t pieces) {
  if (!view.filter) return false;
  LineTable before = std::move(view.lineTable);
  const int32_t countBefore = view.displayLineCount;
  view.lineTable.Clear();
  view.displayLineCount = 0;
  if (ExtendLayoutFromWhole(view, whole, 0, pieces)) return true;
  view.lineTable = std::move(before);
  view.displayLineCount = countBefore;
  return false;
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
