// One walk over the range serves both counting and writing, so the two never disagree
// about where a prefix goes or how a line end is spelled.
#include "core/text/clipboard_text.h"

namespace vemora {
namespace {

// Calls emit(units, count) for each piece of the converted text, in order.
template <typename Emit>
void WalkClipboardText(std::u16string_view range, std::u16string_view prefix, Emit&& emit) {
  static constexpr char16_t kCrLf[2] = {u'\r', u'\n'};
  bool atLineStart = true;
  for (size_t i = 0; i < range.size(); ++i) {
    if (atLineStart && !prefix.empty()) emit(prefix.data(), prefix.size());
    const char16_t unit = range[i];
    if (unit == u'\r' || unit == u'\n') {
      emit(kCrLf, 2);
      if (unit == u'\r' && i + 1 < range.size() && range[i + 1] == u'\n') ++i;
      atLineStart = true;
    } else {
      emit(&range[i], 1);
      atLineStart = false;
    }
  }
}

}  // namespace

size_t ClipboardTextLength(std::u16string_view range, std::u16string_view prefix) {
  size_t length = 0;
  WalkClipboardText(range, prefix, [&](const char16_t*, size_t count) { length += count; });
  return length;
}

void WriteClipboardText(char16_t* destination, std::u16string_view range,
                        std::u16string_view prefix) {
  WalkClipboardText(range, prefix, [&](const char16_t* units, size_t count) {
    for (size_t i = 0; i < count; ++i) *destination++ = units[i];
  });
}

std::u16string ClipboardText(std::u16string_view range, std::u16string_view prefix) {
  std::u16string text(ClipboardTextLength(range, prefix), u'\0');
  WriteClipboardText(text.data(), range, prefix);
  return text;
}

}  // namespace vemora
