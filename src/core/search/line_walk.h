// The walk over a text's lines that the filter keeps lines with, and the rules every
// place that puts kept lines one after another shares.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/block_list.h"
#include "core/search/kept_lines.h"
#include "core/text/document.h"

namespace vemora {

// The first CR or LF in text[from, end), or end. Every unit of the text passes through
// here, so it looks at sixteen at a time.
inline int64_t FindLineEnd(const char16_t* text, int64_t from, int64_t end) {
  int64_t q = from;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i lf = _mm_set1_epi16(u'\n');
  auto ends = [&](int64_t at) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    return _mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf));
  };
  for (; q + 16 <= end; q += 16) {
    const int mask = _mm_movemask_epi8(_mm_packs_epi16(ends(q), ends(q + 8)));
    if (mask != 0) return q + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; q < end; ++q) {
    if (text[q] == u'\r' || text[q] == u'\n') return q;
  }
  return end;
}

// Where the line whose line end starts at `lineEnd` (a CR, an LF or the text's `end`) is
// followed by the next one: a CR-LF is one line end.
inline int64_t NextLineStart(const char16_t* text, int64_t lineEnd, int64_t end) {
  if (lineEnd >= end) return lineEnd;
  return lineEnd +
         (text[lineEnd] == u'\r' && lineEnd + 1 < end && text[lineEnd + 1] == u'\n' ? 2 : 1);
}

// Whether kept line [start, next) of `text`, put right behind a kept line that ends in a
// lone CR, gets an LF of its own before it: the CR and an empty LF line would read as one
// CR-LF line, and the view keeps one line per kept line.
inline bool GetsOwnLf(bool afterLoneCr, const char16_t* text, int64_t start, int64_t next) {
  return afterLoneCr && start < next && text[start] == u'\n';
}

// The walk after the search over text[from, end): `keep` is called with each line that
// holds a hit in `hits` (with `invert`, that holds none), in order, after which the line
// and those before it are not read again. Sets where the text may resume growing.
template <typename Keep>
int32_t WalkLines(const char16_t* units, int64_t from, int64_t end, int32_t firstNumber,
                  bool invert, const HitList& hits, int64_t firstHit, int64_t reach,
                  KeptLines& kept, const Keep& keep) {
  constexpr int64_t kNoHit = std::numeric_limits<int64_t>::max();
  const int64_t hitCount = hits.Size();
  int64_t h = firstHit;
  // Where the next hit starts: most lines hold none, and see only this.
  int64_t nextHit = h < hitCount ? hits[h].start : kNoHit;
  reach = std::max(reach, from);  // where the hits seen so far end
  int32_t number = firstNumber;
  kept.resumeStart = end;
  for (int64_t p = from; p < end; ++number) {
    const int64_t lineEnd = FindLineEnd(units, p, end);
    const int64_t next = NextLineStart(units, lineEnd, end);
    bool holds = reach > p;
    const int64_t lineHits = h;
    if (nextHit < next) {
      holds = true;
      do {
        reach = std::max(reach, hits[h].start + hits[h].length);
      } while (++h < hitCount && hits[h].start < next);
      nextHit = h < hitCount ? hits[h].start : kNoHit;
    }
    // The hits [lineHits, h) start in the line.
    if (holds != invert) keep(KeptLine{p, lineEnd, next, number}, lineHits, h);
    // The last line may still grow when it has no line end, or only a CR that an LF may
    // yet join.
    if (next == end && (lineEnd == end || (next == lineEnd + 1 && units[lineEnd] == u'\r'))) {
      kept.resumeStart = p;
      kept.resumeNumber = number;
    }
    p = next;
  }
  if (kept.resumeStart == end) kept.resumeNumber = number;
  return number;
}

}  // namespace vemora
