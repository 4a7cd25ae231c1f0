// Points of the view mapped to text positions on the row layout: tabs, full-width
// characters, CR LF as one cell, the margin, horizontal scrolling and past the end; the
// cells a selection inverts in a row, and the cell under the mouse.
#include "core/layout/hit_test.h"

#include <gtest/gtest.h>

#include "core/layout/layout.h"
#include "test_documents.h"

namespace vemora {
namespace {

constexpr int32_t W = 8;        // pixels per column and per narrow unit
constexpr int32_t kPitch = 20;  // pixels per row

// Narrow units W wide, the others and surrogate pairs 2 W.
class ColumnMeasure final : public RowMeasure, public TextMeasure {
 public:
  void MeasurePrefixes(std::u16string_view text, int32_t* ends) override {
    int32_t x = 0;
    for (size_t i = 0; i < text.size(); ++i) ends[i] = x += UnitWidth(text[i]);
  }
  int32_t UnitWidth(char16_t unit) override { return W * ColumnRuleMeasure::Columns(unit); }
  int32_t CharacterWidth(std::u16string_view character) override {
    return W * CharacterColumns(character);
  }
};

class HitTesting : public ::testing::Test {
 protected:
  void Lay(std::u16string_view text, int32_t fold = 80) {
    document_ = testing::MakeDocument(text);
    LayoutDocument(document_, LayoutParameters{4, fold, 0, W, 0}, measure_);
  }
  int64_t Hit(int32_t x, int32_t row) {
    return HitTest(document_, view_, options_, measure_, x, row * kPitch + kPitch / 2);
  }
  // Client x of column c.
  static int32_t Column(int32_t c) { return kTextMargin + c * W; }

  Document document_;
  ColumnMeasure measure_;
  ViewGeometry view_{0, 0, W, kPitch};
  RowLayoutOptions options_{.tabWidth = 4, .averageCharWidth = W};
};

TEST_F(HitTesting, PointsMapToTheFirstCellReachingThem) {
  Lay(u"a\tb日\r\nxyz");
  struct Case {
    int32_t x, row, expected;
    const char* why;
  };
  const Case cases[] = {
      {0, 0, 0, "the margin gives the line's first unit"},
      {Column(0) + 3, 0, 0, "inside the first cell"},
      {Column(1), 0, 0, "a right edge still belongs to its cell"},
      {Column(1) + 1, 0, 1, "the tab reaches to its stop at column 4"},
      {Column(4), 0, 1, ""},
      {Column(4) + 1, 0, 2, "b"},
      {Column(6), 0, 3, "the full-width character is two columns wide"},
      {Column(7) + 1, 0, 4, "the CR LF pair is one cell, owned by the CR"},
      {Column(30), 0, 6, "right of the last cell: the start of the next line"},
      {Column(1) + 1, 1, 7, "second row"},
      {Column(30), 1, 9, "the last line ends at the end of the text"},
      {Column(0), 2, 9, "below the last line: the end of the text"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hit(c.x, c.row), c.expected) << c.x << " " << c.why;
}

TEST_F(HitTesting, APointNeverFallsBetweenTheHalvesOfASurrogatePair) {
  // A pair is one full-width cell of two columns, owned by its first unit.
  Lay(u"a\U0002000Bb\U0001F600\n\U0002000B");
  struct Case {
    int32_t x, row, expected;
    const char* why;
  };
  const Case cases[] = {
      {Column(1) + 3, 0, 1, "the left half of a pair's cell"},
      {Column(3), 0, 1, "the pair's right edge still belongs to it"},
      {Column(3) + 1, 0, 3, "the unit after the pair, two columns on"},
      {Column(5), 0, 4, "the second pair"},
      {Column(6) + 1, 0, 6, "the line end after it"},
      {Column(1), 1, 7, "a pair that starts a line"},
      {Column(30), 1, 9, "past the last pair: the end of the text"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hit(c.x, c.row), c.expected) << c.x << " " << c.why;
  const MouseCellHit pair = CellAtPoint(document_, view_, options_, measure_, Column(2), 5);
  EXPECT_EQ(pair.position, 1);
  EXPECT_EQ(pair.right - pair.left, 2 * W) << "the mouse cell covers the whole pair";
}

TEST_F(HitTesting, ScrolledViewsAddTheHiddenColumnsAndLines) {
  Lay(u"0123456789\n0123456789\nabcdefghij", 80);
  view_.LeftColumn = 3;
  view_.TopLine = 2;
  EXPECT_EQ(Hit(Column(0) + 1, 0), 22 + 3);
  EXPECT_EQ(Hit(0, 0), 22 + 1) << "the margin covers the column left of the first";
  EXPECT_EQ(view_.ClientX(0), kTextMargin) << "cells left of the view stop at the margin";
  EXPECT_EQ(view_.ClientX(5 * W), kTextMargin + 2 * W);
}

TEST_F(HitTesting, RowInversionCoversTheRangeCellByCell) {
  Lay(u"ab\tc\r\nnext");
  int64_t start = 0;
  RowLayout layout;
  ASSERT_TRUE(LayOutDisplayLine(document_, 0, options_, measure_, start, layout));
  struct Case {
    int32_t low, high;
    bool covered;
    int32_t left, right;
    const char* why;
  };
  const Case cases[] = {
      {1, 3, true, W, 4 * W, "b and the tab up to its stop"},
      {3, 5, true, 4 * W, 6 * W, "high between CR and LF: the CR cell whole"},
      {4, 7, true, 5 * W, 6 * W, "high past the row: the row's right end"},
      {0, 0, false, 0, 0, "empty range"},
      {6, 9, false, 0, 0, "a range in the next line"},
      {-5, 1, true, 0, W, "low before the row"},
  };
  for (const Case& c : cases) {
    int32_t left = -1, right = -1;
    EXPECT_EQ(RowInversion(layout, start, c.low, c.high, left, right), c.covered) << c.why;
    if (!c.covered) continue;
    EXPECT_EQ(left, c.left) << c.why;
    EXPECT_EQ(right, c.right) << c.why;
  }
}

TEST_F(HitTesting, MouseCellIsTheCellContainingThePoint) {
  Lay(u"a\tb\r\n");
  const MouseCellHit tab = CellAtPoint(document_, view_, options_, measure_, Column(3), 5);
  EXPECT_EQ(tab.position, 1);
  EXPECT_EQ(tab.left, W);
  EXPECT_EQ(tab.right, 4 * W) << "a tab's cell reaches to its stop";
  const MouseCellHit lineEnd = CellAtPoint(document_, view_, options_, measure_, Column(5) + 1, 5);
  EXPECT_EQ(lineEnd.position, 3);
  EXPECT_EQ(lineEnd.right - lineEnd.left, W);
  EXPECT_EQ(CellAtPoint(document_, view_, options_, measure_, 3, 5).position, kNoPosition)
      << "the margin";
  EXPECT_EQ(CellAtPoint(document_, view_, options_, measure_, Column(7), 5).position, kNoPosition)
      << "right of the last cell";
  EXPECT_EQ(CellAtPoint(document_, view_, options_, measure_, Column(0), kPitch).position,
            kNoPosition)
      << "below the last line";
}

}  // namespace
}  // namespace vemora
