// The system's common file dialogs as the program asks for names: the document open
// dialog with its encoding panel, a plain open dialog and a save dialog. Each works on a
// copy of the caller's path and writes it back only when the user confirmed a name.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace vemora {

// "開く" for any file, with the encoding panel. The encoding chosen in the panel (a
// TextEncoding request, -1 to detect) is left in the shell's open-dialog encoding, which
// is -1 again each time the dialog opens.
bool ShowDocumentOpenDialog(HWND owner, std::u16string& path);

// `filter` is pairs of description and pattern, each ended by a terminator, the list
// ended by an empty string. `path` holds the initial name and receives the chosen one.
bool ShowOpenDialog(HWND owner, std::u16string& path, const wchar_t* title,
                    const wchar_t* filter);

// The dialog itself asks before an existing file is overwritten.
bool ShowSaveDialog(HWND owner, std::u16string& path, const wchar_t* title,
                    const wchar_t* filter, const wchar_t* defaultExtension);

// A save dialog for any file with a panel of the caller's below its controls: the
// template and the hook that fills the panel and reads its choices.
bool ShowSaveDialogWithPanel(HWND owner, std::u16string& path, const wchar_t* title,
                             WORD panelTemplate, LPOFNHOOKPROC hook);

}  // namespace vemora
