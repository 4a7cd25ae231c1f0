// Scans for a regular expression's prefilter candidates, eight or more units a step with
// SSE2 where the compiler targets it and a plain loop elsewhere.
#include "core/search/prefilter_scanners.h"

#include <algorithm>
#include <string_view>

#include "core/text/byte_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vemora {

UnitRanges WhiteSpaceUnits() {
  return {{0x09, 0x0D},     {0x20, 0x20},     {0x85, 0x85},     {0xA0, 0xA0},     {0x1680, 0x1680},
          {0x2000, 0x200A}, {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}};
}

// Units whose case folding can begin a match of an ASCII letter: the letter's two cases,
// the single characters that fold to ASCII letters (long s, Kelvin sign) and those that
// fold to several letters (sharp s, the Latin ligatures). They are taken in four wide
// ranges, a superset that stays within what the vector scan compares at once.
UnitRanges CaseFoldingStarts(char16_t c) {
  if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return {{c, c}};
  const char16_t lower = static_cast<char16_t>(c | 0x20);
  return {{lower, lower},
          {static_cast<char16_t>(lower - 0x20), static_cast<char16_t>(lower - 0x20)},
          {u'\u00DF', u'\u01F0'},   // sharp s, dotted and dotless i, long s, j with caron
          {u'\u1E96', u'\u1E9E'},   // letters with a following mark, capital sharp s
          {u'\u212A', u'\u212B'},   // Kelvin and Angstrom signs
          {u'\uFB00', u'\uFB06'}};  // ff, fi, fl, ffi, ffl, st ligatures
}

bool InRanges(char16_t unit, const UnitRanges& ranges) {
  for (const auto& [low, high] : ranges) {
    if (unit >= low && unit <= high) return true;
  }
  return false;
}

int64_t FindUnitInRanges(const char16_t* text, int64_t from, int64_t length,
                         const UnitRanges& ranges) {
  int64_t q = from;
#if defined(__SSE2__)
  constexpr size_t kVectorRanges = 6;
  if (ranges.size() <= kVectorRanges) {
    // unit - low <= high - low, compared unsigned by flipping the sign bits.
    __m128i lows[kVectorRanges], limits[kVectorRanges];
    const __m128i sign = _mm_set1_epi16(static_cast<short>(0x8000));
    for (size_t i = 0; i < ranges.size(); ++i) {
      lows[i] = _mm_set1_epi16(static_cast<short>(ranges[i].first));
      limits[i] = _mm_set1_epi16(static_cast<short>((ranges[i].second - ranges[i].first) ^ 0x8000));
    }
    for (; q + 8 <= length; q += 8) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + q));
      __m128i outside = _mm_set1_epi16(-1);
      for (size_t i = 0; i < ranges.size(); ++i) {
        const __m128i offset = _mm_xor_si128(_mm_sub_epi16(units, lows[i]), sign);
        outside = _mm_and_si128(outside, _mm_cmpgt_epi16(offset, limits[i]));
      }
      const int mask = _mm_movemask_epi8(outside) ^ 0xFFFF;
      if (mask != 0) return q + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
    }
  }
#endif
  for (; q < length; ++q) {
    if (InRanges(text[q], ranges)) return q;
  }
  return -1;
}

int32_t WholeMatchAt(const RegexPrefilter& filter, const char16_t* text, int64_t at,
                     int64_t length) {
  auto fold = [&](char16_t unit) {
    return filter.foldAsciiCase && unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit | 0x20)
                                                                : unit;
  };
  for (const std::u16string& match : filter.wholeMatches) {
    const int32_t size = static_cast<int32_t>(match.size());
    if (size > length - at) continue;
    int32_t i = 0;
    while (i < size && fold(text[at + i]) == fold(match[static_cast<size_t>(i)])) ++i;
    if (i == size) return size;
  }
  return 0;
}

bool MayPrecedeCandidate(const RegexPrefilter& filter, char16_t unit) {
  return !filter.beforeKnown || InRanges(unit, filter.before);
}

