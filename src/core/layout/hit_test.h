// From view pixels to text positions and back, on the row layout alone: which unit a
// point hits, which cells a selection covers in a row, and the cell under the mouse.
#pragma once

#include <cstdint>

#include "core/layout/row_layout.h"
#include "core/text/document.h"

namespace vemora {

// The view's text never enters this many pixels at its left edge (at 96 dpi).
inline constexpr int32_t kTextMargin = 8;

// Where the document sits in the view.
struct ViewGeometry {
  int32_t TopLine = 0;
  int32_t LeftColumn = 0;
  int32_t AverageCharWidth = 1;
  int32_t LinePitch = 1;
  int32_t Margin = kTextMargin;  // the left margin in pixels at the view's dpi

  // The display line of a client y (y >= 0).
  int32_t LineAt(int32_t y) const { return TopLine + y / (LinePitch > 0 ? LinePitch : 1); }
  // A client x as a distance from the row's text start.
  int32_t TargetAt(int32_t x) const { return LeftColumn * AverageCharWidth + x - Margin; }
  // A distance from the row's text start as a client x, kept out of the margin.
  int32_t ClientX(int32_t rowX) const {
    const int32_t x = rowX - LeftColumn * AverageCharWidth + Margin;
    return x < Margin ? Margin : x;
  }
};

// Lays out display line `line`; false when the document has no such line.
bool LayOutDisplayLine(const Document& document, int32_t line, const RowLayoutOptions& options,
                       RowMeasure& measure, int64_t& start, RowLayout& layout);

// The text position under a client point: the first unit of the line whose cell reaches
// the point, the start of the next line right of the last cell, the end of the text below
// the last line. A point on a character of several units gives the character's start.
int64_t HitTest(const Document& document, const ViewGeometry& view, const RowLayoutOptions& options,
                RowMeasure& measure, int32_t x, int32_t y);

// The part of a row laid out in `layout` (starting at text position `lineStart`) that the
// range [low, high) covers, as distances from the row's text start; false when the range
// has no unit in the row.
bool RowInversion(const RowLayout& layout, int64_t lineStart, int64_t low, int64_t high,
                  int32_t& left, int32_t& right);

// The unit whose cell contains the client point, with its cell; kNoPosition when the
// point is left of the first cell, right of the last or below the last line.
struct MouseCellHit {
  int64_t position = kNoPosition;
  int32_t left = 0;  // distances from the row's text start
  int32_t right = 0;
};
MouseCellHit CellAtPoint(const Document& document, const ViewGeometry& view,
                         const RowLayoutOptions& options, RowMeasure& measure, int32_t x,
                         int32_t y);

}  // namespace vemora
