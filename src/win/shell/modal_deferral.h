// Posted messages that must never run in the middle of another command (a tool's reload, a
// finished search) wait while a modal dialog or message box holds the main window, and are
// posted again when it ends.
#pragma once

#include <windows.h>

namespace vemora {

// True when `window` is disabled by a modal loop: the message is kept (once, however often
// it comes) to be posted again later, and the caller does nothing now.
bool DeferWhileModal(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window's WM_ENABLE: once enabled again, every kept message is posted anew, so it
// runs after the command that opened the dialog has returned to the message loop.
void OnMainWindowEnabled(HWND window, bool enabled);

size_t DeferredMessageCount();

}  // namespace vemora