bool HasUnpairedSurrogate(const char16_t* text, int64_t length) {
  constexpr int64_t kBlock = 32;
  int64_t at = 0;
  while (at < length) {
#if defined(__SSE2__)
    // Blocks without any surrogate are passed over with one branch per 32 units.
    const __m128i top = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    auto any = [&](int64_t from) {
      const auto* block = reinterpret_cast<const __m128i*>(text + from);
      __m128i hits = _mm_setzero_si128();
      for (int k = 0; k < 4; ++k) {
        const __m128i units = _mm_and_si128(_mm_loadu_si128(block + k), top);
        hits = _mm_or_si128(hits, _mm_cmpeq_epi16(units, surrogate));
      }
      return _mm_movemask_epi8(hits) != 0;
    };
    while (at + kBlock <= length && !any(at)) at += kBlock;
#endif
    for (const int64_t stop = std::min(length, at + kBlock); at < stop; ++at) {
      const char16_t unit = text[at];
      if (unit < 0xD800 || unit > 0xDFFF) continue;
      if (unit > 0xDBFF || at + 1 >= length || text[at + 1] < 0xDC00 || text[at + 1] > 0xDFFF)
        return true;
      ++at;  // the pair's second half
    }
  }
  return false;
}

int64_t FindPrefilterCandidate(const RegexPrefilter& filter, const char16_t* text, int64_t from,
                               int64_t length) {
  if (filter.kind == RegexPrefilter::Kind::kLiteral) {
    // The literal's first unit is looked for many units a step: a loop of one unit a step
    // ran at half the speed or at full speed depending on where the linker put it.
    const std::u16string_view literal = filter.literal;
    const auto size = static_cast<int64_t>(literal.size());
    const char16_t* const last = text + length - size + 1;
    for (int64_t q = from; q <= length - size; ++q) {
      q = FindUnit(text + q, last, literal[0]) - text;
      if (q > length - size) return -1;
      if (std::equal(literal.begin() + 1, literal.end(), text + q + 1)) return q;
    }
    return -1;
  }
  if (filter.kind == RegexPrefilter::Kind::kNone) return from < length ? from : -1;
  int64_t q = from;
  while (q < length) {
    const int64_t first = FindUnitInRanges(text, q, length, filter.ranges);
    if (first < 0) return -1;
    int64_t end = first + 1;
    while (end < length && end - first < filter.runLength && InRanges(text[end], filter.ranges))
      ++end;
    if (end - first >= filter.runLength) return first;
    q = end + 1;  // text[end] is outside the set, or the text ended
  }
  return -1;
}

namespace {

int64_t RangeSize(const UnitRanges& ranges) {
  int64_t size = 0;
  for (const auto& [low, high] : ranges) size += high - low + 1;
  return size;
}

// The first line feed in [from, length - 1) whose next unit `mayBegin` takes, plus one, or
// -1. The line feeds of sixteen units are found at once, so a short line costs no call.
template <typename MayBegin>
int64_t FindLineFeedBefore(const char16_t* text, int64_t from, int64_t length, MayBegin mayBegin) {
  int64_t q = from;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi16(u'\n');
  for (; q + 16 < length; q += 16) {
    const auto* block = reinterpret_cast<const __m128i*>(text + q);
    const __m128i low = _mm_cmpeq_epi16(_mm_loadu_si128(block), lf);
    const __m128i high = _mm_cmpeq_epi16(_mm_loadu_si128(block + 1), lf);
    for (auto mask = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high))); mask;
         mask &= mask - 1) {
      const int64_t next = q + __builtin_ctz(mask) + 1;
      if (mayBegin(next)) return next;
    }
  }
#endif
  for (; q + 1 < length; ++q) {
    if (text[q] == u'\n' && mayBegin(q + 1)) return q + 1;
  }
  return -1;
}

}  // namespace

int64_t FindLineStartCandidate(const RegexPrefilter& filter, const char16_t* text, int64_t from,
                               int64_t length, int64_t subject) {
  auto mayBegin = [&](int64_t at) {
    return !filter.firstKnown || InRanges(text[at], filter.first);
  };
  auto lineStart = [&](int64_t at) { return at == subject || at == 0 || text[at - 1] == u'\n'; };
  if (from >= length) return -1;
  if (lineStart(from) && mayBegin(from)) return from;
  // A few units that may begin a match are likely rarer than line feeds: they are looked
  // for, and then whether a line starts there.
  constexpr int64_t kFewUnits = 16;
  if (filter.firstKnown && RangeSize(filter.first) <= kFewUnits && !InRanges(u'\n', filter.first)) {
    for (int64_t q = from + 1; (q = FindUnitInRanges(text, q, length, filter.first)) >= 0; ++q) {
      if (lineStart(q)) return q;
    }
    return -1;
  }
  return FindLineFeedBefore(text, from, length, mayBegin);
}

}  // namespace vemora
