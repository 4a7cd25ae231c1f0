// The system's common file dialogs as the program asks for names: a plain open dialog
// and a save dialog. Each works on a copy of the caller's path and writes it back only
// when the user confirmed a name.
#pragma once

#include <windows.h>

#include <string>

namespace vemora {

// `filter` is pairs of description and pattern, each ended by a terminator, the list
// ended by an empty string. `path` holds the initial name and receives the chosen one.
bool ShowOpenDialog(HWND owner, std::u16string& path, const wchar_t* title,
                    const wchar_t* filter);

// The dialog itself asks before an existing file is overwritten.
bool ShowSaveDialog(HWND owner, std::u16string& path, const wchar_t* title,
                    const wchar_t* filter, const wchar_t* defaultExtension);

}  // namespace vemora
