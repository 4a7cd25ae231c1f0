// Line breaking at a column or at the view's edge, and the line-table lookups.
#include "core/layout/layout.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "core/layout/line_breaker.h"
#include "core/pieces.h"

#include "core/settings/settings_model.h"

namespace vemora {
namespace {

using line_breaking::AdvanceTable;
using line_breaking::LineBreaker;

// Whether the parameters wrap at a column (else at the view's edge).
bool InColumns(const LayoutParameters& parameters) {
  return parameters.FoldRight != 1;
}

// The breaker for the document's text with the parameters: the limit is Fold in columns, or
// the client width less the margins in pixels.
LineBreaker BreakerFor(const Document& document, const LayoutParameters& parameters,
                       AdvanceTable& table) {
  return LineBreaker{document.text,
                     document.textLength,
                     std::max(parameters.Tab, 1),
                     std::max(parameters.averageCharWidth, 1),
                     InColumns(parameters)
                         ? int64_t{parameters.Fold}
                         : int64_t{parameters.clientWidth} - parameters.edgeMargins,
                     table};
}

// The display lines of one chunk of the text, laid out alone: a chunk starts just after a
// line end, where a display line starts whatever came before. Logical numbers count from
// the chunk's first line. Kept by its thread from chunk to chunk, so it stays in the cache.
struct ChunkLines {
  std::vector<int64_t> starts;
  std::vector<int32_t> logical;
  int32_t lineEnds = 0;
};

class ChunkBreaker {
 public:
  ChunkBreaker(const Document& document, const LayoutParameters& parameters, TextMeasure& measure)
      : inColumns_(InColumns(parameters)),
        table_(measure, std::max(parameters.averageCharWidth, 1), inColumns_),
        breaker_(BreakerFor(document, parameters, table_)) {}

  void LayOut(int64_t from, int64_t to, ChunkLines& lines) {
    lines.starts.clear();
    lines.logical.clear();
    breaker_.end = to;
    breaker_.logical = 0;
    for (int64_t p = from; p < to;) {
      lines.starts.push_back(p);
      lines.logical.push_back(breaker_.logical);
      p = inColumns_ ? breaker_.ColumnLine(p) : breaker_.EdgeLine(p);
    }
    lines.lineEnds = breaker_.logical;
  }

 private:
  bool inColumns_;
  AdvanceTable table_;
  LineBreaker breaker_;
};

// The table as the chunks fill it: each chunk learns its first display line and logical
// number in its turn, once the chunk before it is laid out. Blocks are added in the turn;
// the entries are written after it, each chunk to its own.
class ChunkTable {
 public:
  ChunkTable(LineTable& table, int32_t chunks, int32_t mostLines)
      : table_(table),
        mostLines_(mostLines),
        firstLine_(static_cast<size_t>(chunks) + 1, 0),
        logicalBase_(static_cast<size_t>(chunks) + 1, 0) {}

  void Place(int32_t k, const ChunkLines& lines) {
    constexpr int32_t kCapacity = LineBlock::kCapacity;
    const auto count = static_cast<int32_t>(lines.starts.size());
    const auto c = static_cast<size_t>(k);
    std::vector<LineBlock*> blocks;
    bool full = false;
    turns_.InTurn(k, [&] {
      const int32_t first = firstLine_[c];
      // Past the most lines a table counts, the chunks are left for the one-thread
      // layout, which stops at that count.
      full = overflowed_ || int64_t{first} + count >= mostLines_;
      overflowed_ = full;
      if (full) return;
      firstLine_[c + 1] = first + count;
      logicalBase_[c + 1] = logicalBase_[c] + lines.lineEnds;
      // One block more than the lines fill, for the end mark when this chunk is the last.
      while (table_.blocks.size() <= static_cast<size_t>((first + count) / kCapacity))
        table_.blocks.push_back(std::make_unique<LineBlock>());
      for (int32_t b = first / kCapacity; b <= (first + count) / kCapacity; ++b)
        blocks.push_back(table_.blocks[static_cast<size_t>(b)].get());
    });
    if (full) return;
    const int32_t first = firstLine_[c];
    const int32_t logicalBase = logicalBase_[c];
    for (int32_t i = 0; i < count; ++i) {
      const int32_t n = first + i;
      LineBlock& block = *blocks[static_cast<size_t>(n / kCapacity - first / kCapacity)];
      block.starts[static_cast<size_t>(n % kCapacity)] = lines.starts[static_cast<size_t>(i)];
      block.logical[static_cast<size_t>(n % kCapacity)] =
          logicalBase + lines.logical[static_cast<size_t>(i)];
    }
  }

