// Line-table lookups for painting, the gutter and the status bar.
#include "win/view/view_lines.h"

#include <algorithm>

#include "core/layout/layout.h"
#include "core/search/filtered_view.h"
#include "win/shell/load_steps.h"

namespace vemora {

bool DisplayLineSpan(const Document& document, int32_t line, LineSpan& span) {
  if (line < 0 || line >= document.displayLineCount) return false;
  span.start = LineStart(document, line);
  span.end = span.start + LineLength(document, line);
  return true;
}

int32_t ShownLineNumber(const Document& document, int32_t line, int32_t lineType) {
  if (line < 0 || line >= document.displayLineCount) return 0;
  if (document.filter) return FileLineOf(document, line) + 1;
  return (lineType == 1 ? LogicalLineOf(document, line) : line) + 1;
}

int32_t LargestShownLineNumber(const Document& document) {
  if (document.filter) {
    const Document* whole = document.filter->whole.get();
    return std::max(LastShownFileLineNumber(document), whole ? LargestShownLineNumber(*whole) : 0);
  }
  // While a load runs, the gutter is sized for the lines the whole file is likely to have,
  // so that a digit gained late does not move the view (and lay the text out again).
  return std::max(document.displayLineCount, EstimatedLineCount());
}

}  // namespace vemora
