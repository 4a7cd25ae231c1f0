// The toolbar with its fourteen items and the file-type selector inside it.
#pragma once

#include <windows.h>

namespace vemora {

inline constexpr int kToolbarHeight = 28;

// Creates the toolbar, the selector and its font into gShell.
void CreateToolbar(HWND mainWindow, HINSTANCE instance);
// Fills the selector with the file-type names and selects the current index.
void FillFileTypeSelector();
void SelectFileTypeInSelector(int index);
int SelectedFileType();
// The tooltip of a toolbar button's command; null for none.
const wchar_t* ToolbarTip(UINT command);

}  // namespace vemora
