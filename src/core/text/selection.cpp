// Word classes, logical-line bounds and the selection's range. Positions at the end of the
// text read as an ordinary unit there, so a click past the last line selects nothing odd.
#include "core/text/selection.h"

#include <algorithm>

#include "core/text/character_boundary.h"

namespace vemora {
namespace {

bool IsLineEnd(char16_t unit) {
  return unit == u'\r' || unit == u'\n';
}

// The class of the character at `position` is that of its first unit; past the text it is
// that of a terminator.
CharacterClass ClassAt(std::u16string_view text, int64_t position) {
  if (position < 0 || position >= static_cast<int64_t>(text.size())) return CharClass(0);
  return CharClass(text[position]);
}

// A prolonged sound mark belongs to the kana word it stands in.
bool SameWordClass(CharacterClass unit, CharacterClass word) {
  if (unit == word) return true;
  return unit == CharacterClass::kProlongedSoundMark &&
         (word == CharacterClass::kHiragana || word == CharacterClass::kKatakana);
}

}  // namespace

CharacterClass CharClass(char16_t unit) {
  if (unit == u'\t' || unit == u' ' || unit == u'\u3000') return CharacterClass::kBlank;
  if (unit < 0x20) return CharacterClass::kControl;
  if ((unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z') ||
      (unit >= u'a' && unit <= u'z'))
    return CharacterClass::kAlphanumeric;
  if (unit >= 0xFF66 && unit <= 0xFF9F) return CharacterClass::kHalfWidthKatakana;
  if (unit >= 0x3041 && unit <= 0x3093) return CharacterClass::kHiragana;
  if (unit >= 0x30A1 && unit <= 0x30F6) return CharacterClass::kKatakana;
  if (unit == 0x30FC) return CharacterClass::kProlongedSoundMark;
  if ((unit >= 0xFF10 && unit <= 0xFF19) || (unit >= 0xFF21 && unit <= 0xFF3A) ||
      (unit >= 0xFF41 && unit <= 0xFF5A))
    return CharacterClass::kFullWidthAlphanumeric;
  return CharacterClass::kOther;
}

TextRange LogicalLineBounds(std::u16string_view text, int64_t position) {
  const int64_t length = static_cast<int64_t>(text.size());
  position = std::clamp<int64_t>(position, 0, length);
  int64_t start = position;
  while (start >= 0 && !(start < length && IsLineEnd(text[start]))) --start;
  ++start;
  int64_t end = start;
  while (end < length && !IsLineEnd(text[end])) ++end;
  return {start, end};
}

TextRange WordBounds(std::u16string_view text, int64_t position) {
  position =
      CharacterStart(text, std::clamp<int64_t>(position, 0, static_cast<int64_t>(text.size())));
  const TextRange line = LogicalLineBounds(text, position);
  const CharacterClass word = ClassAt(text, position);
  // Whole characters only: a line end never falls inside one, so neither does a bound.
  int64_t start = line.start;
  for (int64_t q = line.start; q < position;) {
    const int64_t next = NextCharacter(text, q).end;
    if (!SameWordClass(CharClass(text[q]), word)) start = next;
    q = next;
  }
  int64_t end = std::max(position, line.start);
  while (end < line.end && SameWordClass(CharClass(text[end]), word))
    end = NextCharacter(text, end).end;
  return {start, std::max(end, start)};
}

bool SelectionRange(const Document& document, TextRange& range) {
  if (document.SelectionAnchor == kNoPosition || document.SelectionEnd == kNoPosition) return false;
  range.start = std::min(document.SelectionAnchor, document.SelectionEnd);
  range.end = std::max(document.SelectionAnchor, document.SelectionEnd);
  return true;
}

void ClearSelection(Document& document) {
  document.SelectionAnchor = kNoPosition;
  document.SelectionEnd = kNoPosition;
}

bool KeepSelectionIfValid(Document& document) {
  auto inside = [&](int64_t position) { return position >= 0 && position <= document.textLength; };
  if (inside(document.SelectionAnchor) && inside(document.SelectionEnd)) return true;
  ClearSelection(document);
  document.MouseSelecting = 0;
  return false;
}

std::u16string SearchTextFromRange(std::u16string_view text, TextRange range, int32_t capacity) {
  const int64_t length = static_cast<int64_t>(text.size());
  const int64_t start = std::clamp<int64_t>(range.start, 0, length);
  const int64_t end = std::clamp(range.end, start, length);
  int64_t count = std::min<int64_t>(end - start, std::max(capacity, 0));
  if (count > 0 && count < end - start) count = CharacterStart(text, start + count) - start;
  return std::u16string(text.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

bool SplitsSurrogatePair(std::u16string_view text, int64_t position) {
  if (position <= 0 || position >= static_cast<int64_t>(text.size())) return false;
  return IsHighSurrogate(text[position - 1]) && IsLowSurrogate(text[position]);
}

}  // namespace vemora
