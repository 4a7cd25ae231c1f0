// The text view window: paint, scroll bars, view commands, jumps and dropped files.
#pragma once

#include <windows.h>

namespace vemora {

inline constexpr wchar_t kViewWindowClass[] = L"VemoraViewClass";
inline constexpr UINT WM_VIEW_SELECTLINE = WM_USER + 2;
inline constexpr UINT WM_VIEW_JUMP = WM_USER + 4;

bool RegisterViewClass(HINSTANCE instance);

}  // namespace vemora
