// The layout of a filtered view taken from the whole document's, which its kept lines'
// numbers find: far cheaper than breaking the view's lines again.
#include "core/layout/layout_from_whole.h"

#include <memory>
#include <vector>

#include "core/layout/layout.h"
#include "core/pieces.h"
#include "core/search/filtered_view.h"
#include "core/search/line_walk.h"

namespace vemora {

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
    // Only an empty line starts with an LF: the text, far from the cache, is read only for
    // those.
    if (previousNext > 0 && whole.lineTable.StartOf(d + 1) == start + 1 &&
        GetsOwnLf(whole.text[previousNext - 1] == u'\r', whole.text, start, start + 1))
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

}  // namespace vemora
