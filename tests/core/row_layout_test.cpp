// The row layout is the one source of x positions for painting and hit testing: tab
// stops, mark cells, line-end pairs and control letters are checked against a font of
// known widths.
#include "core/layout/row_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace vemora {
namespace {

// A font in which every unit below U+0080 is `narrow` pixels wide and every other unit
// twice that, unless a width is given for it.
class FixedMeasure : public RowMeasure {
 public:
  explicit FixedMeasure(int32_t narrow) : narrow_(narrow) {}
  std::map<char16_t, int32_t> widths;
  int32_t calls = 0;

  void MeasurePrefixes(std::u16string_view text, int32_t* ends) override {
    ++calls;
    int32_t x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      auto found = widths.find(text[i]);
      x += found != widths.end() ? found->second : (text[i] < 0x80 ? narrow_ : 2 * narrow_);
      ends[i] = x;
    }
  }
  // A character of several units: `characterWidth`, whatever its units would give.
  int32_t CharacterWidth(std::u16string_view) override {
    ++characterCalls;
    return characterWidth;
  }
  int32_t characterWidth = 0;
  int32_t characterCalls = 0;

 private:
  int32_t narrow_;
};

RowLayout Layout(std::u16string_view line, RowMeasure& measure, RowLayoutOptions options = {}) {
  RowLayout layout;
  BuildRowLayout(line, options, measure, layout);
  return layout;
}

constexpr int32_t W = 8;

TEST(RowLayout, TabsStopAtColumnsCountingWideCharactersAsTwo) {
  FixedMeasure measure(W);
  RowLayoutOptions options{.tabWidth = 4, .averageCharWidth = W};
  RowLayout narrow = Layout(u"a\tb", measure, options);
  EXPECT_EQ(narrow.Left(2), 4 * W);
  EXPECT_EQ(narrow.kinds[1], CellKind::kTab);
  EXPECT_EQ(narrow.Right(1), 4 * W);

  RowLayout wide = Layout(u"日本\tb", measure, options);
  EXPECT_EQ(wide.Left(3), 8 * W) << "two full-width characters fill four columns";

  RowLayout atStop = Layout(u"abcd\tb", measure, options);
  EXPECT_EQ(atStop.Left(5), 8 * W) << "a tab on a stop moves to the next one";
}

TEST(RowLayout, TabNeverEndsLeftOfProportionalTextBeforeIt) {
  FixedMeasure measure(W);
  measure.widths[u'M'] = 2 * W;  // wider than its one column
  RowLayoutOptions options{.tabWidth = 4, .averageCharWidth = W};

  RowLayout exact = Layout(u"MM\tb", measure, options);
  EXPECT_EQ(exact.Left(2), 4 * W);
  EXPECT_EQ(exact.Right(2), 4 * W) << "text ending on the stop gives an empty tab cell";

  RowLayout pushed = Layout(u"MMM\tb", measure, options);
  EXPECT_EQ(pushed.Left(4), 8 * W);
  // The counter was pushed along too: the next tab goes to column 12.
  RowLayout twoTabs = Layout(u"MMM\t\tb", measure, options);
  EXPECT_EQ(twoTabs.Left(5), 12 * W);
}

TEST(RowLayout, LineEndPairIsOneCellOwnedByTheCarriageReturn) {
  FixedMeasure measure(W);
  RowLayout pair = Layout(u"ab\r\n", measure, {.averageCharWidth = W});
  ASSERT_EQ(pair.Size(), 4);
  EXPECT_EQ(pair.kinds[2], CellKind::kLineEnd);
  EXPECT_EQ(pair.kinds[3], CellKind::kLineEndTail);
  EXPECT_EQ(pair.Left(2), 2 * W);
  EXPECT_EQ(pair.Right(2), 3 * W);
  EXPECT_EQ(pair.Left(3), pair.Right(3)) << "the LF of the pair has no width";
  EXPECT_EQ(pair.End(), 3 * W);

  RowLayout lone = Layout(u"a\n", measure, {.averageCharWidth = W});
  EXPECT_EQ(lone.kinds[1], CellKind::kLineEnd);
  EXPECT_EQ(lone.End(), 2 * W);
  // A lone CR followed by text is a mark of its own, and the text goes on after it.
  RowLayout crText = Layout(u"\rx", measure, {.averageCharWidth = W});
  EXPECT_EQ(crText.kinds[0], CellKind::kLineEnd);
  EXPECT_EQ(crText.Left(1), W);
}

TEST(RowLayout, ControlCharactersAreAsWideAsTheirLetter) {
  FixedMeasure measure(W);
  measure.widths[u'A'] = 11;
  measure.widths[u'@'] = 13;
  RowLayout layout = Layout(std::u16string(u"\u0001\u0000x", 3), measure, {.averageCharWidth = W});
  EXPECT_EQ(layout.kinds[0], CellKind::kControl);
  EXPECT_EQ(layout.kinds[1], CellKind::kControl);
  EXPECT_EQ(layout.Left(1), 11);
  EXPECT_EQ(layout.Left(2), 24);
}

