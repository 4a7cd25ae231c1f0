// UTF-8 and UTF-16 conversions that need no code page: paths on POSIX systems, the
// text that vemorainfo writes. Ill-formed input becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace vemora {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace vemora
