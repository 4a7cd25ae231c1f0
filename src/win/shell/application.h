// The program's entry: start-up, the message loop and the orderly end.
#pragma once

#include <windows.h>

namespace vemora {

inline constexpr wchar_t kMainWindowClass[] = L"VemoraClass";

// Runs the viewer and returns the process exit code.
int RunApplication(HINSTANCE instance, int showCommand);

}  // namespace vemora
