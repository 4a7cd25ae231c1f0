// The main window: its class, its window procedure and the dispatch of every command.
#pragma once

#include <windows.h>

#include "win/shell/window_messages.h"

namespace vemora {

inline constexpr wchar_t kMainWindowClass[] = L"VemoraClass";

bool RegisterMainClass(HINSTANCE instance);
// Carries out a WM_COMMAND of the main window.
void DispatchMainCommand(WPARAM wParam, LPARAM lParam);
// Switches the input method for the program on (while a dialog takes typed text) or off.
void EnableInputMethod(bool enable);

}  // namespace vemora
