// Code-page conversions natively, through iconv, made to replace invalid input exactly as
// MultiByteToWideChar (flags 0) does, so that the native build stands in for Windows.
#include "core/platform/code_pages.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace vemora {
namespace {

constexpr char16_t kCp932Default = u'\u30FB';  // what Windows shows for an undecodable pair
constexpr char16_t kReplacement = u'\uFFFD';

// An iconv descriptor opened once per thread and direction: opening one costs far more
// than converting a short text, and the settings store converts every value name.
class CachedConverter {
 public:
  CachedConverter(const char* to, const char* from) : converter_(iconv_open(to, from)) {}
  ~CachedConverter() {
    if (Valid()) iconv_close(converter_);
  }
  CachedConverter(const CachedConverter&) = delete;
  CachedConverter& operator=(const CachedConverter&) = delete;
  bool Valid() const { return converter_ != reinterpret_cast<iconv_t>(-1); }
  // The descriptor in its initial shift state.
  iconv_t Reset() {
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    return converter_;
  }

 private:
  iconv_t converter_;
};

bool IsCp932Lead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One character through iconv: the UTF-16 unit, or 0 with `ok` false when iconv rejects
// the bytes or does not take all of them as one character.
char16_t IconvOne(iconv_t converter, const uint8_t* bytes, size_t length, bool& ok) {
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t inLeft = length;
  char16_t out[4] = {};
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  ok = result != static_cast<size_t>(-1) && inLeft == 0 && outLeft == sizeof out - 2;
  return ok ? out[0] : u'\0';
}

// Code page 932 as a table, built once from iconv's CP932 (the source of truth for every
// byte and pair it accepts). Where iconv rejects input, the table holds what Windows
// gives instead: 0x80 -> U+0080, 0xA0 -> U+F8F0, 0xFD..0xFF -> U+F8F1..U+F8F3, and U+30FB
// for a lead byte whose pair has no character (the trail byte is used up with it).
// Decoding by table is several times faster than glibc's CP932 converter.
struct Cp932Table {
  char16_t single[256] = {};
  uint8_t leadRow[256] = {};  // row in `pair` + 1, 0 for a byte that is not a lead byte
  char16_t pair[60][256] = {};

  Cp932Table() {
    iconv_t converter = iconv_open("UTF-16LE", "CP932");
    const bool haveIconv = converter != reinterpret_cast<iconv_t>(-1);
    int row = 0;
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<uint8_t>(b);
      if (IsCp932Lead(byte)) {
        leadRow[b] = static_cast<uint8_t>(++row);
        continue;
      }
      bool ok = false;
      const char16_t unit = haveIconv ? IconvOne(converter, &byte, 1, ok) : u'\0';
      single[b] = ok          ? unit
                  : b == 0x80 ? u'\u0080'
                  : b == 0xA0 ? u'\uF8F0'
                  : b >= 0xFD ? static_cast<char16_t>(0xF8F1 + (b - 0xFD))
                              : static_cast<char16_t>(b);
    }
    for (int lead = 0; lead < 256; ++lead) {
      if (!leadRow[lead]) continue;
      char16_t* units = pair[leadRow[lead] - 1];
      for (int trail = 0; trail < 256; ++trail) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
        bool ok = false;
        const char16_t unit = haveIconv ? IconvOne(converter, bytes, 2, ok) : u'\0';
        units[trail] = ok ? unit : kCp932Default;
      }
    }
    if (haveIconv) iconv_close(converter);
  }
};

const Cp932Table& Cp932() {
  static const auto table = std::make_unique<Cp932Table>();
  return *table;
}

// Widens runs of ASCII eight bytes at a time; returns how many bytes it took.
inline size_t WidenAscii(const uint8_t* in, size_t length, char16_t* out) {
  size_t i = 0;
  while (length - i >= 8) {
    uint64_t word;
    std::memcpy(&word, in + i, 8);
    if (word & 0x8080808080808080ull) break;
    for (int k = 0; k < 8; ++k) out[i + k] = in[i + k];
    i += 8;
  }
  return i;
}

