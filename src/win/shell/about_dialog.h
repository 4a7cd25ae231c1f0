// The about box: the program's name and version, and OK.
#pragma once

#include <windows.h>

namespace vemora {

inline constexpr wchar_t kAboutTitle[] = L"Vemoraについて";

// Modal; returns when the user closes it.
void ShowAboutDialog(HWND owner);

}  // namespace vemora
