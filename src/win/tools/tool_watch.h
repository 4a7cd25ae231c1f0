// Watching started tools: while a tool whose end should reload the file runs, timer 1 of
// the main window polls its process every 500 ms and, when it has ended, posts the reload
// message back to the window.
#pragma once

#include <windows.h>

#include <cstddef>

#include "win/shell/window_messages.h"

namespace vemora {

inline constexpr UINT kToolWatchPeriod = 500;

// Appends a watch of `process` (which the list then owns; may be null when the system
// reported none, which counts as ended) that posts `message` with wParam and lParam to
// `window` when the process has ended. Starts the timer with the first watch.
void AddToolWatch(HANDLE process, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One poll: the first watched process that has ended, and only that one, gets its message
// posted and its watch released; the timer runs on while watches remain.
void ToolWatchTick();

// Stops the timer and releases every watch; every load of a text does this.
void CancelToolWatches();

size_t ToolWatchCount();

}  // namespace vemora
