// Where one character of UTF-16 text ends and the next begins, and how many columns it
// takes. Line breaking, the row layout, hit testing, the selection and painting all step
// through text here, so that none of them ever cuts a character in two.
#pragma once

#include <cstdint>
#include <string_view>

namespace vemora {

constexpr bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool IsSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

// Columns of a character that is one unit: one below U+007F and for the half-width forms
// U+FF61 to U+FF9F, two for every other unit.
constexpr int32_t UnitColumns(char16_t unit) {
  return unit < 0x7F || (unit >= 0xFF61 && unit <= 0xFF9F) ? 1 : 2;
}

// A character of several units is full-width: two columns.
constexpr int32_t kManyUnitColumns = 2;

// Whether a character that starts with this unit may be longer than the unit. Loops that
// take one unit per character test this first and ask NextCharacter only when it holds.
constexpr bool MayStartLongerCharacter(char16_t unit) {
  return IsHighSurrogate(unit);
}

struct CharacterSpan {
  int64_t end = 0;      // the position after the character's last unit
  int32_t columns = 1;  // its width class: 1 narrow, 2 full-width
};

// The character that starts at `position` (before `end`) in text[0, end): the two units of
// a surrogate pair, else the one unit (a lone surrogate stands for itself).
constexpr CharacterSpan NextCharacter(const char16_t* text, int64_t end, int64_t position) {
  const char16_t unit = text[position];
  if (IsHighSurrogate(unit) && position + 1 < end && IsLowSurrogate(text[position + 1]))
    return {position + 2, kManyUnitColumns};
  return {position + 1, UnitColumns(unit)};
}
inline CharacterSpan NextCharacter(std::u16string_view text, int64_t position) {
  return NextCharacter(text.data(), static_cast<int64_t>(text.size()), position);
}

// The columns of one whole character, as NextCharacter counts them.
inline int32_t CharacterColumns(std::u16string_view character) {
  return character.empty() ? 0 : NextCharacter(character, 0).columns;
}

// Whether `position` lies inside a character (between the units of a surrogate pair).
inline bool InsideCharacter(std::u16string_view text, int64_t position) {
  return position > 0 && position < static_cast<int64_t>(text.size()) &&
         IsHighSurrogate(text[static_cast<size_t>(position) - 1]) &&
         IsLowSurrogate(text[static_cast<size_t>(position)]);
}

// The start of the character that holds `position`; `position` itself at a boundary.
inline int64_t CharacterStart(std::u16string_view text, int64_t position) {
  return InsideCharacter(text, position) ? position - 1 : position;
}

}  // namespace vemora
