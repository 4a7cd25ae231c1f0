// The text the copy commands put on the clipboard: every line end becomes CR LF, and an
// optional prefix (the quotation mark) stands in front of every logical line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vemora {

// Units the converted text needs, without a terminator.
size_t ClipboardTextLength(std::u16string_view range, std::u16string_view prefix);

// Writes the converted text (ClipboardTextLength units, no terminator) to `destination`.
void WriteClipboardText(char16_t* destination, std::u16string_view range,
                        std::u16string_view prefix);

// The converted text as a string.
std::u16string ClipboardText(std::u16string_view range, std::u16string_view prefix);

}  // namespace vemora
