// Fuzzing the layout: the line table of any text at random wrap columns, tab widths,
// average widths and client widths in both wrap modes, with a font whose widths the input
// chooses, then the lookups between positions and lines, and the row cell layout of the
// first display lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <string>

#include "core/layout/layout.h"
#include "core/layout/row_layout.h"
#include "core/text/character_boundary.h"
#include "fuzz_support.h"

namespace vemora {
namespace {

// A font with eight widths (0 included), spread over the units by a hash so that
// neighbouring characters differ; the same unit always measures the same.
class HashedWidths final : public TextMeasure, public RowMeasure {
 public:
  explicit HashedWidths(std::array<uint8_t, 8> widths) : widths_(widths) {}

  int32_t UnitWidth(char16_t unit) override {
    return widths_[(static_cast<uint32_t>(unit) * 2654435761u) >> 29];
  }
  void MeasurePrefixes(std::u16string_view text, int32_t* ends) override {
    int32_t x = 0;
    for (size_t i = 0; i < text.size(); ++i) ends[i] = x += UnitWidth(text[i]);
  }
  // A character of several units measures as one, not as the sum of its units.
  int32_t CharacterWidth(std::u16string_view character) override {
    return widths_[(static_cast<uint32_t>(character[0] ^ character.back() << 7) * 2654435761u) >>
                   29];
  }

