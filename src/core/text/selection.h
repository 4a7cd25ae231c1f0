// Selection rules that need no window: word classes for the double-click, the bounds of a
// logical line, the ordered range of a selection and the search text taken from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

enum class CharacterClass : uint8_t {
  kBlank,                  // tab, space, ideographic space
  kControl,                // every other unit below U+0020
  kAlphanumeric,           // ASCII digits and letters
  kHalfWidthKatakana,      // U+FF66-U+FF9F
  kHiragana,               // U+3041-U+3093
  kKatakana,               // U+30A1-U+30F6
  kProlongedSoundMark,     // U+30FC, which joins a kana word
  kFullWidthAlphanumeric,  // full-width digits and letters
  kOther,                  // kanji, punctuation (ASCII "_" and "-" too) and the rest
};

CharacterClass CharClass(char16_t unit);

// A half-open range of text positions.
struct TextRange {
  int64_t start = 0;
  int64_t end = 0;
  friend bool operator==(const TextRange&, const TextRange&) = default;
};

// The logical line around `position`, without its line-end units. A position on a CR or
// LF is the boundary in front of the next logical line; the end of the text belongs to
// the last line.
TextRange LogicalLineBounds(std::u16string_view text, int64_t position);

// The word a double-click at `position` selects: the run of characters of the clicked
// character's class within its logical line, a prolonged sound mark counting as kana next
// to kana. A character of several units is taken whole, of the class of its first unit.
TextRange WordBounds(std::u16string_view text, int64_t position);

// The selection as an ordered range; false when there is none.
bool SelectionRange(const Document& document, TextRange& range);
void ClearSelection(Document& document);
// Keeps the selection only while both ends lie inside the text; answers whether it stays.
bool KeepSelectionIfValid(Document& document);

// At most `capacity` units of the range, as the find dialog is handed them; a character
// cut by the limit is left out whole.
std::u16string SearchTextFromRange(std::u16string_view text, TextRange range, int32_t capacity);

// True when `position` lies between the two units of a surrogate pair.
bool SplitsSurrogatePair(std::u16string_view text, int64_t position);

}  // namespace vemora
