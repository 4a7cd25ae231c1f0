// The line-number gutter left of the view: it only paints, and moves with the view.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vemora {

inline constexpr wchar_t kGutterWindowClass[] = L"VemoraNumClass";

bool RegisterGutterClass(HINSTANCE instance);
// Draws the numbers of rows 0 to rows - 1; with no device context it takes one.
void PaintGutter(HDC dc, int32_t rows);
// Moves the gutter's pixels down by lines × LinePitch and paints the uncovered band.
void ScrollGutter(int32_t lines);
// The width the widest digit of the view font and the document's line count call for.
int32_t RequiredGutterWidth();
// Sets GutterWidth to RequiredGutterWidth().
void ComputeGutterWidth();

}  // namespace vemora
