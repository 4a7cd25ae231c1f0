// The status bar's five parts and the main window's title.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace vemora {

inline constexpr int kStatusEncodingPart = 0;
inline constexpr int kStatusLineEndPart = 1;
inline constexpr int kStatusTopLinePart = 2;
inline constexpr int kStatusMouseLinePart = 3;
inline constexpr int kStatusFilePart = 4;
// Only while a load runs: "読込中 NN%".
inline constexpr int kStatusLoadPart = 5;
inline constexpr int kStatusBarId = 1500;

// Creates the status bar with its five parts.
HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance);
// Height of the status bar, 0 without one.
int32_t StatusBarHeight();
// The part edges, at the current dpi: the parts are 110, 50, 110 and 110 pixels wide at
// 96 dpi, or wider where the longest text a part can show needs it, the fifth reaching the
// edge (or the load's part while a load runs).
void SetStatusBarParts();

void SetStatusPart(int part, std::u16string_view text);
// The load's progress in a part of its own at the right end; a negative percent removes it.
void ShowLoadProgress(int32_t percent);
// Part 2 gets "先頭:%d行目", any other part "マウス:%d行目", for a display line under the
// numbering rule; emptied when no document is shown.
void SetStatusLineText(int part, int32_t displayLine);
// The line under the mouse pointer, while the pointer is inside the view.
void ShowMouseLine();

// "%s - Vemora" with the full name when `active`, else the short one; "Vemora" without
// a document.
void SetMainWindowTitle(bool active);

}  // namespace vemora
