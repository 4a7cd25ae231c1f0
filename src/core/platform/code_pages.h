// Code-page conversions that the core asks of the system: MultiByteToWideChar and
// WideCharToMultiByte on Windows, iconv natively. Both replace invalid input the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemora {

// Code-page identifiers as Windows numbers them. Text is always decoded with 932 itself,
// so that a Japanese file reads the same on every system; the OEM code page is only for
// what the system and libraries hand over in it (library messages, the INI file's bytes).
// The native build treats the OEM code page as 932.
inline constexpr uint32_t kCodePageOem = 1;
inline constexpr uint32_t kCodePageShiftJis = 932;
inline constexpr uint32_t kCodePageUtf7 = 65000;
inline constexpr uint32_t kCodePageUtf8 = 65001;

// What DecodeCodePage answers when the room it was given cannot hold the whole text.
inline constexpr int32_t kDecodeRoomShort = -1;
// What DecodeCodePage and CountDecodedUnits answer when the system could not convert at
// all (a code page it does not have, say).
inline constexpr int32_t kDecodeFailed = -2;

// Decodes `length` bytes into UTF-16 at `out`, which has room for `capacity` units, the
// way MultiByteToWideChar does with flags 0 (invalid input is replaced, never an error).
// Returns the number of units written, or kDecodeRoomShort when the room is too small,
// in which case what `out` holds is unspecified, or kDecodeFailed. One unit per input byte is room
// enough for these code pages, but callers that size by that must still handle the short case.
int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity);

// The number of units the whole input decodes to: the conversion's counting pass, which
// is slower than the conversion itself, so it is asked only when a guess fell short.
// kDecodeFailed when the system could not convert.
int32_t CountDecodedUnits(uint32_t codePage, const uint8_t* bytes, int32_t length);

std::u16string DecodeCodePage(uint32_t codePage, std::string_view bytes);

// Encodes UTF-16 into the code page; characters without a form there get the system's
// default replacement.
std::string EncodeCodePage(uint32_t codePage, std::u16string_view text);

}  // namespace vemora
