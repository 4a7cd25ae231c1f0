// Code-page conversions on Windows: MultiByteToWideChar and WideCharToMultiByte.
#include "core/platform/code_pages.h"

#include <windows.h>

namespace vemora {

int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity) {
  if (length <= 0 || capacity <= 0) return 0;
  // No counting call: its cost is several times the conversion's, and one unit per byte
  // is always room enough.
  return MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), length,
                             reinterpret_cast<wchar_t*>(out), capacity);
}

std::u16string DecodeCodePage(uint32_t codePage, std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  const int32_t units =
      DecodeCodePage(codePage, reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<int32_t>(bytes.size()), text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<size_t>(units));
  return text;
}

std::string EncodeCodePage(uint32_t codePage, std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(codePage, 0, wide, length, result.data(), size, nullptr, nullptr);
  return result;
}

}  // namespace vemora
