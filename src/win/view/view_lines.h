// Display lines of the current document as the view needs them: where a line starts and
// ends, and the number shown for it under the numbering rule of the file type.
#pragma once

#include <cstdint>

#include "core/text/document.h"

namespace vemora {

struct LineSpan {
  int64_t start = 0;
  int64_t end = 0;  // start of the next display line (or the end mark)
};

// False when the document has no display line `line`.
bool DisplayLineSpan(const Document& document, int32_t line, LineSpan& span);

// The line number shown for display line `line`: its index + 1, or with `lineType` 1 its
// logical line number + 1; 0 when the line does not exist.
// A filtered view shows the file's logical line number + 1 under either rule.
int32_t ShownLineNumber(const Document& document, int32_t line, int32_t lineType);
// The largest number ShownLineNumber gives for the document, for the gutter's width. A
// filtered view keeps the whole document's gutter, so that filtering moves no text.
int32_t LargestShownLineNumber(const Document& document);

}  // namespace vemora
