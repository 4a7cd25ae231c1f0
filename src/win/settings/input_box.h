// The one-line input box (templates 145 for names, 163 for patterns): a caption, one edit
// pre-filled and limited in length, OK and cancel.
#pragma once

#include <windows.h>

#include <string>

namespace vemora {

// True after OK, with the typed text in `text`; `text` is untouched after cancel.
bool ShowInputBox(HWND owner, int templateId, const wchar_t* caption, std::u16string& text,
                  int limit);

}  // namespace vemora
