// Byte searches with SSE2 where the compiler targets it (every x86-64 build), and a plain
// loop elsewhere. Four vectors are tested per step, so a long search is bounded by memory
// rather than by the loop.
#include "core/text/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vemora {
namespace {

#if defined(__SSE2__)
// Runs `mask(block)` over 64-byte then 16-byte blocks; `mask` returns one bit per byte
// that matches. Returns the first match, or where the blocks stopped (fewer than 16 bytes
// before `end`).
template <typename Mask>
const uint8_t* ScanBlocks(const uint8_t* p, const uint8_t* end, Mask mask, bool& found) {
  found = false;
  while (end - p >= 64) {
    const uint32_t m0 = mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    const uint32_t m1 = mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
    const uint32_t m2 = mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
    const uint32_t m3 = mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
    if (m0 | m1 | m2 | m3) {
      const uint64_t all =
          uint64_t{m0} | (uint64_t{m1} << 16) | (uint64_t{m2} << 32) | (uint64_t{m3} << 48);
      found = true;
      return p + __builtin_ctzll(all);
    }
    p += 64;
  }
  while (end - p >= 16) {
    const uint32_t m = mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    if (m) {
      found = true;
      return p + __builtin_ctz(m);
    }
    p += 16;
  }
  return p;
}
#endif

}  // namespace

const uint8_t* FindByte(const uint8_t* from, const uint8_t* end, uint8_t value) {
  const uint8_t* p = from;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
  bool found = false;
  p = ScanBlocks(
      p, end,
      [wanted](__m128i block) {
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
      },
      found);
  if (found) return p;
#endif
  while (p < end && *p != value) ++p;
  return p;
}

const uint8_t* FindEitherByte(const uint8_t* from, const uint8_t* end, uint8_t first,
                              uint8_t second) {
  const uint8_t* p = from;
#if defined(__SSE2__)
  const __m128i a = _mm_set1_epi8(static_cast<char>(first));
  const __m128i b = _mm_set1_epi8(static_cast<char>(second));
  bool found = false;
  p = ScanBlocks(
      p, end,
      [a, b](__m128i block) {
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(block, a), _mm_cmpeq_epi8(block, b));
        return static_cast<uint32_t>(_mm_movemask_epi8(hits));
      },
      found);
  if (found) return p;
#endif
  while (p < end && *p != first && *p != second) ++p;
  return p;
}

const uint8_t* FindNonAsciiByte(const uint8_t* from, const uint8_t* end) {
  const uint8_t* p = from;
#if defined(__SSE2__)
  bool found = false;
  p = ScanBlocks(
      p, end, [](__m128i block) { return static_cast<uint32_t>(_mm_movemask_epi8(block)); }, found);
  if (found) return p;
#endif
  while (p < end && *p < 0x80) ++p;
  return p;
}

const char16_t* FindUnit(const char16_t* from, const char16_t* end, char16_t value) {
  const char16_t* p = from;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(value));
  while (end - p >= 32) {
    const auto* block = reinterpret_cast<const __m128i*>(p);
    const __m128i m0 = _mm_cmpeq_epi16(_mm_loadu_si128(block), wanted);
    const __m128i m1 = _mm_cmpeq_epi16(_mm_loadu_si128(block + 1), wanted);
    const __m128i m2 = _mm_cmpeq_epi16(_mm_loadu_si128(block + 2), wanted);
    const __m128i m3 = _mm_cmpeq_epi16(_mm_loadu_si128(block + 3), wanted);
    // One bit per unit: the compares give 0 or -1, which pack to bytes of 0 or -1.
    const auto low = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(m0, m1)));
    const auto high = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(m2, m3)));
    if ((low | high) != 0) return p + __builtin_ctzll(low | uint64_t{high} << 16);
    p += 32;
  }
#endif
  while (p < end && *p != value) ++p;
  return p;
}

}  // namespace vemora
