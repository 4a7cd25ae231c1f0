// Byte and UTF-16 unit searches over large buffers, sixteen bytes at a time. The C library's memchr
// is a plain byte loop in some runtimes (the msvcrt that Wine supplies among them), which made
// detection and decoding of a large file several times slower there than natively.
#pragma once

#include <cstdint>

namespace vemora {

// The first byte equal to `value` in [from, end), or `end`.
const uint8_t* FindByte(const uint8_t* from, const uint8_t* end, uint8_t value);

// The first byte equal to `first` or to `second` in [from, end), or `end`.
const uint8_t* FindEitherByte(const uint8_t* from, const uint8_t* end, uint8_t first,
                              uint8_t second);

// The first byte above 0x7F in [from, end), or `end`.
const uint8_t* FindNonAsciiByte(const uint8_t* from, const uint8_t* end);

// The first unit equal to `value` in [from, end), or `end`.
const char16_t* FindUnit(const char16_t* from, const char16_t* end, char16_t value);

}  // namespace vemora
