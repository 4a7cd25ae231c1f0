// The search engine: one pass over the whole document collects every hit, plain or by
// regular expression; stepping between hits never searches again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

// What the find dialog hands to the search: up to 80 units of text and the two switches.
struct FindRequest {
  static constexpr int32_t kTextCapacity = 80;
  std::u16string text;
  int32_t Caps = 0;  // 1 compare case-sensitively, 0 fold ASCII letters
  int32_t Regx = 0;  // 1 regular expression; any other value searches plainly
};

struct SearchOutcome {
  int32_t line = -1;        // display line of the hit to show, or -1
  std::u16string errorText;  // the regular-expression library's message, for a message box
};

// Replaces the document's hits by every hit of `text` and answers the display line of the
// first hit after `startLine` (forward) or before it (backward), as FindNextHit and
// FindPreviousHit do. The text ends at its first NUL, as the dialog's text does.
SearchOutcome SearchDocument(Document& document, int32_t startLine, std::u16string_view text,
                             int32_t Caps, int32_t Regx, bool backward);

// The display line of the first hit from display line `line` + 1 on, or -1.
int32_t FindNextHit(const Document& document, int32_t line);
// The display line of the last hit before display line `line`, or -1.
int32_t FindPreviousHit(const Document& document, int32_t line);

void ClearHits(Document& document);

}  // namespace vemora
