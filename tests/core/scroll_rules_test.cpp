// Scrolling guards, move plans, smooth steps, scroll-bar values and the gutter width.
#include "core/shell/scroll_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace vemora {
namespace {

ScrollPosition View(int32_t top, int32_t count, int32_t rows = 10) {
  ScrollPosition p;
  p.topLine = top;
  p.displayLineCount = count;
  p.visibleRows = rows;
  p.visibleColumns = 20;
  p.textColumns = 19;
  p.fold = 80;
  p.tab = 4;
  return p;
}

TEST(ScrollRules, VerticalCommandsStopAtTheirBounds) {
  // 100 lines, 10 rows: MaxTop 91 puts the last line in the second-to-last row.
  EXPECT_EQ(MaxTopLine(View(0, 100)), 91);
  ScrollMove page = ScrollCommandMove(ScrollRequest::kPageDown, View(0, 100));
  EXPECT_EQ(page.axis, ScrollAxis::kVertical);
  EXPECT_EQ(page.target, 8) << "a page is VisibleRows - 2 lines";
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kPageDown, View(88, 100)).target, 91);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kPageDown, View(91, 100)).axis, ScrollAxis::kNone);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kPageUp, View(3, 100)).target, 0);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kLineUp, View(0, 100)).axis, ScrollAxis::kNone);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kLinesForward, View(10, 100), 3).target, 13);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kLinesBack, View(2, 100), 3).target, 0);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kBottom, View(0, 100)).target, 91);
  // A document shorter than the view: MaxTop is not positive, the end does nothing.
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kBottom, View(0, 5)).axis, ScrollAxis::kNone);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kLineDown, View(0, 5)).axis, ScrollAxis::kNone);
}

TEST(ScrollRules, HorizontalCommandsMoveByTabWidthWithinFold) {
  ScrollPosition p = View(0, 100);
  EXPECT_EQ(MaxLeftColumn(p), 61);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kTabRight, p).target, 4);
  p.leftColumn = 60;
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kTabRight, p).target, 61);
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kCharRight, p).axis, ScrollAxis::kHorizontal);
  p.leftColumn = 61;
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kCharRight, p).axis, ScrollAxis::kNone);
  p.leftColumn = 2;
  EXPECT_EQ(ScrollCommandMove(ScrollRequest::kTabLeft, p).target, 0);
}

TEST(ScrollRules, LineMovesRepaintOnlyForAWholeViewOrWhenForced) {
  ScrollPosition p = View(20, 100);
  EXPECT_EQ(PlanLineMove(30, false, p, 0, 0).kind, LineMoveKind::kRepaint);
  EXPECT_EQ(PlanLineMove(21, true, p, 0, 0).kind, LineMoveKind::kRepaint);
  EXPECT_EQ(PlanLineMove(29, false, p, 0, 0).kind, LineMoveKind::kPixels);
  EXPECT_EQ(PlanLineMove(20, false, p, 0, 0).kind, LineMoveKind::kNone);
  // Smooth lines animate moves of 1 to 3 lines only.
  EXPECT_TRUE(PlanLineMove(23, false, p, 0, 1).smooth);
  EXPECT_FALSE(PlanLineMove(24, false, p, 0, 1).smooth);
  // Smooth pages step line by line for moves of more than 3 lines.
  EXPECT_EQ(PlanLineMove(24, false, p, 1, 0).kind, LineMoveKind::kStepwise);
  EXPECT_EQ(PlanLineMove(17, false, p, 1, 1).kind, LineMoveKind::kPixels);
  // Nothing moves up from the top.
  EXPECT_EQ(PlanLineMove(-1, false, View(0, 100), 0, 0).kind, LineMoveKind::kNone);
}

TEST(ScrollRules, ColumnMovesStopAtTheEdges) {
  ScrollPosition p = View(0, 100);
  EXPECT_EQ(PlanColumnMove(25, p), ColumnMoveKind::kRepaint);
  EXPECT_EQ(PlanColumnMove(1, p), ColumnMoveKind::kPixels);
  EXPECT_EQ(PlanColumnMove(-1, p), ColumnMoveKind::kNone);
  p.leftColumn = 79;
  EXPECT_EQ(PlanColumnMove(80, p), ColumnMoveKind::kNone);
}

TEST(ScrollRules, SmoothStepsCoverTheWholeDistance) {
  EXPECT_EQ(SmoothScrollSteps(-3, 20, 30), std::vector<int32_t>(30, -2));
  EXPECT_EQ(SmoothScrollSteps(1, 17, 1), std::vector<int32_t>{17});
  std::vector<int32_t> odd = SmoothScrollSteps(2, 7, 15);
  EXPECT_EQ(std::accumulate(odd.begin(), odd.end(), 0), 14);
  for (int32_t step : odd) EXPECT_GT(step, 0);
  EXPECT_EQ(SmoothScrollSteps(1, 10, 0), std::vector<int32_t>{10}) << "SmRare 0 is taken as 1";
}