int32_t DecodeCp932(const uint8_t* bytes, int32_t length, char16_t* out) {
  const Cp932Table& table = Cp932();
  const uint8_t* p = bytes;
  const uint8_t* const end = bytes + length;
  char16_t* o = out;
  while (p < end) {
    const size_t ascii = WidenAscii(p, static_cast<size_t>(end - p), o);
    p += ascii;
    o += ascii;
    // Then bytes one by one until the next ASCII word is likely.
    for (int k = 0; k < 16 && p < end; ++k) {
      const uint8_t b = *p++;
      const uint8_t row = table.leadRow[b];
      if (!row) {
        *o++ = table.single[b];
      } else if (p == end || *p == 0) {
        *o++ = kCp932Default;  // a lead byte at the end, or before NUL, which stays a NUL
      } else {
        *o++ = table.pair[row - 1][*p++];
      }
    }
  }
  return static_cast<int32_t>(o - out);
}

// How Windows reads one UTF-8 sequence from `lead` (already taken) at `*p`: returns the
// code point, or -1 for an invalid sequence, of which it consumes the lead byte and the
// continuation bytes that still fitted the sequence. A sequence that runs past the end
// consumes everything to the end.
int32_t WindowsUtf8Char(uint8_t lead, const uint8_t** p, const uint8_t* end) {
  if (lead < 0x80) return lead;
  const int length = lead < 0xC2 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF5 ? 3 : 0;
  static constexpr uint8_t kMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
  uint32_t code = lead & kMask[length];
  if (length == 0) return -1;
  if (end - *p < length) {
    *p = end;
    return -1;
  }
  for (int k = length; k >= 1; --k) {
    const uint8_t bits = **p ^ 0x80;
    if (bits >= 0x40) return -1;
    code = (code << 6) | bits;
    if (k == 2 && code >= (0x110000 >> 6)) return -1;
    ++*p;
    if (k == 3 && code < 0x10) return -1;
    if (k == 2 && (code < 0x20 || (code >= (0xD800 >> 6) && code <= (0xDFFF >> 6)))) return -1;
    if (k == 1 && code < 0x80) return -1;
  }
  return static_cast<int32_t>(code);
}

