// Status-bar and title texts.
#include "core/shell/status_text.h"

#include <cstdio>

namespace vemora {
namespace {

std::u16string Ascii(const char* text) {
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string LineText(std::u16string_view label, int32_t shownNumber) {
  if (shownNumber <= 0) return kNoLineText;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(shownNumber));
  std::u16string text(label);
  text += Ascii(digits);
  text += u"行目";
  return text;
}

}  // namespace

std::u16string TopLineStatusText(int32_t shownNumber) {
  return LineText(u"先頭:", shownNumber);
}

std::u16string MouseLineStatusText(int32_t shownNumber) {
  return LineText(u"マウス:", shownNumber);
}

std::u16string FileStampText(const FileStamp& stamp) {
  char text[80];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %2d:%02d   %llu Bytes",
                static_cast<int>(stamp.year), static_cast<int>(stamp.month),
                static_cast<int>(stamp.day), static_cast<int>(stamp.hour),
                static_cast<int>(stamp.minute), static_cast<unsigned long long>(stamp.size));
  return Ascii(text);
}

std::u16string_view ShortDocumentName(std::u16string_view name) {
  size_t slash = name.rfind(u'\\');
  return slash == std::u16string_view::npos ? name : name.substr(slash + 1);
}

std::u16string DocumentTitle(std::u16string_view name, bool active) {
  std::u16string title(active ? name : ShortDocumentName(name));
  title += u" - Vemora";
  return title;
}

}  // namespace vemora
