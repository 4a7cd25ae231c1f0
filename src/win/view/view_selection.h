// Mouse selection in the view: hit testing, the inverted cells of the selection and of
// the mouse cell, dragging with auto-scroll, word and line selection, select all.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win/shell/window_messages.h"

namespace vemora {

// The text position under a client point of the view.
int64_t HitTest(int32_t x, int32_t y);
// Inverts on screen the cells between two positions, in either order.
void InvertRange(int64_t p, int64_t q);
// Moves the selection's end to the point, scrolling a line when it lies above or below.
void ExtendSelection(int32_t x, int32_t y);

void UpdateMouseCell(int32_t x, int32_t y);
// Takes the mouse cell's inversion off the screen; every painting or scrolling handler
// calls this first.
void RemoveMouseCell();
// Forgets the mouse cell and the triple-click state of an earlier view window.
void ResetSelectionState();

// Inverts the current selection again, taking it off the screen; the state stays.
void EraseSelection();

void OnSelectionPress(WPARAM keys, LPARAM point);
void OnSelectionMove(LPARAM point);
void OnSelectionRelease();
// WM_CAPTURECHANGED: `gaining` takes the mouse from the view.
void OnSelectionCaptureChanged(HWND gaining);
// Ends a drag without a release, for a new document shown in the middle of one.
void EndSelectionDrag();
void OnWordDoubleClick(LPARAM point);
void OnSelectLine(LPARAM point);
void OnSelectionTimer(UINT_PTR timer);
void SelectAll();

}  // namespace vemora
