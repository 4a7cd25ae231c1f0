// Hit testing walks the same cells that painting draws; nothing here measures on its own.
#include "core/layout/hit_test.h"

#include "core/layout/layout.h"
#include "core/text/character_boundary.h"

namespace vemora {

bool LayOutDisplayLine(const Document& document, int32_t line, const RowLayoutOptions& options,
                       RowMeasure& measure, int64_t& start, RowLayout& layout) {
  if (line < 0 || line >= document.displayLineCount || document.lineTable.Empty()) return false;
  start = LineStart(document, line);
  BuildRowLayout(document.Text().substr(static_cast<size_t>(start),
                                        static_cast<size_t>(LineLength(document, line))),
                 options, measure, layout);
  return true;
}

int64_t HitTest(const Document& document, const ViewGeometry& view, const RowLayoutOptions& options,
                RowMeasure& measure, int32_t x, int32_t y) {
  int64_t start = 0;
  RowLayout layout;
  if (y < 0 || !LayOutDisplayLine(document, view.LineAt(y), options, measure, start, layout))
    return document.textLength;
  const int64_t position = start + layout.UnitAtOrAfter(view.TargetAt(x));
  // Half a character would end a selection or a copy with a lone surrogate. A row never
  // starts inside a character, and within a row the first unit of a character owns its
  // cell; this holds the rule for a table laid out otherwise.
  return CharacterStart(document.Text(), position);
}

bool RowInversion(const RowLayout& layout, int64_t lineStart, int64_t low, int64_t high,
                  int32_t& left, int32_t& right) {
  const int32_t size = layout.Size();
  int64_t first = low - lineStart;
  if (first < 0) first = 0;
  if (first >= size || lineStart + first >= high) return false;
  left = layout.Left(static_cast<int32_t>(first));
  const int64_t last = high - lineStart;
  right = last < size ? layout.Left(static_cast<int32_t>(last)) : layout.End();
  return true;
}

MouseCellHit CellAtPoint(const Document& document, const ViewGeometry& view,
                         const RowLayoutOptions& options, RowMeasure& measure, int32_t x,
                         int32_t y) {
  MouseCellHit hit;
  int64_t start = 0;
  RowLayout layout;
  if (y < 0 || !LayOutDisplayLine(document, view.LineAt(y), options, measure, start, layout))
    return hit;
  const int32_t unit = layout.UnitContaining(view.TargetAt(x));
  if (unit < 0) return hit;
  hit.position = start + unit;
  hit.left = layout.Left(unit);
  hit.right = layout.Right(unit);
  return hit;
}

}  // namespace vemora
