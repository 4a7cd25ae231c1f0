// Which of the ten encodings a file's bytes are in: byte-order marks, JIS escape
// sequences, then line-by-line scores for Shift_JIS, EUC-JP and UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/text/document.h"

namespace vemora {

inline constexpr TextEncoding kEncodingShiftJis = 0;
inline constexpr TextEncoding kEncodingJis = 1;
inline constexpr TextEncoding kEncodingEuc = 2;
inline constexpr TextEncoding kEncodingUtf16Bom = 3;
inline constexpr TextEncoding kEncodingUtf16BeBom = 4;
inline constexpr TextEncoding kEncodingUtf16 = 5;
inline constexpr TextEncoding kEncodingUtf16Be = 6;
inline constexpr TextEncoding kEncodingUtf8Bom = 7;
inline constexpr TextEncoding kEncodingUtf8 = 8;
inline constexpr TextEncoding kEncodingUtf7 = 9;
inline constexpr TextEncoding kEncodingNone = -1;

// Encoding requests besides 0 to 9 (which are taken as they are).
inline constexpr int32_t kRequestDetect = -1;
inline constexpr int32_t kRequestUtf16 = -3;    // the mark decides between 3 and 5
inline constexpr int32_t kRequestUtf16Be = -4;  // between 4 and 6
inline constexpr int32_t kRequestUtf8 = -5;     // between 7 and 8

// Pure function of the bytes: allocates nothing and cannot fail. A pure-ASCII buffer is
// scanned to its end; any other text is usually decided within its first lines.
TextEncoding DetectEncoding(const uint8_t* bytes, int64_t length, int32_t request);

// For a file read in steps. Whether bytes[from, to) hold the start of a JIS escape, whose
// further bytes may lie up to `end`.
bool HasJisEscapeBetween(const uint8_t* bytes, int64_t from, int64_t to, int64_t end);
// The answer of the first deciding line among those that start in [from, to) (`from` is
// a line's start), read to their LF or, for the last line of a file that ends at `end`
// without one, by the rule for that tail; kEncodingNone when none decides.
TextEncoding DecideLinesBetween(const uint8_t* bytes, int64_t from, int64_t to, int64_t end);

// The encoding's name in the status bar ("SHIFT-JIS", ..., "UTF7"); empty for -1 and for
// values that are no encoding.
std::u16string_view EncodingStatusName(TextEncoding encoding);

}  // namespace vemora
