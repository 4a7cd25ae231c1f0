// What a character is: its code point, the bytes it has in the document's encoding and its
// JIS X 0208 row and cell, one line per character of the selection.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

inline constexpr int32_t kCharacterInfoLimit = 256;

// The bytes of one character (one UTF-16 unit, or a surrogate pair) in the encoding as this
// viewer decodes it: JIS as the two bytes of its set without escapes (a half-width
// katakana as its byte in the katakana set), EUC-JP with SS2 before half-width katakana,
// UTF-7 as the character alone. -1 (no encoding) gives UTF-16 little endian. Nothing when
// the encoding has no form for the character.
std::optional<std::string> CharacterBytes(std::u16string_view character, TextEncoding encoding);

struct JisRowCell {
  int row = 0;
  int cell = 0;
};
// The row and cell of a character of JIS X 0208 (rows 1 to 8 and 16 to 84).
std::optional<JisRowCell> JisX0208RowCell(std::u16string_view character);

// "あ\tU+3042\t82 A0\t04-02": the character (a control character as its picture), the code
// point, the bytes or "-", and the row-cell code or "-".
std::u16string CharacterInfoLine(std::u16string_view character, TextEncoding encoding);

// One line per character of the document's selection, at most kCharacterInfoLimit, each
// ended by CR LF; empty without a selection. Text from the clipboard or standard input is
// described in UTF-16 little endian.
std::u16string CharacterInfoText(const Document& document);

}  // namespace vemora