TEST(ScrollRules, ScrollBarsFitSixteenBits) {
  ScrollPosition p = View(2000, 100000, 30);
  ScrollBarValues vertical = VerticalScrollBar(p, 2);
  EXPECT_EQ(vertical.maximum, 50000);
  EXPECT_EQ(vertical.page, 15);
  EXPECT_EQ(vertical.position, 1000);
  EXPECT_EQ(VerticalThumbTarget(300, 2, 100000), 600);
  EXPECT_EQ(VerticalThumbTarget(50000, 2, 100000), 99999);

  ScrollBarValues edge = HorizontalScrollBar(p, true);
  EXPECT_EQ(edge.maximum, 0);
  ScrollBarValues column = HorizontalScrollBar(p, false);
  EXPECT_EQ(column.maximum, 80);
  EXPECT_EQ(column.page, 20);
  EXPECT_EQ(column.maximum - column.page + 1, MaxLeftColumn(p));
  EXPECT_EQ(HorizontalThumbTarget(90, 80), 79);
}

TEST(ScrollRules, GutterHoldsTheDigitsOfTheLineCount) {
  EXPECT_EQ(ComputeGutterWidth(9, 12345, false, true), 9 * 5 + 16);
  EXPECT_EQ(ComputeGutterWidth(9, 50, false, true), 9 * 4 + 16);
  EXPECT_EQ(ComputeGutterWidth(9, 50, true, true), 9 * 5 + 16);
  EXPECT_EQ(ComputeGutterWidth(9, 0, false, false), 9 * 4 + 16);
  EXPECT_EQ(ComputeGutterWidth(7, 1000000, false, true), 7 * 7 + 16);
  // At the window edge five digits are the least, not the most.
  EXPECT_EQ(ComputeGutterWidth(7, 1000000, true, true), 7 * 7 + 16);
  EXPECT_EQ(ComputeGutterWidth(7, 99999, true, true), 7 * 5 + 16);
  EXPECT_EQ(ComputeGutterWidth(7, 100000, true, true), 7 * 6 + 16);
  EXPECT_EQ(ComputeGutterWidth(7, 1000000, true, false), 7 * 5 + 16);
}

// The last of Fold columns must be wholly visible at the largest left column, and the
// margin holds no text; the scroll bar's thumb ends there and has no room exactly when
// all columns fit.
TEST(ScrollRules, LargestLeftColumnShowsTheLastColumnWhole) {
  struct Case {
    int32_t clientWidth, averageWidth, fold;
    int32_t textColumns, maxLeft;
  };
  const Case cases[] = {
      {808, 8, 200, 100, 100},  // 8 + 100 × 8: exactly one hundred columns
      {807, 8, 200, 99, 101},   // the hundredth column would be cut off
      {805, 8, 80, 99, -19},   {808, 8, 100, 100, 0},
      {7, 8, 80, 0, 80},      // narrower than the margin
      {100, 0, 80, 92, -12},  // a zero width is taken as 1
      {56, 16, 10, 3, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clientWidth);
    ScrollPosition p = View(0, 100);
    p.fold = c.fold;
    p.textColumns = TextColumns(c.clientWidth, 8, c.averageWidth);
    EXPECT_EQ(p.textColumns, c.textColumns);
    EXPECT_EQ(MaxLeftColumn(p), c.maxLeft);
    const ScrollBarValues bar = HorizontalScrollBar(p, false);
    if (c.maxLeft > 0) {
      EXPECT_EQ(bar.maximum - bar.page + 1, c.maxLeft);
      // At the largest left column the text ends within the view (when any column fits).
      if (c.textColumns > 0) {
        EXPECT_LE(8 + (c.fold - c.maxLeft) * std::max(c.averageWidth, 1), c.clientWidth);
      }
    } else {
      EXPECT_GT(bar.page, bar.maximum) << "a bar with nothing to scroll is disabled";
    }
  }
}

TEST(ScrollRules, LeftColumnIsClampedToTheLargestLeftColumn) {
  ScrollPosition p = View(0, 100);  // MaxLeft 61
  for (const auto& [left, clamped] :
       std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {30, 30}, {61, 61}, {75, 61}, {-3, 0}}) {
    p.leftColumn = left;
    EXPECT_EQ(ClampedLeftColumn(p), clamped) << left;
  }
  p.leftColumn = 40;
  p.textColumns = 90;  // the view grew past Fold: everything fits
  EXPECT_EQ(ClampedLeftColumn(p), 0);
}

TEST(ScrollRules, VisibleCountIncludesPartlyVisibleRows) {
  EXPECT_EQ(VisibleCount(100, 20), 5);
  EXPECT_EQ(VisibleCount(101, 20), 6);
  EXPECT_EQ(VisibleCount(0, 20), 0);
  EXPECT_EQ(VisibleCount(10, 0), 10) << "a zero pitch is taken as 1";
}

}  // namespace
}  // namespace vemora
