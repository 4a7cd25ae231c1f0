// Reading the numbers users type into the settings dialogs.
#include "core/settings/dialog_fields.h"

#include <cstdint>

namespace vemora {

int32_t ReadClampedNumber(std::u16string_view text, int32_t minimum, int32_t maximum) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  // Wide enough that no run of digits can overflow before it is clamped.
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value < minimum) return minimum;
  if (value > maximum) return maximum;
  return static_cast<int32_t>(value);
}

std::u16string DecimalText(int32_t value) {
  const bool negative = value < 0;
  int64_t magnitude = negative ? -int64_t{value} : int64_t{value};
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude > 0);
  if (negative) digits.insert(digits.begin(), u'-');
  return digits;
}

}  // namespace vemora
