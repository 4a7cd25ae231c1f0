// The filter on a worker: a large text is cut after line ends into pieces that are
// searched and walked on every core, and the kept lines of each piece are put behind
// those of the pieces before it in the view's text, which is made in place.
#include "core/search/filter_worker.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "core/pieces.h"
#include "core/search/filter_progress.h"
#include "core/search/filtered_view.h"
#include "core/search/line_walk.h"
#include "core/search/regex_prefilter.h"

namespace vemora {

namespace {

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
  HitList viewHits;
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
void GatherPiece(const char16_t* units, char16_t* out, bool invert, const HitList& hits,
                 HitList* ownHits, KeptPiece& piece, PieceLayout* layout, const Walk& walk) {
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
    const bool lfBefore = GetsOwnLf(endsInCr, units, line.start, line.next);
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
void GatherWalkedPiece(const char16_t* units, char16_t* out, bool invert, const HitList& hits,
                       HitList* ownHits, KeptPiece& piece, PieceLayout* layout) {
  GatherPiece(units, out, invert, hits, ownHits, piece, layout, [&](const auto& keep) {
    return WalkLines(units, piece.from, piece.end, 0, invert, hits, piece.firstHit, piece.reach,
                     piece.kept, keep);
  });
}

// The first hit starting at or after `position`.
int64_t FirstHitFrom(const HitList& hits, int64_t position) {
  return hits.PartitionPoint([position](const SearchHit& hit) { return hit.start < position; });
}

// A view whose text is less than this share of the searched text is "of a few lines".
constexpr int64_t kSmallViewShare = 16;

// Puts the pieces' lines, the first piece's already in place, one after another at the
// start of the view's text, in their order, with their line numbers and hits following;
// then makes the view. The view's text is made in room for every unit of the searched
// text (Room): a kept line never lands after where it stood there.
class KeptViewAssembler {
 public:
  // With a `progress`, each piece in place but the last is published to it.
  KeptViewAssembler(const char16_t* units, int64_t length, const FilterRequest& request,
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
  ~KeptViewAssembler() { WithdrawFromProgress(); }
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
      const bool joinLf = GetsOwnLf(at_ > 0 && view[at_ - 1] == u'\r', units_, first, part.end);
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
                         HitList&& hitsFound, int32_t pieces, const FilterLayout* layout) {
  const HitList hits = std::move(hitsFound);
  const bool invert = request.Invert == 1;
  KeptViewAssembler assembler(units, length, request, layout);
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
  RunSeparatePieces(static_cast<int32_t>(parts.size()), [&, view = assembler.Room()](int32_t i) {
    std::optional<PieceLayout> lines;
    if (layout) lines.emplace(layout->parameters, *measure);
    GatherWalkedPiece(units, view, invert, hits, nullptr, parts[static_cast<size_t>(i)],
                      lines ? &*lines : nullptr);
  });
  for (KeptPiece& part : parts) assembler.Add(part);
  return assembler.Finish();
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
  KeptViewAssembler assembler(units, length, request, layout, progress);
  char16_t* const view = assembler.Room();
  std::optional<LockedMeasure> measure;
  if (layout) measure.emplace(*layout->measure);
  const bool invert = request.Invert == 1;
  auto place = [&](KeptPiece& part) {
    outcome.cancelled = outcome.cancelled || part.found.cancelled;
    if (outcome.errorText.empty()) outcome.errorText = std::move(part.found.errorText);
    outcome.failedLines += part.found.failedLines;
    if (!stopped.load()) assembler.Add(part);
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
  return assembler.Finish();
}

}  // namespace vemora
