// Code-page conversions that the core asks of the system: MultiByteToWideChar and
// WideCharToMultiByte on Windows, iconv natively. Both replace invalid input the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemora {

// Code-page identifiers as Windows numbers them. The OEM code page is 932 on the
// Japanese systems the viewer is made for; the native build treats it as 932.
inline constexpr uint32_t kCodePageOem = 1;
inline constexpr uint32_t kCodePageShiftJis = 932;
inline constexpr uint32_t kCodePageUtf7 = 65000;
inline constexpr uint32_t kCodePageUtf8 = 65001;

// Decodes `length` bytes into UTF-16 at `out`, which has room for `capacity` units, the
// way MultiByteToWideChar does with flags 0 (invalid input is replaced, never an error).
// One unit per input byte is always enough room for these code pages. Returns the
// number of units written.
int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity);

std::u16string DecodeCodePage(uint32_t codePage, std::string_view bytes);

// Encodes UTF-16 into the code page; characters without a form there get the system's
// default replacement.
std::string EncodeCodePage(uint32_t codePage, std::u16string_view text);

}  // namespace vemora
