// The program's private window messages and timer ids, in one place so that no two parts
// take the same number and a part that only posts or sets one needs nothing else.
#pragma once

#include <windows.h>

namespace vemora {

// Messages of the view window.
inline constexpr UINT WM_VIEW_SELECTLINE = WM_USER + 2;
inline constexpr UINT WM_VIEW_JUMP = WM_USER + 4;

// Messages of the main window.
// Posted by the tool watcher when a tool ends: read the current file again.
inline constexpr UINT WM_RELOAD_DOCUMENT = WM_USER + 3;
// Posted by a search's worker when it has ended; wParam tells which search.
inline constexpr UINT WM_SEARCH_FINISHED = WM_USER + 5;
// Posted by the load's workers when steps are ready.
inline constexpr UINT WM_LOAD_STEP = WM_USER + 6;
// Posted by a filter's worker when it has put more lines of a large view in place.
inline constexpr UINT WM_SEARCH_PROGRESS = WM_USER + 7;

// Timers of the main window.
inline constexpr UINT_PTR kToolWatchTimer = 1;
inline constexpr UINT_PTR kFollowTimer = 2;
inline constexpr UINT_PTR kLoadStepTimer = 3;
inline constexpr UINT_PTR kFilterNewsTimer = 6;

// Timers of the view window.
inline constexpr UINT_PTR kAutoScrollTimer = 1;
inline constexpr UINT_PTR kTripleClickTimer = 2;

}  // namespace vemora
