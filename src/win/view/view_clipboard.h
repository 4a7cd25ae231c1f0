// The copy commands of the view: plain, quoted and appended copies of the selection.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace vemora {

// Puts the text between the two positions (in either order) on the clipboard as Unicode
// text with CR LF line ends and `prefix` before every logical line. False when the
// clipboard could not be opened, emptied or given the text.
bool CopySelection(HWND window, int64_t p, int64_t q, std::u16string_view prefix);
// Adds the text between the two positions to the end of the clipboard's text; a
// clipboard without text is left as it is.
bool AppendToClipboard(HWND window, int64_t p, int64_t q);

// CmdCopy, CmdQuotedCopy or CmdAppendCopy: the copy, then the selection is cleared.
void OnCopyCommand(UINT command);

}  // namespace vemora
