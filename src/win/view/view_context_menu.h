// The view's context menu: the three copy commands and opening the file with the tool.
#pragma once

#include <windows.h>

namespace vemora {

// A new popup menu with the items enabled for the shown document; the caller destroys it.
HMENU BuildViewContextMenu();
// Shows the menu at the pointer; the chosen command goes to the main window.
void ShowViewContextMenu();

}  // namespace vemora
