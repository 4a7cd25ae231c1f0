// The arithmetic of moving the view: the bounds and guards of the scrolling commands,
// how a move is shown (repaint, pixel move, animation), the scroll-bar values and the
// gutter width. Pure functions over plain numbers, so every rule is testable alone.
#pragma once

#include <cstdint>
#include <vector>

namespace vemora {

struct ScrollPosition {
  int32_t topLine = 0;
  int32_t leftColumn = 0;
  int32_t displayLineCount = 0;
  int32_t visibleRows = 1;
  int32_t visibleColumns = 1;
  int32_t textColumns = 1;  // columns wholly visible right of the view's margin
  int32_t fold = 80;        // Fold of the file type in effect
  int32_t tab = 8;          // Tab of the file type in effect
};

// Rows or columns at least partly visible in `extent` pixels.
int32_t VisibleCount(int32_t extent, int32_t pitch);

// Columns that fit wholly in a view `clientWidth` pixels wide beside a `margin` that
// never holds text.
int32_t TextColumns(int32_t clientWidth, int32_t margin, int32_t averageCharWidth);

// At MaxTopLine the last display line sits in the second-to-last row.
int32_t MaxTopLine(const ScrollPosition& position);
// At MaxLeftColumn the last of Fold columns is wholly visible; 0 or less when all fit.
int32_t MaxLeftColumn(const ScrollPosition& position);
// The left column brought within 0 to MaxLeftColumn, for a view that grew or a Fold
// that shrank.
int32_t ClampedLeftColumn(const ScrollPosition& position);

enum class ScrollRequest {
  kLineDown,
  kLineUp,
  kPageDown,
  kPageUp,
  kFiveLinesDown,
  kFiveLinesUp,
  kLinesForward,
  kLinesBack,
  kTop,
  kBottom,
  kCharRight,
  kCharLeft,
  kTabRight,
  kTabLeft,
};

enum class ScrollAxis { kNone, kVertical, kHorizontal };
struct ScrollMove {
  ScrollAxis axis = ScrollAxis::kNone;  // kNone: the guard failed, nothing moves
  int32_t target = 0;                   // new top line or left column
};

// The move a scrolling command makes; `count` is N of kLinesForward and kLinesBack.
ScrollMove ScrollCommandMove(ScrollRequest request, const ScrollPosition& position,
                             int32_t count = 0);

// How a change of the top line is shown.
enum class LineMoveKind {
  kNone,      // nothing to move in that direction
  kRepaint,   // forced, or a whole view or more: invalidate everything
  kStepwise,  // page animation: one line at a time
  kPixels,    // one pixel move (possibly smooth)
};
struct LineMovePlan {
  LineMoveKind kind = LineMoveKind::kNone;
  bool smooth = false;
};
LineMovePlan PlanLineMove(int32_t newTop, bool force, const ScrollPosition& position,
                          int32_t smoothPage, int32_t smoothLine);

enum class ColumnMoveKind { kNone, kRepaint, kPixels };
ColumnMoveKind PlanColumnMove(int32_t newLeft, const ScrollPosition& position);

// The partial pixel moves of a smooth scroll of `lines` rows in `steps` steps: signed
// distances (negative moves the pixels up), summing to lines × pitch.
std::vector<int32_t> SmoothScrollSteps(int32_t lines, int32_t linePitch, int32_t steps);

struct ScrollBarValues {
  int32_t maximum = 0;
  int32_t page = 0;
  int32_t position = 0;
};
// Line numbers are divided by the scroll scale so the values fit in 16 bits.
ScrollBarValues VerticalScrollBar(const ScrollPosition& position, int32_t scrollScale);
// The thumb's last position is MaxLeftColumn, and the bar has no room to move exactly
// when all Fold columns fit.
ScrollBarValues HorizontalScrollBar(const ScrollPosition& position, bool foldRight);
int32_t VerticalThumbTarget(int32_t thumb, int32_t scrollScale, int32_t displayLineCount);
int32_t HorizontalThumbTarget(int32_t thumb, int32_t fold);

// Room for the widest digit times the digits of the line count: at least 4, and at least
// 5 when wrapping at the window edge, where the count changes with every resize, plus
// the padding (16 pixels at 96 dpi).
int32_t ComputeGutterWidth(int32_t widestDigit, int32_t displayLineCount, bool foldRight,
                           bool hasDocument, int32_t padding = 16);

}  // namespace vemora
