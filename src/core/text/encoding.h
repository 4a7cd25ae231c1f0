// Which of the ten encodings a file's bytes are in: byte-order marks, JIS escape
// sequences, NUL bytes of UTF-16 without a mark, then line-by-line scores for Shift_JIS,
// EUC-JP and UTF-8.
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

// The encodings the decoders read alike: UTF-16 of either byte order, with a mark or not;
// UTF-16 big endian; UTF-8 with a mark or not.
inline bool IsUtf16(TextEncoding encoding) {
  return encoding >= kEncodingUtf16Bom && encoding <= kEncodingUtf16Be;
}
inline bool IsBigEndian(TextEncoding encoding) {
  return encoding == kEncodingUtf16BeBom || encoding == kEncodingUtf16Be;
}
inline bool IsUtf8(TextEncoding encoding) {
  return encoding == kEncodingUtf8 || encoding == kEncodingUtf8Bom;
}

// How many bytes a UTF-8 lead byte still wants after it, as the decoders read it.
inline int32_t Utf8BytesWanted(uint8_t b) {
  return b < 0xC2 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF5 ? 3 : 0;
}

// Whether a cut may go at the line end at `q` of UTF-8 bytes read from `from`: a sequence
// that starts there and that the line end cuts short is read differently at the end of a
// decoder's input (it swallows what is left) than in the middle.
inline bool Utf8LineEndUsable(const uint8_t* bytes, int64_t from, int64_t q) {
  for (int64_t i = 1; i <= 3 && q - i >= from; ++i) {
    if (Utf8BytesWanted(bytes[q - i]) >= i) return false;
  }
  return true;
}

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

// Whether a byte order's 16-bit units could be text: what a stretch of a file holds of the
// units that start in it, enough to join it to the stretches around it.
struct UnitEvidence {
  bool any = false;       // the stretch holds the start of a whole unit
  bool lineEnd = false;   // a CR or LF unit
  bool unpaired = false;  // a surrogate without its partner, or not text at all
  bool firstLow = false;  // the first unit is a low surrogate: it needs a high one before
  bool lastHigh = false;  // the last is a high surrogate: it needs a low one after
};

// What a stretch of a file says about its encoding, besides a byte-order mark: the
// evidence of consecutive stretches joins in file order (JoinEvidence) into that of the
// whole file, which ConcludeEncoding turns into DetectEncoding's answer.
struct EncodingEvidence {
  bool escape = false;     // a JIS escape starts there
  bool nulAtEven = false;  // a NUL byte at an even offset of the file
  bool nulAtOdd = false;
  UnitEvidence units[2];      // little endian, big endian
  TextEncoding decided = -1;  // the answer of the first deciding line
  // Of the lines before it: one holds a byte above 0x7F, one of those is not UTF-8 of
  // the narrow kind that answers UTF-8 when no line decides.
  bool highLines = false;
  bool notUtf8 = false;
};

// Adds what [from, to) of a file of `end` bytes says: the lines that start there (`from`
// is a line's start), read to their LF or, for the last line of a file that ends at `end`
// without one, by the rule for that tail, up to the first that decides; and with
// `units`, its NUL bytes and the 16-bit units that start there. Offsets count from the
// file's start, which decides the units.
void GatherLineEvidence(const uint8_t* bytes, int64_t from, int64_t to, int64_t end,
                        EncodingEvidence& evidence);
void GatherUnitEvidence(const uint8_t* bytes, int64_t from, int64_t to, int64_t end,
                        EncodingEvidence& evidence);
// All that a buffer says, as the start of a file (its byte-order mark aside).
EncodingEvidence GatherEvidence(const uint8_t* bytes, int64_t length);
// `later` is the evidence of the stretch right after `evidence`'s.
void JoinEvidence(EncodingEvidence& evidence, const EncodingEvidence& later);
// The answer over a whole file of that evidence.
TextEncoding ConcludeEncoding(const EncodingEvidence& evidence);
// Evidence of a file's start being read as `current`: the answer to read it again with once
// the rest of the file can no longer make `current` the answer (`complete`: there is no
// rest), kEncodingNone while it still can.
TextEncoding RedetectEncoding(const EncodingEvidence& evidence, bool complete,
                              TextEncoding current);
// Whether the evidence already rules out UTF-16 without a mark whatever the rest holds.
bool RulesOutUtf16(const EncodingEvidence& evidence);

// The encoding's name in the status bar ("SHIFT-JIS", ..., "UTF7"); empty for -1 and for
// values that are no encoding.
std::u16string_view EncodingStatusName(TextEncoding encoding);

}  // namespace vemora
