// The find's and the filter's searches run on worker threads (background searches over a
// share of the text), so that the window stays responsive and Esc can stop them; a find's
// hits replace the document's, and a filter's kept lines become the view, when it ends,
// back on the window's thread. Until then the previous hits, or the view, stay.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/search/kept_lines.h"
#include "core/search/search.h"
#include "win/shell/window_messages.h"

namespace vemora {

// Starts searching the current document (cancelling a find still running). A search that
// ends within a moment is applied at once when `waitForShortSearch`, so a short search
// shows no wait.
void StartFindSearch(std::u16string pattern, int32_t Caps, int32_t Regx, bool backward,
                     bool waitForShortSearch = true);
bool FindSearchRunning();
// Stops the running find; the document keeps the hits it had.
void CancelFindSearch();

// Starts filtering the whole document behind what is shown (cancelling a filter still
// running); its view shows file line `fileTop` or the first kept one after it at the top,
// or for -1 the one at the top when it ends. A find may run beside it: each applies its
// result only to the text it searched, as a search starts again whenever that is replaced.
void StartFilterSearch(const FilterRequest& request, int32_t fileTop,
                       bool waitForShortSearch = true);
bool FilterSearchRunning();
// Stops the running filter; what is shown stays, but for a view still growing from it,
// which gives way to what was shown before it.
void CancelFilterSearch();

// Every load: a search of the same file starts again over the new text; any other ends.
void OnDocumentReplacedForSearch();
// Every swap of the filtered view: the same for a find, which reads the text shown (a
// filter reads the whole document, which stays).
void OnShownTextSwappedForFind();
// WM_SEARCH_FINISHED.
void OnSearchFinished(HWND mainWindow, WPARAM serial);
// WM_SEARCH_PROGRESS.
void OnSearchProgress(HWND mainWindow, WPARAM serial);
// In the message loop before the accelerators: Esc stops the running searches (and does
// nothing else). True when the message was used.
bool CancelSearchOnEscape(const MSG& message);
// The main window's WM_SETCURSOR: the wait cursor while a search runs.
bool SetSearchCursor(LPARAM lParam);
// Closing: stop the workers and give them a moment to end.
void StopSearchesForExit();
// A search started while a load runs waits for its end (with the wait cursor, and Esc
// drops it as it stops a search); the end of the load starts it.
void StartSearchesAfterLoad();
// Asks the window under the mouse for its cursor again, after the wait changed.
void RefreshCursor();

}  // namespace vemora
