// What stretches of a file say about its encoding, joined in file order: NUL bytes and the
// 16-bit units of UTF-16 without a mark, and how the answer over the whole file follows
// from all of it, so that a file read in steps ends with the answer of a read in one go.
#include <algorithm>

#include "core/text/encoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vemora {
namespace {

constexpr int kLittle = 0;
constexpr int kBig = 1;

bool IsHighSurrogate(uint32_t unit) {
  return (unit & 0xFC00) == 0xD800;
}
bool IsLowSurrogate(uint32_t unit) {
  return (unit & 0xFC00) == 0xDC00;
}

uint32_t UnitAt(const uint8_t* bytes, int64_t at, int order) {
  return order == kBig ? (uint32_t{bytes[at]} << 8) | bytes[at + 1]
                       : bytes[at] | (uint32_t{bytes[at + 1]} << 8);
}

// The bytes a unit's facts hang on: a NUL (the high byte of a CR or LF unit, and the
// byte order's sign) and the high byte of a surrogate. Text in a legacy encoding has many
// of the latter, so they are looked for sixteen at a time.
const uint8_t* FindUnitClue(const uint8_t* p, const uint8_t* end) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i mask = _mm_set1_epi8(static_cast<char>(0xF8));
  const __m128i surrogate = _mm_set1_epi8(static_cast<char>(0xD8));
  for (; end - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(block, zero),
                                      _mm_cmpeq_epi8(_mm_and_si128(block, mask), surrogate));
    if (const int bits = _mm_movemask_epi8(hits))
      return p + __builtin_ctz(static_cast<unsigned>(bits));
  }
#endif
  for (; p < end; ++p) {
    if (*p == 0 || (*p & 0xF8) == 0xD8) return p;
  }
  return end;
}

void JoinUnits(UnitEvidence& units, const UnitEvidence& later) {
  if (!later.any) return;
  if (!units.any) {
    units = later;
    return;
  }
  units.unpaired = units.unpaired || later.unpaired || units.lastHigh != later.firstLow;
  units.lineEnd = units.lineEnd || later.lineEnd;
  units.lastHigh = later.lastHigh;
}

// Ruled out whatever follows: a NUL on the other side, or a surrogate that nothing later
// can pair.
bool RulesOut(const EncodingEvidence& evidence, int order) {
  const UnitEvidence& units = evidence.units[order];
  return (order == kBig ? evidence.nulAtOdd : evidence.nulAtEven) || units.unpaired ||
         units.firstLow;
}

// UTF-16 in the byte order that the NULs point to, when its units read as text.
TextEncoding Utf16Answer(const EncodingEvidence& evidence) {
  if (evidence.nulAtEven == evidence.nulAtOdd) return kEncodingNone;
  const int order = evidence.nulAtEven ? kBig : kLittle;
  const UnitEvidence& units = evidence.units[order];
  if (!units.lineEnd || RulesOut(evidence, order) || units.lastHigh) return kEncodingNone;
  return order == kBig ? kEncodingUtf16Be : kEncodingUtf16;
}

}  // namespace

void GatherUnitEvidence(const uint8_t* bytes, int64_t from, int64_t to, int64_t end,
                        EncodingEvidence& evidence) {
  // Units start at even offsets; the one that starts at the stretch's last byte ends
  // after it, and a last byte alone is no unit.
  const int64_t first = from + (from & 1);
  const int64_t stop = std::min(to + (to & 1), end - (end & 1));
  for (int order : {kLittle, kBig}) {
    UnitEvidence& units = evidence.units[order];
    units.any = first < stop;
    if (!units.any) continue;
    units.firstLow = IsLowSurrogate(UnitAt(bytes, first, order));
    units.lastHigh = IsHighSurrogate(UnitAt(bytes, stop - 2, order));
  }
  const uint8_t* const scanEnd = bytes + std::max(to, stop);
  for (const uint8_t* p = FindUnitClue(bytes + from, scanEnd); p < scanEnd;
       p = FindUnitClue(p + 1, scanEnd)) {
    const int64_t at = p - bytes;
    if (*p == 0 && at < to) (at & 1 ? evidence.nulAtOdd : evidence.nulAtEven) = true;
    const int64_t unit = at & ~int64_t{1};
    if (unit < first || unit >= stop) continue;
    for (int order : {kLittle, kBig}) {
      UnitEvidence& units = evidence.units[order];
      const uint32_t value = UnitAt(bytes, unit, order);
      if (value == '\n' || value == '\r') units.lineEnd = true;
      // A pair across the stretch's edge is for JoinUnits to see.
      if (IsHighSurrogate(value) && unit + 2 < stop &&
          !IsLowSurrogate(UnitAt(bytes, unit + 2, order)))
        units.unpaired = true;
      if (IsLowSurrogate(value) && unit > first && !IsHighSurrogate(UnitAt(bytes, unit - 2, order)))
        units.unpaired = true;
    }
  }
}

void JoinEvidence(EncodingEvidence& evidence, const EncodingEvidence& later) {
  evidence.escape = evidence.escape || later.escape;
  evidence.nulAtEven = evidence.nulAtEven || later.nulAtEven;
  evidence.nulAtOdd = evidence.nulAtOdd || later.nulAtOdd;
  JoinUnits(evidence.units[kLittle], later.units[kLittle]);
  JoinUnits(evidence.units[kBig], later.units[kBig]);
  // Lines after the first deciding one count for nothing.
  if (evidence.decided != kEncodingNone) return;
  evidence.highLines = evidence.highLines || later.highLines;
  evidence.notUtf8 = evidence.notUtf8 || later.notUtf8;
  evidence.decided = later.decided;
}

TextEncoding ConcludeEncoding(const EncodingEvidence& evidence) {
  if (evidence.escape) return kEncodingJis;
  if (const TextEncoding utf16 = Utf16Answer(evidence); utf16 != kEncodingNone) return utf16;
  if (evidence.decided != kEncodingNone) return evidence.decided;
  // No line decides: UTF-8 only when every line above ASCII reads as UTF-8 of the narrow
  // kind, which lines of half-width katakana in Shift_JIS do not make.
  return evidence.highLines && !evidence.notUtf8 ? kEncodingUtf8 : kEncodingShiftJis;
}

bool RulesOutUtf16(const EncodingEvidence& evidence) {
  return RulesOut(evidence, kLittle) && RulesOut(evidence, kBig);
}

TextEncoding RedetectEncoding(const EncodingEvidence& evidence, bool complete,
                              TextEncoding current) {
  if (evidence.escape) return current == kEncodingJis ? kEncodingNone : kEncodingJis;
  const TextEncoding answer = ConcludeEncoding(evidence);
  if (complete) return answer == current ? kEncodingNone : answer;
  // Until the end, only what nothing later can undo counts: a NUL or surrogate that rules
  // UTF-16 out, a deciding line that rules the other line answers out. The answer so far
  // is then the best guess, and the rest is watched again.
  bool possible = true;
  switch (current) {
    case kEncodingUtf16:
      possible = !RulesOut(evidence, kLittle);
      break;
    case kEncodingUtf16Be:
      possible = !RulesOut(evidence, kBig);
      break;
    case kEncodingShiftJis:
    case kEncodingEuc:
    case kEncodingUtf8:
      possible = evidence.decided == kEncodingNone || evidence.decided == current;
      break;
    default:
      break;
  }
  return possible ? kEncodingNone : answer;
}

}  // namespace vemora
