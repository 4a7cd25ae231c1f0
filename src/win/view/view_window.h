// The text view window: paint, scroll bars, mouse selection, view commands, the context
// menu, jumps and dropped files.
#pragma once

#include <windows.h>

#include "win/shell/window_messages.h"

namespace vemora {

inline constexpr wchar_t kViewWindowClass[] = L"VemoraViewClass";

bool RegisterViewClass(HINSTANCE instance);

// The simple system beep of a search without a hit or an impossible jump, when Bell is on.
void ViewBeep();

}  // namespace vemora