TEST(RowLayout, SpaceMarksUseWholeColumnsOnlyWhenSwitchedOn) {
  FixedMeasure measure(W);
  measure.widths[u' '] = 3;
  RowLayout plain = Layout(u"a b\u3000c", measure, {.averageCharWidth = W});
  EXPECT_EQ(plain.kinds[1], CellKind::kText);
  EXPECT_EQ(plain.Left(2), W + 3);
  EXPECT_EQ(plain.Left(4), W + 3 + W + 2 * W);

  RowLayout marked = Layout(u"a b\u3000c", measure,
                            {.averageCharWidth = W, .spaceMarks = true, .fullSpaceMarks = true});
  EXPECT_EQ(marked.kinds[1], CellKind::kSpaceMark);
  EXPECT_EQ(marked.kinds[3], CellKind::kFullSpaceMark);
  EXPECT_EQ(marked.Left(2), 2 * W);
  EXPECT_EQ(marked.Right(3) - marked.Left(3), 2 * W);
}

TEST(RowLayout, OrdinaryRunsAreMeasuredOncePerRun) {
  FixedMeasure measure(W);
  Layout(u"abc\tdef\r\n", measure, {.averageCharWidth = W});
  EXPECT_EQ(measure.calls, 2) << "one measurement per run between marks";
}

TEST(RowLayout, HitTestingFindsCellsByTheirEdges) {
  FixedMeasure measure(W);
  RowLayout layout = Layout(u"ab\t\r\n", measure, {.tabWidth = 4, .averageCharWidth = W});
  // Cells: a [0,8] b [8,16] tab [16,32] CR [32,40] LF [40,40].
  EXPECT_EQ(layout.UnitAtOrAfter(-20), 0) << "the margin gives the first unit";
  EXPECT_EQ(layout.UnitAtOrAfter(8), 0);
  EXPECT_EQ(layout.UnitAtOrAfter(9), 1);
  EXPECT_EQ(layout.UnitAtOrAfter(31), 2);
  EXPECT_EQ(layout.UnitAtOrAfter(40), 3) << "the CR owns the pair's cell";
  EXPECT_EQ(layout.UnitAtOrAfter(41), 5) << "past the row: the next line's start";

  EXPECT_EQ(layout.UnitContaining(-1), -1);
  EXPECT_EQ(layout.UnitContaining(20), 2) << "a tab's cell reaches to its stop";
  EXPECT_EQ(layout.UnitContaining(41), -1);

  RowLayout empty = Layout(u"", measure, {.averageCharWidth = W});
  EXPECT_EQ(empty.UnitAtOrAfter(0), 0);
  EXPECT_EQ(empty.UnitContaining(0), -1);
}

// A surrogate pair is one full-width cell, measured as one and owned by its first unit:
// a run's measurement would take its units one by one.
TEST(RowLayout, SurrogatePairIsOneCellMeasuredAsOne) {
  FixedMeasure measure(W);
  measure.characterWidth = 13;
  const RowLayoutOptions options{.tabWidth = 4, .averageCharWidth = W};
  RowLayout layout = Layout(u"a\U00020BB7b\U00020BB7\tc", measure, options);
  const std::vector<CellKind> kinds = {
      CellKind::kText,      CellKind::kCharacter,     CellKind::kCharacterTail, CellKind::kText,
      CellKind::kCharacter, CellKind::kCharacterTail, CellKind::kTab,           CellKind::kText};
  EXPECT_EQ(layout.kinds, kinds);
  EXPECT_EQ(layout.x, (std::vector<int32_t>{0, W, W + 13, W + 13, 2 * W + 13, 2 * W + 26,
                                            2 * W + 26, 8 * W, 9 * W}))
      << "a 1, pair 2, b 1, pair 2 columns: the tab stops at column 8";
  EXPECT_EQ(measure.characterCalls, 2);
  EXPECT_EQ(measure.calls, 3) << "one measurement per run between pairs and marks";
  EXPECT_EQ(layout.UnitAtOrAfter(W + 13), 1) << "the pair's right edge";
  EXPECT_EQ(layout.UnitAtOrAfter(W + 14), 3);
  EXPECT_EQ(layout.UnitContaining(W + 5), 1);

  RowLayout tab = Layout(u"\U00020BB7\tc", measure, options);
  EXPECT_EQ(tab.Left(3), 4 * W) << "the pair is two columns: the tab goes on to column 4";

  // Lone surrogates are ordinary units of the run, as wide as the font has them.
  RowLayout lone = Layout(
      u"\xDFB7"
      u"a\xD842",
      measure, options);
  EXPECT_EQ(lone.kinds, std::vector<CellKind>(3, CellKind::kText));
  EXPECT_EQ(lone.End(), 2 * W + W + 2 * W);
}

}  // namespace
}  // namespace vemora
