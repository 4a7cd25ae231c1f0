// UTF-8 and UTF-16 conversions.
#include "core/text/utf8.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vemora {

namespace {

// A unit from U+0800 that is no surrogate.
inline void PutThreeBytes(uint32_t c, char*& out) {
  out[0] = static_cast<char>(0xE0 | (c >> 12));
  out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (c & 0x3F));
  out += 3;
}

// Where a checked encoding counts the surrogates that have no partner.
struct LoneSurrogates {
  int64_t count = 0;
  const char16_t* first = nullptr;
};

// One unit of any kind; a lead surrogate takes its trail with it. Returns the next unit.
// A lone surrogate becomes U+FFFD, or "?" counted in `lone` when that is given.
const char16_t* EncodeOne(const char16_t* p, const char16_t* end, char*& out,
                          LoneSurrogates* lone = nullptr) {
  uint32_t c = *p++;
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
    return p;
  }
  if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
    return p;
  }
  if (c >= 0xD800 && c <= 0xDFFF) {
    if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
      *out++ = static_cast<char>(0xF0 | (c >> 18));
      *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (c & 0x3F));
      return p;
    }
    if (lone) {
      if (lone->count++ == 0) lone->first = p - 1;
      *out++ = '?';
      return p;
    }
    c = 0xFFFD;
  }
  PutThreeBytes(c, out);
  return p;
}

#if defined(__SSE2__)
// Eight units that are all ASCII, or all of three bytes (from U+0800, no surrogates), as
// Japanese text mostly is, are written without a test per unit.
enum class Kind { kAscii, kThreeBytes, kMixed };

Kind KindOfEight(__m128i units) {
  if (_mm_movemask_epi8(_mm_cmpeq_epi16(
          _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))), _mm_setzero_si128())) ==
      0xFFFF)
    return Kind::kAscii;
  // Unsigned order through the signed compare: both sides offset by 0x8000.
  const __m128i biased = _mm_xor_si128(units, _mm_set1_epi16(static_cast<short>(0x8000)));
  const __m128i below800 =
      _mm_cmplt_epi16(biased, _mm_set1_epi16(static_cast<short>(0x0800 ^ 0x8000)));
  const __m128i surrogate =
      _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xF800))),
                      _mm_set1_epi16(static_cast<short>(0xD800)));
  return _mm_movemask_epi8(_mm_or_si128(below800, surrogate)) == 0 ? Kind::kThreeBytes
                                                                   : Kind::kMixed;
}
#endif

}  // namespace

namespace {

char* EncodeUtf8With(const char16_t* p, const char16_t* end, char* out, LoneSurrogates* lone) {
#if defined(__SSE2__)
  while (end - p >= 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    switch (KindOfEight(units)) {
      case Kind::kAscii:
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
        out += 8;
        p += 8;
        break;
      case Kind::kThreeBytes:
        for (int k = 0; k < 8; ++k) PutThreeBytes(p[k], out);
        p += 8;
        break;
      case Kind::kMixed: {
        // Unit by unit to the end of these eight; a pair may take one unit beyond them.
        const char16_t* const stop = p + 8;
        while (p < stop) p = EncodeOne(p, end, out, lone);
        break;
      }
    }
  }
#endif
  while (p < end) p = EncodeOne(p, end, out, lone);
  return out;
}

}  // namespace

char* EncodeUtf8(const char16_t* p, const char16_t* end, char* out) {
  return EncodeUtf8With(p, end, out, nullptr);
}

char* EncodeUtf8Checked(const char16_t* p, const char16_t* end, char* out, int64_t& loneCount,
                        const char16_t*& firstLone) {
  LoneSurrogates lone;
  out = EncodeUtf8With(p, end, out, &lone);
  loneCount = lone.count;
  firstLone = lone.first;
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out(text.size() * 3, '\0');
  char* end = EncodeUtf8(text.data(), text.data() + text.size(), out.data());
  out.resize(static_cast<size_t>(end - out.data()));
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                : (lead & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      else c = (c << 6) | (next & 0x3F);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (!valid || c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace vemora
