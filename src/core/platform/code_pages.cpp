// The code-page services that are the same on every system, built on DecodeCodePage and
// CountDecodedUnits.
#include "core/platform/code_pages.h"

namespace vemora {

std::u16string DecodeCodePage(uint32_t codePage, std::string_view bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  std::u16string text(bytes.size(), u'\0');
  int32_t units = DecodeCodePage(codePage, data, length, text.data(), length);
  if (units == kDecodeRoomShort) {
    text.assign(static_cast<size_t>(CountDecodedUnits(codePage, data, length)), u'\0');
    units = DecodeCodePage(codePage, data, length, text.data(), static_cast<int32_t>(text.size()));
  }
  text.resize(static_cast<size_t>(units > 0 ? units : 0));
  return text;
}

}  // namespace vemora
