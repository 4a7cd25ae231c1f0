// Code-page conversions on Windows: MultiByteToWideChar and WideCharToMultiByte.
#include "core/platform/code_pages.h"

#include <windows.h>

namespace vemora {

int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity) {
  if (length <= 0) return 0;
  // A room of 0 would turn the call into the counting pass.
  if (capacity <= 0) return CountDecodedUnits(codePage, bytes, length) == 0 ? 0 : kDecodeRoomShort;
  // No counting call first: its cost is several times the conversion's, and one unit per
  // byte is room enough for the code pages decoded here. Should the system still find it
  // short, the caller counts and converts again rather than taking an empty text.
  const int units = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), length,
                                        reinterpret_cast<wchar_t*>(out), capacity);
  if (units == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) return kDecodeRoomShort;
  return units;
}

int32_t CountDecodedUnits(uint32_t codePage, const uint8_t* bytes, int32_t length) {
  if (length <= 0) return 0;
  return MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), length, nullptr, 0);
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
