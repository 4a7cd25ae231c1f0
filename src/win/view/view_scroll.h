// Moving the view over the document: the top line and left column, pixel moves of the
// view and the gutter, smooth and stepwise animation, and the scroll bars.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/shell/scroll_rules.h"

namespace vemora {

ScrollPosition CurrentScrollPosition();

// Makes a display line the top line; `force` repaints everything.
void ScrollToLine(int32_t newTop, bool force);
void ScrollToColumn(int32_t newLeft);
// Brings the left column back within the largest left column after the view grew or the
// file type changed, so that no text stays scrolled out of reach.
void ClampLeftColumn();
// Moves the view's pixels down by lines × LinePitch (negative: up) and paints the band.
void ScrollViewLines(int32_t lines, bool smooth);
// Moves the view's pixels right by columns × AverageCharWidth (negative: left).
void ScrollViewColumns(int32_t columns);
void UpdateScrollBars();

void HandleVerticalScrollBar(WPARAM wParam);
void HandleHorizontalScrollBar(WPARAM wParam);

// Carries out a scrolling command with its guard; false when `command` is not one.
bool ExecuteScrollCommand(uint16_t command, LPARAM count);

}  // namespace vemora
