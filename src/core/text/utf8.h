// UTF-8 and UTF-16 conversions that need no code page: paths on POSIX systems, the
// text that vemorainfo writes. Ill-formed input becomes U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemora {

std::string Utf16ToUtf8(std::u16string_view text);

// Encodes [p, end) as UTF-8 into `out`, which has room for 3 bytes per unit (a surrogate
// pair, two units, takes 4). Returns the end of the output. For long texts written in
// pieces without a string per piece.
char* EncodeUtf8(const char16_t* p, const char16_t* end, char* out);
// The same, for a file in UTF-8: a surrogate without its partner has no form there and is
// written as "?"; `loneCount` tells how many there were and `firstLone` the first (or null).
char* EncodeUtf8Checked(const char16_t* p, const char16_t* end, char* out, int64_t& loneCount,
                        const char16_t*& firstLone);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace vemora
