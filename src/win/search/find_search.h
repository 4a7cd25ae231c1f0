// The find's search runs on a worker thread (a background search over a copy of the
// text), so that the window stays responsive and Esc can stop it; its hits replace the
// document's when it ends, back on the window's thread. Until then the previous hits stay.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/search/search.h"

namespace vemora {

// Posted to the main window by the worker when it has ended; wParam tells which search.
inline constexpr UINT WM_SEARCH_FINISHED = WM_USER + 5;

// Starts searching the current document (cancelling a search still running). A search
// that ends within a moment is applied at once when `waitForShortSearch`, so a short
// search shows no wait.
void StartFindSearch(std::u16string pattern, int32_t Caps, int32_t Regx, bool backward,
                     bool waitForShortSearch = true);
bool FindSearchRunning();
// Stops the running search; the document keeps the hits it had.
void CancelFindSearch();
// Every load: a search of the same file starts again over the new text; any other ends.
void OnDocumentReplacedForSearch();
// WM_SEARCH_FINISHED.
void OnFindSearchFinished(HWND mainWindow, WPARAM serial);
// In the message loop before the accelerators: Esc stops a running search (and does
// nothing else). True when the message was used.
bool CancelFindSearchOnEscape(const MSG& message);
// The main window's WM_SETCURSOR: the wait cursor while a search runs.
bool SetFindSearchCursor(LPARAM lParam);
// Closing: stop the worker and give it a moment to end.
void StopFindSearchForExit();

}  // namespace vemora
