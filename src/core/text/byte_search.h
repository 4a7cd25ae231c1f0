// Byte and UTF-16 unit searches over large buffers, sixteen bytes at a time. The C library's memchr
// is a plain byte loop in some runtimes (the msvcrt that Wine supplies among them), which made
// detection and decoding of a large file several times slower there than natively.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vemora {

// The first byte equal to `value` in [from, end), or `end`.
const uint8_t* FindByte(const uint8_t* from, const uint8_t* end, uint8_t value);

// The first byte equal to `first` or to `second` in [from, end), or `end`.
const uint8_t* FindEitherByte(const uint8_t* from, const uint8_t* end, uint8_t first,
                              uint8_t second);

// The first byte above 0x7F in [from, end), or `end`.
const uint8_t* FindNonAsciiByte(const uint8_t* from, const uint8_t* end);

// What a pass over bytes saw besides their line ends.
struct ControlBytesSeen {
  bool escape = false;     // an ESC byte
  bool backspace = false;  // a BS byte
};

// Calls `lineEnd(p)` for each CR and LF in [from, end) in order, in one pass that also
// notes whether an ESC or a BS byte occurs: a whole chunk is scanned 64 bytes at a time,
// where a search per line would start over at every line.
template <typename LineEnd>
ControlBytesSeen ForEachLineEnd(const uint8_t* from, const uint8_t* end, LineEnd&& lineEnd) {
  ControlBytesSeen seen;
  const uint8_t* p = from;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i esc = _mm_set1_epi8(0x1B);
  const __m128i bs = _mm_set1_epi8(0x08);
  __m128i escapes = _mm_setzero_si128();
  __m128i backspaces = _mm_setzero_si128();
  for (; end - p >= 64; p += 64) {
    uint64_t ends = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr));
      ends |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(hits))} << (16 * k);
      escapes = _mm_or_si128(escapes, _mm_cmpeq_epi8(block, esc));
      backspaces = _mm_or_si128(backspaces, _mm_cmpeq_epi8(block, bs));
    }
    for (; ends; ends &= ends - 1) lineEnd(p + __builtin_ctzll(ends));
  }
  seen.escape = _mm_movemask_epi8(escapes) != 0;
  seen.backspace = _mm_movemask_epi8(backspaces) != 0;
#endif
  for (; p < end; ++p) {
    if (*p == '\n' || *p == '\r') lineEnd(p);
    seen.escape = seen.escape || *p == 0x1B;
    seen.backspace = seen.backspace || *p == 0x08;
  }
  return seen;
}

// The first unit equal to `value` in [from, end), or `end`.
const char16_t* FindUnit(const char16_t* from, const char16_t* end, char16_t value);

}  // namespace vemora