  int32_t LineCount() const { return firstLine_.back(); }
  int32_t LineEnds() const { return logicalBase_.back(); }
  bool Overflowed() const { return overflowed_; }

 private:
  LineTable& table_;
  int32_t mostLines_;
  std::vector<int32_t> firstLine_;  // each written in its chunk's turn, read after it
  std::vector<int32_t> logicalBase_;
  bool overflowed_ = false;  // written and read in the turns, then after them
  ChunkTurns turns_;
};

// Counts and the end mark, as the one-thread layout leaves them.
void FinishTable(Document& document, int32_t count, int32_t lineEnds) {
  constexpr int32_t kCapacity = LineBlock::kCapacity;
  auto& blocks = document.lineTable.blocks;
  while (blocks.size() < static_cast<size_t>(count / kCapacity) + 1)
    blocks.push_back(std::make_unique<LineBlock>());
  blocks.resize(static_cast<size_t>(count / kCapacity) + 1);
  for (size_t b = 0; b < blocks.size(); ++b)
    blocks[b]->count = std::clamp(count - static_cast<int32_t>(b) * kCapacity, 0, kCapacity);
  LineBlock& last = *blocks.back();
  last.starts[static_cast<size_t>(count % kCapacity)] = document.textLength;
  last.logical[static_cast<size_t>(count % kCapacity)] = lineEnds;
  document.displayLineCount = count;
  document.scrollScale = ScrollScale(count);
}

}  // namespace

void LayoutDocument(Document& document, const LayoutParameters& parameters, TextMeasure& measure) {
  if (document.textLength >= kUnitsWorthPieces && CoreCount() > 1) {
    LayoutDocumentInPieces(document, parameters, measure, CoreCount());
    return;
  }
  LayoutDocumentOnOneThread(document, parameters, measure);
}

void LayoutDocumentInPieces(Document& document, const LayoutParameters& parameters,
                            TextMeasure& measure, int32_t pieces) {
  pieces = std::max(pieces, 1);
  // Many more chunks than threads, taken in turn, so that a thread's lines stay in its
  // cache until they are copied into the table.
  const auto chunkCount =
      static_cast<int32_t>(std::max<int64_t>(pieces, document.textLength / kUnitsPerChunk));
  const std::vector<int64_t> cuts =
      CutsAfterLineEnds(document.text, document.textLength, chunkCount);
  const auto chunks = static_cast<int32_t>(cuts.size()) - 1;
  document.lineTable.Clear();
  LockedMeasure shared(measure);
  ChunkTable table(document.lineTable, chunks, parameters.mostLines);
  std::atomic<int32_t> nextChunk{0};
  RunPieces(std::min(pieces, chunks), [&](int32_t) {
    ChunkBreaker breaker(document, parameters, shared);
    ChunkLines lines;
    for (int32_t k = nextChunk++; k < chunks; k = nextChunk++) {
      breaker.LayOut(cuts[static_cast<size_t>(k)], cuts[static_cast<size_t>(k) + 1], lines);
      table.Place(k, lines);
    }
  });
  if (table.Overflowed()) return LayoutDocumentOnOneThread(document, parameters, measure);
  FinishTable(document, table.LineCount(), table.LineEnds());
}

LayoutParameters LayoutParametersFor(const FileTypeSetting& setting, int32_t averageCharWidth,
                                     int32_t clientWidth) {
  return LayoutParameters{setting.Tab, setting.Fold, setting.FoldRight, averageCharWidth,
                          clientWidth};
}

int32_t ScrollScale(int32_t displayLineCount) {
  return static_cast<int32_t>((static_cast<int64_t>(displayLineCount) + 65535) / 65535);
}

namespace {

// Ends the table at display line `n`, whose entry, the last written, becomes the end mark,
// and the text, with what lies in it, where that line starts.
void EndTextAtLine(Document& document, int32_t n) {
  LineBlock& last = *document.lineTable.blocks.back();
  last.count = n % LineBlock::kCapacity;
  const int64_t end = last.starts[static_cast<size_t>(last.count)];
  document.textLength = end;
  document.displayLineCount = n;
  document.scrollScale = ScrollScale(n);
  CutSpansAt(document.overstrikeRuns, end);
  CutSpansAt(document.hits, end);
  if (document.hits.Empty()) document.hitPatternLength = 0;
  document.SelectionAnchor = std::min(document.SelectionAnchor, end);
  document.SelectionEnd = std::min(document.SelectionEnd, end);
}

// Breaks the text into display lines from display line `line`, which starts at `p` after
// `logical` line ends: the entries before it stay, everything from it on is written anew.
void BreakLinesFrom(Document& document, const LayoutParameters& parameters, TextMeasure& measure,
                    int32_t line, int64_t p, int32_t logical) {
  const bool inColumns = InColumns(parameters);
  AdvanceTable table(measure, std::max(parameters.averageCharWidth, 1), inColumns);
  LineBreaker breaker = BreakerFor(document, parameters, table);
  breaker.logical = logical;

  auto& blocks = document.lineTable.blocks;
  const auto first = static_cast<size_t>(line / LineBlock::kCapacity);
  int32_t i = line % LineBlock::kCapacity;
  if (blocks.size() > first + 1) blocks.resize(first + 1);
  if (blocks.size() == first) blocks.push_back(std::make_unique<LineBlock>());
  blocks.back()->count = i;

  const int64_t end = document.textLength;
  int32_t count = line;
  try {
    for (;;) {
      LineBlock& current = *blocks.back();
      for (;;) {
        current.starts[i] = p;
        current.logical[i] = breaker.logical;
        if (p >= end) {
          document.displayLineCount = count;
          document.scrollScale = ScrollScale(count);
          return;
        }
        ++current.count;
        ++count;
        if (count == parameters.mostLines)
          p = breaker.TakeRest(p);
        else
          p = inColumns ? breaker.ColumnLine(p) : breaker.EdgeLine(p);
        if (++i == LineBlock::kCapacity) break;
      }
      blocks.push_back(std::make_unique<LineBlock>());
      i = 0;
    }
  } catch (const std::bad_alloc&) {
    // Only where allocations are recoverable (a load joining its steps): the text ends
    // where the last line written starts, so that the table covers all of it.
    EndTextAtLine(document, count - 1);
    throw;
  }
}

}  // namespace

void LayoutDocumentOnOneThread(Document& document, const LayoutParameters& parameters,
                               TextMeasure& measure) {
  document.lineTable.Clear();
  document.displayLineCount = 0;
  BreakLinesFrom(document, parameters, measure, 0, 0, 0);
}

void ExtendLayout(Document& document, int64_t unchangedEnd, const LayoutParameters& parameters,
                  TextMeasure& measure) {
  if (document.lineTable.Empty()) return LayoutDocument(document, parameters, measure);
  // Every display line breaks on its own from its start, and where it ends depends on the
  // unit after it too (a CR before an LF, a wrap at the text's end): the line that holds
  // the last unchanged unit is laid out again from its start.
  const int32_t line = std::min(DisplayLineOf(document, std::max<int64_t>(unchangedEnd - 1, 0)),
                                document.displayLineCount);
  BreakLinesFrom(document, parameters, measure, line, document.lineTable.StartOf(line),
                 document.lineTable.LogicalOf(line));
}

int64_t LineStart(const Document& document, int32_t n) {
  if (n < 0 || n > document.displayLineCount || document.lineTable.Empty()) return kNoPosition;
  return document.lineTable.StartOf(n);
}

int64_t LineLength(const Document& document, int32_t n) {
  if (n < 0 || n >= document.displayLineCount) return 0;
  return document.lineTable.StartOf(n + 1) - document.lineTable.StartOf(n);
}

int32_t LogicalLineOf(const Document& document, int32_t n) {
  if (n < 0 || n >= document.displayLineCount) return -1;
  return document.lineTable.LogicalOf(n);
}

int32_t DisplayLineOf(const Document& document, int64_t position) {
  const auto& blocks = document.lineTable.blocks;
  if (blocks.empty()) return 0;
  // The last block whose first start is not after the position (the first block when
  // the position lies before the text).
  auto after = std::upper_bound(blocks.begin() + 1, blocks.end(), position,
                                [](int64_t value, const std::unique_ptr<LineBlock>& block) {
                                  return value < block->starts[0];
                                });
  const size_t index = static_cast<size_t>(after - blocks.begin()) - 1;
  const LineBlock& block = *blocks[index];
  const int32_t base = static_cast<int32_t>(index) * LineBlock::kCapacity;
  if (block.count <= 1) return base;
  const auto first = block.starts.begin() + 1;
  const auto last = block.starts.begin() + block.count;
  return base + static_cast<int32_t>(std::upper_bound(first, last, position) - first);
}

int32_t DisplayLineOfLogical(const Document& document, int32_t logical) {
  const auto& blocks = document.lineTable.blocks;
  // The first block whose last line has reached the logical line holds its first display
  // line, also when the line goes on into the next block; choosing a block by its first
  // entry would land on the continuation. A block without lines (the end mark alone)
  // ends the walk.
  for (size_t b = 0; b < blocks.size() && blocks[b]->count > 0; ++b) {
    const LineBlock& block = *blocks[b];
    if (block.logical[block.count - 1] < logical) continue;
    const auto first = block.logical.begin();
    const auto hit = std::lower_bound(first, first + block.count, logical);
    if (*hit != logical) return -1;
    return static_cast<int32_t>(b) * LineBlock::kCapacity + static_cast<int32_t>(hit - first);
  }
  return -1;
}

struct PieceLayout::State {
  State(const LayoutParameters& parameters, TextMeasure& measure)
      : inColumns(InColumns(parameters)),
        table(measure, std::max(parameters.averageCharWidth, 1), inColumns),
        breaker(BreakerFor(Document(), parameters, table)) {}
  bool inColumns;
  AdvanceTable table;
  LineBreaker breaker;
};

PieceLayout::PieceLayout(const LayoutParameters& parameters, TextMeasure& measure)
    : state_(std::make_unique<State>(parameters, measure)) {}

PieceLayout::~PieceLayout() = default;

void PieceLayout::LayOut(const char16_t* text, int64_t length, int64_t base,
                         std::vector<int64_t>& starts, std::vector<int32_t>& logical,
                         int32_t& lineEnds) {
  starts.clear();
  logical.clear();
  lineEnds = 0;
  Append(text, length, base, starts, logical, lineEnds);
}

void PieceLayout::Append(const char16_t* text, int64_t length, int64_t base,
                         std::vector<int64_t>& starts, std::vector<int32_t>& logical,
                         int32_t& lineEnds) {
  LineBreaker& breaker = state_->breaker;
  breaker.text = text;
  breaker.end = length;
  breaker.logical = lineEnds;
  for (int64_t p = 0; p < length;) {
    starts.push_back(base + p);
    logical.push_back(breaker.logical);
    p = state_->inColumns ? breaker.ColumnLine(p) : breaker.EdgeLine(p);
  }
  lineEnds = breaker.logical;
}

void AppendDisplayLines(Document& document, const std::vector<int64_t>& starts,
                        const std::vector<int32_t>& logical, int32_t lineEnds, int64_t textEnd,
                        std::vector<std::unique_ptr<LineBlock>>* spare) {
  constexpr int32_t kCapacity = LineBlock::kCapacity;
  auto& blocks = document.lineTable.blocks;
  int32_t n = document.displayLineCount;
  const int32_t base = blocks.empty() ? 0 : document.lineTable.LogicalOf(n);
  auto blockOf = [&blocks, spare](int64_t line) -> LineBlock& {
    while (blocks.size() <= static_cast<size_t>(line / kCapacity)) {
      if (spare && !spare->empty()) {
        blocks.push_back(std::move(spare->back()));
        spare->pop_back();
      } else {
        blocks.push_back(std::make_unique<LineBlock>());
      }
    }
    return *blocks[static_cast<size_t>(line / kCapacity)];
  };
  // Every block the lines and the end mark need comes first: memory running out leaves the
  // table as it was.
  const size_t blockCount = blocks.size();
  try {
    blockOf(n + static_cast<int64_t>(starts.size()));
  } catch (const std::bad_alloc&) {
    blocks.resize(blockCount);
    throw;
  }
  for (size_t i = 0; i < starts.size(); ++i, ++n) {
    LineBlock& block = blockOf(n);
    block.starts[static_cast<size_t>(n % kCapacity)] = starts[i];
    block.logical[static_cast<size_t>(n % kCapacity)] = base + logical[i];
    block.count = n % kCapacity + 1;
  }
  LineBlock& last = blockOf(n);
  last.starts[static_cast<size_t>(n % kCapacity)] = textEnd;
  last.logical[static_cast<size_t>(n % kCapacity)] = base + lineEnds;
  document.displayLineCount = n;
  document.scrollScale = ScrollScale(n);
}

}  // namespace vemora
