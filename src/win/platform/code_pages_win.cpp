// Code-page conversions on Windows: MultiByteToWideChar and WideCharToMultiByte.
#include "core/platform/code_pages.h"

#include <windows.h>

namespace vemora {

int32_t DecodeCodePage(uint32_t codePage, const uint8_t* bytes, int32_t length, char16_t* out,
                       int32_t capacity) {
  if (length <= 0) return 0;
  // A room of 0 would turn the call into the counting pass.
  if (capacity <= 0) {
    const int32_t units = CountDecodedUnits(codePage, bytes, length);
    return units <= 0 ? units : kDecodeRoomShort;
  }
  // No counting call first: its cost is several times the conversion's, and one unit per
  // byte is room enough for the code pages decoded here. Should the system still find it
  // short, the caller counts and converts again rather than taking an empty text.
  SetLastError(ERROR_SUCCESS);
  const int units = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), length,
                                        reinterpret_cast<wchar_t*>(out), capacity);
  if (units > 0) return units;
  // No units at all is also what some input decodes to (UTF-7's lone "+").
  switch (GetLastError()) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_INSUFFICIENT_BUFFER:
      return kDecodeRoomShort;
    default:
      return kDecodeFailed;
  }
}

int32_t CountDecodedUnits(uint32_t codePage, const uint8_t* bytes, int32_t length) {
  if (length <= 0) return 0;
  SetLastError(ERROR_SUCCESS);
  const int units =
      MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), length, nullptr, 0);
  return units > 0 || GetLastError() == ERROR_SUCCESS ? units : kDecodeFailed;
}

std::string EncodeCodePage(uint32_t codePage, std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, 0, wide, length, result.data(), size, nullptr, nullptr);
  return result;
}

}  // namespace vemora
