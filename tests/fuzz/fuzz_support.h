// What the fuzzing targets share: a failed check that stops the run with its reason, and
// the way a target turns input bytes into UTF-16 text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A broken property is a crash to libFuzzer, which then saves the input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace vemora::fuzz {

// Readable bytes stay readable, so seeds and dictionaries can be written as plain text:
// every byte is the unit of the same value, except that 0xFF takes the next two bytes as
// one unit, little endian (surrogates, NUL, anything).
inline std::u16string UnitsFromBytes(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(bytes[i]);
    if (byte == 0xFF && i + 2 < bytes.size()) {
      units.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i + 1]) |
                                            (static_cast<uint8_t>(bytes[i + 2]) << 8)));
      i += 2;
    } else {
      units.push_back(byte);
    }
  }
  return units;
}

inline bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The index of the first surrogate that is not part of a pair, or npos.
inline size_t FindUnpairedSurrogate(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i])) {
      if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        ++i;
        continue;
      }
      return i;
    }
    if (IsLowSurrogate(text[i])) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace vemora::fuzz
