// The boundary between the core's char16_t text and Win32's wchar_t text: both are
// UTF-16 on Windows, so conversion is a reinterpretation.
#pragma once

#include <string>
#include <string_view>

namespace vemora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* AsUtf16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }

inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(AsWide(text.data()), text.size());
}
inline std::u16string ToUtf16(std::wstring_view text) {
  return std::u16string(AsUtf16(text.data()), text.size());
}

}  // namespace vemora
