// The code-page services that are the same on every system, built on DecodeCodePage and
// CountDecodedUnits.
#include "core/platform/code_pages.h"

#include <algorithm>

namespace vemora {

std::u16string DecodeCodePage(uint32_t codePage, std::string_view bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  std::u16string text(bytes.size(), u'\0');
  int32_t units = DecodeCodePage(codePage, data, length, text.data(), length);
  if (units == kDecodeRoomShort) {
    const int32_t counted = CountDecodedUnits(codePage, data, length);
    text.assign(static_cast<size_t>(std::max(counted, 0)), u'\0');
    units = counted >= 0 ? DecodeCodePage(codePage, data, length, text.data(), counted) : counted;
  }
  text.resize(static_cast<size_t>(units > 0 ? units : 0));
  return text;
}

}  // namespace vemora
