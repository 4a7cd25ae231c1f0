// The search engine: one pass over the whole document collects every hit, plain or by
// regular expression; stepping between hits never searches again.
#pragma once

#include <atomic>
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
  int32_t line = -1;         // display line of the hit to show, or -1
  std::u16string errorText;  // the regular-expression library's message, for a message box
  int32_t failedLines = 0;   // lines the library gave up on; hits there may be missing
};

// Every hit of one search, gathered apart from any document, so that a worker thread can
// collect them over a text of its own while the document stays in use.
struct HitCollection {
  HitList hits;
  std::u16string errorText;
  int32_t failedLines = 0;
  bool cancelled = false;  // stopped at the cancel flag: the hits are incomplete
};

// The search text up to its first NUL, as the dialog's text ends there.
std::u16string_view SearchText(std::u16string_view text);

// Every hit of `pattern` in `text`; `cancel`, when given, is looked at often enough that a
// collection stops soon after it is set.
HitCollection CollectHits(std::u16string_view text, std::u16string_view pattern, int32_t Caps,
                          int32_t Regx, const std::atomic<bool>* cancel = nullptr);

// Makes a collection the document's hits (the hit pattern length being the search text's
// length) and answers the line to show, as SearchDocument does.
SearchOutcome ApplyHits(Document& document, HitCollection&& collection, int32_t patternLength,
                        int32_t startLine, bool backward);

// As ApplyHits, for a collection made over the first `searchedLength` units of a text that
// has grown since (a followed file, a filtered view that gains lines): the line that was
// last then may have been read again, so the text from its start on is searched with the
// document's stored find, which must be the collection's, before the line to show is chosen.
SearchOutcome ApplyHitsToGrownText(Document& document, HitCollection&& collection,
                                   int32_t patternLength, int64_t searchedLength, int32_t startLine,
                                   bool backward);

// The hits of the document's stored find in its text from `from` on, after the text there
// changed or grew (see SearchGrownText).
void SearchGrownTextWithStoredFind(Document& document, int64_t from);

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
