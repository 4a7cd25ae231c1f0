// The modal dialog that lists the selected characters with their codes and bytes.
#pragma once

#include <windows.h>

namespace vemora {

// Shows the dialog over `owner` for the current document's selection; nothing without one.
void ShowCharacterInfoDialog(HWND owner);

}  // namespace vemora
