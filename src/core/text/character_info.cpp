// Characters back to bytes: Shift_JIS through code page 932 (the decoders' own table, so
// that the bytes are the ones the file has), JIS and EUC-JP from the Shift_JIS form, the
// Unicode forms by their definitions.
#include "core/text/character_info.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/platform/code_pages.h"
#include "core/text/character_boundary.h"
#include "core/text/encoding.h"

namespace vemora {
namespace {

// A character as 1 or 2 units and its code point; a lone surrogate stands for itself.
char32_t CodePointOf(std::u16string_view character) {
  if (character.size() == 2 && IsHighSurrogate(character[0]) && IsLowSurrogate(character[1]))
    return 0x10000 + ((character[0] - 0xD800) << 10) + (character[1] - 0xDC00);
  return character.empty() ? 0 : character[0];
}

bool IsLoneSurrogate(std::u16string_view character) {
  return character.size() == 1 && (IsHighSurrogate(character[0]) || IsLowSurrogate(character[0]));
}

// The character's form in code page 932, only when it reads back as the same character
// (a best-fit replacement is no form of it).
std::optional<std::string> ShiftJisBytes(std::u16string_view character) {
  if (character.size() != 1 || IsLoneSurrogate(character)) return std::nullopt;
  std::string bytes = EncodeCodePage(kCodePageShiftJis, character);
  if (bytes.empty() || bytes.size() > 2) return std::nullopt;
  if (DecodeCodePage(kCodePageShiftJis, bytes) != character) return std::nullopt;
  return bytes;
}

// A two-byte Shift_JIS form as its JIS row and cell (1-based); rows beyond 94 exist only
// in code page 932's own extensions.
JisRowCell RowCellOfShiftJis(uint8_t lead, uint8_t trail) {
  int j1 = (lead <= 0x9F ? (lead - 0x81) : (lead - 0xC1)) * 2 + 0x21;
  int j2 = 0;
  if (trail >= 0x9F) {
    ++j1;
    j2 = trail - 0x7E;
  } else {
    j2 = trail - (trail >= 0x80 ? 0x20 : 0x1F);
  }
  return {j1 - 0x20, j2 - 0x20};
}

struct ShiftJisPair {
  char16_t character;
  uint8_t lead;
  uint8_t trail;
};

// The JIS and EUC-JP decoders read rows 89 to 92 through code page 932 as its
// NEC-selected characters (lead bytes 0xED and 0xEE), but the code page writes those
// characters in IBM's rows beyond 94, which JIS has no bytes for. This table, read from
// the code page once, gives them back the pair the file holds.
const std::vector<ShiftJisPair>& NecSelectedPairs() {
  static const std::vector<ShiftJisPair> pairs = [] {
    std::vector<ShiftJisPair> found;
    for (const uint8_t lead : {0xED, 0xEE}) {
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const std::u16string decoded =
            DecodeCodePage(kCodePageShiftJis, std::string_view(bytes, 2));
        if (decoded.size() == 1) found.push_back({decoded[0], lead, static_cast<uint8_t>(trail)});
      }
    }
    std::stable_sort(found.begin(), found.end(), [](const ShiftJisPair& a, const ShiftJisPair& b) {
      return a.character < b.character;
    });
    return found;
  }();
  return pairs;
}

std::optional<JisRowCell> NecSelectedRowCell(std::u16string_view character) {
  const std::vector<ShiftJisPair>& pairs = NecSelectedPairs();
  const auto at =
      std::lower_bound(pairs.begin(), pairs.end(), character[0],
                       [](const ShiftJisPair& pair, char16_t c) { return pair.character < c; });
  if (at == pairs.end() || at->character != character[0]) return std::nullopt;
  return RowCellOfShiftJis(at->lead, at->trail);
}

std::optional<std::string> JisOrEucBytes(std::u16string_view character, bool euc) {
  const std::optional<std::string> sjis = ShiftJisBytes(character);
  if (!sjis) return std::nullopt;
  const auto first = static_cast<uint8_t>((*sjis)[0]);
  if (sjis->size() == 1) {
    if (first < 0x80) return sjis;
    // Half-width katakana: SS2 and the byte in EUC-JP, the katakana set's byte in JIS.
    if (euc) return std::string{'\x8E', static_cast<char>(first)};
    return std::string(1, static_cast<char>(first - 0x80));
  }
  JisRowCell code = RowCellOfShiftJis(first, static_cast<uint8_t>((*sjis)[1]));
  if (code.row > 94) code = NecSelectedRowCell(character).value_or(code);
  if (code.row < 1 || code.row > 94 || code.cell < 1 || code.cell > 94) return std::nullopt;
  const int offset = euc ? 0xA0 : 0x20;
  return std::string{static_cast<char>(code.row + offset), static_cast<char>(code.cell + offset)};
}

std::string Utf8Bytes(char32_t code) {
  std::string bytes;
  if (code < 0x80) {
    bytes += static_cast<char>(code);
  } else if (code < 0x800) {
    bytes += static_cast<char>(0xC0 | (code >> 6));
    bytes += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    bytes += static_cast<char>(0xE0 | (code >> 12));
    bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (code >> 18));
    bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (code & 0x3F));
  }
  return bytes;
}

