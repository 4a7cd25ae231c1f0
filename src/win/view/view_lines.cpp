// Line-table lookups for painting, the gutter and the status bar.
#include "win/view/view_lines.h"

#include "core/layout/layout.h"

namespace vemora {

bool DisplayLineSpan(const Document& document, int32_t line, LineSpan& span) {
  if (line < 0 || line >= document.displayLineCount) return false;
  span.start = LineStart(document, line);
  span.end = span.start + LineLength(document, line);
  return true;
}

int32_t ShownLineNumber(const Document& document, int32_t line, int32_t lineType) {
  if (line < 0 || line >= document.displayLineCount) return 0;
  return (lineType == 1 ? LogicalLineOf(document, line) : line) + 1;
}

}  // namespace vemora