 private:
  std::array<uint8_t, 8> widths_;
};

bool IsLineEnd(char16_t unit) {
  return unit == u'\r' || unit == u'\n';
}

// Line ends before `position`, a CR LF pair counting once.
std::vector<int32_t> LineEndsBefore(std::u16string_view text) {
  std::vector<int32_t> counts(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    const bool pairTail = text[i] == u'\n' && i > 0 && text[i - 1] == u'\r';
    counts[i + 1] = counts[i] + (IsLineEnd(text[i]) && !pairTail ? 1 : 0);
  }
  return counts;
}

// Columns taken by the units of a display line before its line end, in column mode.
int64_t ColumnsOfLine(std::u16string_view line, int32_t tab, int32_t average,
                      HashedWidths& widths) {
  int64_t k = 0;
  for (int64_t i = 0; i < static_cast<int64_t>(line.size());) {
    const char16_t unit = line[static_cast<size_t>(i)];
    const int64_t next = NextCharacter(line, i).end;
    if (IsLineEnd(unit)) break;
    if (unit == u'\t') {
      k = k + tab - ((k + tab) % tab);
    } else if (unit < 0x20) {
      k += 1;
    } else if (next > i + 1) {
      k += (widths.CharacterWidth(
                line.substr(static_cast<size_t>(i), static_cast<size_t>(next - i))) +
            average - 1) /
           average;
    } else {
      k += (widths.UnitWidth(unit) + average - 1) / average;
    }
    i = next;
  }
  return k;
}

void CheckLineTable(const Document& document, const LayoutParameters& parameters,
                    HashedWidths& widths) {
  const std::u16string_view text = document.Text();
  const int32_t count = document.displayLineCount;
  const auto& blocks = document.lineTable.blocks;
  FUZZ_CHECK(count >= 0 && !blocks.empty());
  // Every block but the last one or two is full: the lookups index by n / 1000.
  FUZZ_CHECK(blocks.size() == static_cast<size_t>(count / LineBlock::kCapacity + 1));
  for (size_t b = 0; b + 1 < blocks.size(); ++b)
    FUZZ_CHECK(blocks[b]->count == LineBlock::kCapacity);
  FUZZ_CHECK(blocks.back()->count == count % LineBlock::kCapacity);
  FUZZ_CHECK(document.scrollScale == ScrollScale(count) && document.scrollScale >= 1);
  FUZZ_CHECK(count == 0 || text.size() > 0);

  // Display lines cover the text exactly once, in order, each holding at least one unit,
  // and carry the number of line ends before them.
  const std::vector<int32_t> lineEnds = LineEndsBefore(text);
  const int32_t tab = std::max(parameters.Tab, 1);
  const int32_t average = std::max(parameters.averageCharWidth, 1);
  FUZZ_CHECK(LineStart(document, 0) == 0);
  for (int32_t n = 0; n <= count; ++n) {
    const int64_t start = document.lineTable.StartOf(n);
    FUZZ_CHECK(start >= 0 && start <= document.textLength);
    FUZZ_CHECK(document.lineTable.LogicalOf(n) == lineEnds[static_cast<size_t>(start)]);
    if (n == count) {
      FUZZ_CHECK(start == document.textLength);
      break;
    }
    const int64_t next = document.lineTable.StartOf(n + 1);
    FUZZ_CHECK(next > start);
    FUZZ_CHECK(LineStart(document, n) == start && LineLength(document, n) == next - start);
    FUZZ_CHECK(LogicalLineOf(document, n) == lineEnds[static_cast<size_t>(start)]);
    FUZZ_CHECK(DisplayLineOf(document, start) == n && DisplayLineOf(document, next - 1) == n);
    const int32_t logical = LogicalLineOf(document, n);
    const int32_t found = DisplayLineOfLogical(document, logical);
    // Any display line of it: a logical line that starts in one block and goes on in the
    // next is found in the later block.
    FUZZ_CHECK(found >= 0 && LogicalLineOf(document, found) == logical);
    // No wrap falls inside a character.
    FUZZ_CHECK(!InsideCharacter(text, next));
    // A CR is never parted from the LF after it.
    FUZZ_CHECK(!(text[static_cast<size_t>(next - 1)] == u'\r' && next < document.textLength &&
                 text[static_cast<size_t>(next)] == u'\n'));
    // In column mode a line of several characters fits its column; a line end only stays on a
    // line it does not start beyond the column of.
    const std::u16string_view line = text.substr(static_cast<size_t>(start), next - start);
    const size_t units = line.size() - (line.ends_with(u"\r\n")  ? 2
                                        : IsLineEnd(line.back()) ? 1
                                                                 : 0);
    const bool severalCharacters =
        units > 0 && NextCharacter(line, 0).end < static_cast<int64_t>(units);
    if (parameters.FoldRight != 1 && severalCharacters) {
      FUZZ_CHECK(ColumnsOfLine(line, tab, average, widths) <= parameters.Fold);
    }
    if (parameters.FoldRight != 1 && units > 0 && units < line.size()) {
      FUZZ_CHECK(ColumnsOfLine(line, tab, average, widths) < parameters.Fold);
    }
  }
  FUZZ_CHECK(LineStart(document, count + 1) == kNoPosition && LineLength(document, count) == 0);
  FUZZ_CHECK(LogicalLineOf(document, count) == -1 && LogicalLineOf(document, -1) == -1);
  FUZZ_CHECK(DisplayLineOf(document, -5) == 0);
  const int32_t last = DisplayLineOf(document, document.textLength);
  FUZZ_CHECK(last == count || last == count - 1 || count == 0);
  FUZZ_CHECK(DisplayLineOfLogical(document, lineEnds.back() + 1) == -1);
}

void CheckRow(std::u16string_view line, const RowLayoutOptions& options, HashedWidths& widths) {
  RowLayout row;
  BuildRowLayout(line, options, widths, row);
  FUZZ_CHECK(row.Size() == static_cast<int32_t>(line.size()));
  FUZZ_CHECK(row.x.size() == line.size() + 1 && row.x[0] == 0);
  for (int32_t i = 0; i < row.Size(); ++i) {
    FUZZ_CHECK(row.Left(i) <= row.Right(i));
    const CellKind kind = row.kinds[static_cast<size_t>(i)];
    const char16_t unit = line[static_cast<size_t>(i)];
    if (kind == CellKind::kLineEndTail) {
      FUZZ_CHECK(i > 0 && line[static_cast<size_t>(i) - 1] == u'\r' && unit == u'\n');
      FUZZ_CHECK(row.Left(i) == row.Right(i));
    }
    FUZZ_CHECK(kind != CellKind::kText || !IsMarkUnit(unit, options));
    // A character of several units is one cell: its other units are empty cells behind it.
    FUZZ_CHECK((kind == CellKind::kCharacter) == (NextCharacter(line, i).end > i + 1));
    if (kind == CellKind::kCharacterTail) {
      FUZZ_CHECK(InsideCharacter(line, i) && row.Left(i) == row.Right(i));
      FUZZ_CHECK(row.Left(i) == row.Right(i - 1));
    }
    FUZZ_CHECK(kind != CellKind::kTab ||
               (row.Right(i) % std::max(options.averageCharWidth, 1)) == 0 ||
               row.Right(i) == row.Left(i));
  }
  // The hit tests agree with a walk over the cells.
  for (const int32_t target : {-1, 0, 1, row.End() / 2, row.End() - 1, row.End(), row.End() + 1}) {
    int32_t expected = 0;
    while (expected < row.Size() && row.Right(expected) < target) ++expected;
    FUZZ_CHECK(row.UnitAtOrAfter(target) == expected);
    FUZZ_CHECK(expected == row.Size() || !InsideCharacter(line, expected));
    const int32_t containing = row.UnitContaining(target);
    FUZZ_CHECK(containing == -1 ||
               (row.Left(containing) <= target && target <= row.Right(containing)));
  }
}

}  // namespace
}  // namespace vemora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  FuzzedDataProvider provider(data, size);
  LayoutParameters parameters;
  parameters.Tab = provider.ConsumeIntegralInRange<int32_t>(-1, 17);
  parameters.Fold = provider.ConsumeIntegralInRange<int32_t>(-1, 270);
  parameters.FoldRight = provider.ConsumeIntegralInRange<int32_t>(0, 2);
  parameters.averageCharWidth = provider.ConsumeIntegralInRange<int32_t>(0, 20);
  parameters.clientWidth = provider.ConsumeIntegralInRange<int32_t>(-20, 1200);
  std::array<uint8_t, 8> widthTable{};
  for (uint8_t& width : widthTable) width = provider.ConsumeIntegralInRange<uint8_t>(0, 40);
  RowLayoutOptions rowOptions;
  rowOptions.tabWidth = parameters.Tab;
  rowOptions.averageCharWidth = parameters.averageCharWidth;
  rowOptions.spaceMarks = provider.ConsumeBool();
  rowOptions.fullSpaceMarks = provider.ConsumeBool();
  const std::u16string units = fuzz::UnitsFromBytes(provider.ConsumeRemainingBytesAsString());

  // The text in a buffer of exactly its length, so that any read past it is caught.
  Document document;
  document.textBuffer = std::make_unique<char16_t[]>(std::max<size_t>(units.size(), 1));
  std::copy(units.begin(), units.end(), document.textBuffer.get());
  document.text = units.empty() ? nullptr : document.textBuffer.get();
  document.textLength = static_cast<int32_t>(units.size());

  HashedWidths widths(widthTable);
  LayoutDocument(document, parameters, widths);
  CheckLineTable(document, parameters, widths);
  for (int32_t n = 0; n < std::min(document.displayLineCount, 64); ++n) {
    const int64_t start = LineStart(document, n);
    CheckRow(document.Text().substr(static_cast<size_t>(start),
                                    static_cast<size_t>(LineLength(document, n))),
             rowOptions, widths);
  }
  return 0;
}