std::string Utf16Bytes(std::u16string_view character, bool bigEndian) {
  std::string bytes;
  for (char16_t unit : character) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// Only the characters every UTF-7 reader takes as themselves are written directly; "+"
// is "+-"; everything else is base64 of its UTF-16 units, closed by "-".
std::string Utf7Bytes(std::u16string_view character) {
  constexpr std::string_view kDirect =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:? \t\r\n";
  constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (character.size() == 1 && character[0] < 0x80 &&
      kDirect.find(static_cast<char>(character[0])) != std::string_view::npos)
    return std::string(1, static_cast<char>(character[0]));
  if (character == u"+") return "+-";
  const std::string units = Utf16Bytes(character, true);
  std::string bytes = "+";
  uint32_t bits = 0;
  int count = 0;
  for (const char byte : units) {
    bits = (bits << 8) | static_cast<uint8_t>(byte);
    count += 8;
    while (count >= 6) {
      count -= 6;
      bytes += kBase64[(bits >> count) & 0x3F];
    }
  }
  if (count > 0) bytes += kBase64[(bits << (6 - count)) & 0x3F];
  return bytes + "-";
}

// Six JIS X 0208 characters that code page 932 reads as look-alikes of its own; a
// Unicode text may hold either, and both have the same row and cell.
char16_t CodePageLookAlike(char16_t unit) {
  switch (unit) {
    case u'\u301C':
      return u'\uFF5E';  // wave dash
    case u'\u2016':
      return u'\u2225';  // double vertical line
    case u'\u2212':
      return u'\uFF0D';  // minus sign
    case u'\u00A2':
      return u'\uFFE0';  // cent sign
    case u'\u00A3':
      return u'\uFFE1';  // pound sign
    case u'\u00AC':
      return u'\uFFE2';  // not sign
    default:
      return unit;
  }
}

std::u16string HexPairs(const std::string& bytes) {
  std::u16string text;
  char pair[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<uint8_t>(bytes[i]));
    if (i > 0) text += u' ';
    text += static_cast<char16_t>(pair[0]);
    text += static_cast<char16_t>(pair[1]);
  }
  return text;
}

std::u16string Ascii(const char* text) {
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

// Control characters would break the line or vanish: their pictures stand for them.
std::u16string Shown(std::u16string_view character) {
  if (character.size() == 1 && character[0] < 0x20)
    return std::u16string(1, static_cast<char16_t>(0x2400 + character[0]));
  if (character == u"\x7F") return u"\u2421";
  return std::u16string(character);
}

}  // namespace

std::optional<std::string> CharacterBytes(std::u16string_view character, TextEncoding encoding) {
  if (character.empty()) return std::nullopt;
  switch (encoding) {
    case kEncodingShiftJis:
      return ShiftJisBytes(character);
    case kEncodingJis:
      return JisOrEucBytes(character, false);
    case kEncodingEuc:
      return JisOrEucBytes(character, true);
    case kEncodingUtf16BeBom:
    case kEncodingUtf16Be:
      return Utf16Bytes(character, true);
    case kEncodingUtf8Bom:
    case kEncodingUtf8:
      if (IsLoneSurrogate(character)) return std::nullopt;
      return Utf8Bytes(CodePointOf(character));
    case kEncodingUtf7:
      return Utf7Bytes(character);
    default:
      return Utf16Bytes(character, false);
  }
}

std::optional<JisRowCell> JisX0208RowCell(std::u16string_view character) {
  const std::optional<std::string> sjis =
      ShiftJisBytes(character.size() == 1 ? std::u16string(1, CodePageLookAlike(character[0]))
                                          : std::u16string(character));
  if (!sjis || sjis->size() != 2) return std::nullopt;
  const JisRowCell code =
      RowCellOfShiftJis(static_cast<uint8_t>((*sjis)[0]), static_cast<uint8_t>((*sjis)[1]));
  const bool inSet = (code.row >= 1 && code.row <= 8) || (code.row >= 16 && code.row <= 84);
  if (!inSet || code.cell < 1 || code.cell > 94) return std::nullopt;
  return code;
}

std::u16string CharacterInfoLine(std::u16string_view character, TextEncoding encoding) {
  const char32_t code = CodePointOf(character);
  char number[16];
  std::snprintf(number, sizeof number, code > 0xFFFF ? "U+%05X" : "U+%04X",
                static_cast<unsigned>(code));
  const std::optional<std::string> bytes = CharacterBytes(character, encoding);
  std::u16string rowCell = u"-";
  if (const std::optional<JisRowCell> jis = JisX0208RowCell(character)) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d-%02d", jis->row, jis->cell);
    rowCell = Ascii(text);
  }
  return Shown(character) + u'\t' + Ascii(number) + u'\t' + (bytes ? HexPairs(*bytes) : u"-") +
         u'\t' + rowCell;
}

std::u16string CharacterInfoText(const Document& document) {
  if (document.SelectionAnchor == kNoPosition || document.SelectionEnd == kNoPosition) return {};
  const std::u16string_view text = document.Text();
  const auto length = static_cast<int64_t>(text.size());
  const int64_t low =
      std::clamp<int64_t>(std::min(document.SelectionAnchor, document.SelectionEnd), 0, length);
  const int64_t high =
      std::clamp<int64_t>(std::max(document.SelectionAnchor, document.SelectionEnd), 0, length);
  const TextEncoding encoding =
      document.sourceKind == kSourceFile ? document.encoding : kEncodingNone;
  std::u16string lines;
  int32_t count = 0;
  for (int64_t p = low; p < high && count < kCharacterInfoLimit; ++count) {
    const size_t at = static_cast<size_t>(p);
    const size_t units =
        p + 1 < high && IsHighSurrogate(text[at]) && IsLowSurrogate(text[at + 1]) ? 2 : 1;
    lines += CharacterInfoLine(text.substr(at, units), encoding) + u"\r\n";
    p += units;
  }
  return lines;
}

}  // namespace vemora