// UTF-8 as Windows reads it: ASCII eight bytes at a time and well-formed two- and
// three-byte sequences (all of Japanese text) directly, which is several times faster than
// iconv; everything else, four-byte sequences and ill-formed input, through
// WindowsUtf8Char, which replaces an ill-formed sequence by one U+FFFD over exactly the
// bytes Windows takes for it.
int32_t DecodeUtf8(const uint8_t* bytes, int32_t length, char16_t* out) {
  const uint8_t* p = bytes;
  const uint8_t* const end = bytes + length;
  char16_t* o = out;
  while (p < end) {
    const size_t ascii = WidenAscii(p, static_cast<size_t>(end - p), o);
    p += ascii;
    o += ascii;
    for (int k = 0; k < 16 && p < end; ++k) {
      const uint8_t lead = *p;
      if (lead < 0x80) {
        *o++ = lead;
        ++p;
        continue;
      }
      if ((lead & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
        const uint32_t code = ((lead & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        if (code >= 0x800 && (code < 0xD800 || code > 0xDFFF)) {
          *o++ = static_cast<char16_t>(code);
          p += 3;
          continue;
        }
      } else if (lead >= 0xC2 && lead < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
        *o++ = static_cast<char16_t>(((lead & 0x1Fu) << 6) | (p[1] & 0x3Fu));
        p += 2;
        continue;
      }
      ++p;
      const int32_t code = WindowsUtf8Char(lead, &p, end);
      if (code >= 0x10000) {
        *o++ = static_cast<char16_t>(0xD800 | ((code - 0x10000) >> 10));
        *o++ = static_cast<char16_t>(0xDC00 | ((code - 0x10000) & 0x3FF));
      } else {
        *o++ = code >= 0 ? static_cast<char16_t>(code) : kReplacement;
      }
    }
  }
  return static_cast<int32_t>(o - out);
}

// UTF-7 as Windows reads it. iconv's UTF-7 rejects much of what Windows accepts (a lone
// "+", leftover bits, bytes above 0x7F), so the rules are followed here directly: bytes
// outside base64 stand for themselves, base64 yields a unit per 16 bits, unfinished bits
// are dropped where the run ends, except that a byte above 0x7F ends the run and keeps
// them for the next run.
int32_t DecodeUtf7(const uint8_t* bytes, int32_t length, char16_t* out) {
  static constexpr auto kBase64 = [] {
    std::array<int8_t, 128> table{};
    for (auto& value : table) value = -1;
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int8_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(digits[i])] = i;
    return table;
  }();
  const uint8_t* p = bytes;
  const uint8_t* const end = bytes + length;
  char16_t* o = out;
  uint32_t bits = 0;
  int bitCount = 0;
  while (p < end) {
    if (*p != '+') {
      *o++ = *p++;
      continue;
    }
    if (++p == end) break;
    if (*p == '-') {
      *o++ = u'+';
      ++p;
      continue;
    }
    while (p < end) {
      if (*p == '-') {
        ++p;
        bitCount = 0;
        break;
      }
      if (*p >= 0x80) break;
      const int8_t sextet = kBase64[*p];
      if (sextet < 0) {
        bitCount = 0;
        break;
      }
      bits = (bits << 6) | static_cast<uint32_t>(sextet);
      bitCount += 6;
      if (bitCount >= 16) {
        *o++ = static_cast<char16_t>(bits >> (bitCount - 16));
        bitCount -= 16;
      }
      ++p;
    }
  }
  return static_cast<int32_t>(o - out);
}

}  // namespace

int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity) {
  if (length <= 0) return 0;
  if (capacity < length) {
    // The decoders write up to one unit per byte; a smaller room takes the text only when
    // it fits whole, as on Windows.
    std::vector<char16_t> whole(static_cast<size_t>(length));
    const int32_t units = DecodeCodePage(codePage, bytes, length, whole.data(), length);
    if (units < 0) return units;
    if (units > capacity) return kDecodeRoomShort;
    if (units > 0) std::memcpy(out, whole.data(), static_cast<size_t>(units) * 2);
    return units;
  }
  switch (codePage) {
    case kCodePageUtf8:
      return DecodeUtf8(bytes, length, out);
    case kCodePageUtf7:
      return DecodeUtf7(bytes, length, out);
    case kCodePageShiftJis:
    case kCodePageOem:
      return DecodeCp932(bytes, length, out);
    default:
      return kDecodeFailed;  // a code page the system would not have either
  }
}

int32_t CountDecodedUnits(uint32_t codePage, const uint8_t* bytes, int32_t length) {
  if (length <= 0) return 0;
  std::vector<char16_t> whole(static_cast<size_t>(length));
  return DecodeCodePage(codePage, bytes, length, whole.data(), length);
}

std::string EncodeCodePage(uint32_t codePage, std::u16string_view text) {
  thread_local CachedConverter toUtf8("UTF-8", "UTF-16LE");
  thread_local CachedConverter toCp932("CP932", "UTF-16LE");
  CachedConverter& cached = codePage == kCodePageUtf8 ? toUtf8 : toCp932;
  if (!cached.Valid()) return {};
  iconv_t converter = cached.Reset();
  std::string result(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  size_t inLeft = text.size() * 2;
  char* out = result.data();
  size_t outLeft = result.size();
  while (inLeft > 0) {
    if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || outLeft == 0) break;
    // A character without a form in the code page becomes "?", as Windows does.
    *out++ = '?';
    --outLeft;
    in += 2;
    inLeft = inLeft >= 2 ? inLeft - 2 : 0;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  result.resize(static_cast<size_t>(out - result.data()));
  return result;
}

}  // namespace vemora
