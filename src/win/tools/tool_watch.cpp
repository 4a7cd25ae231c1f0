// The list of watched tools and the timer that polls them. Records are kept in the order
// the tools were started, so that of several ended tools the earliest is handled first.
#include "win/tools/tool_watch.h"

#include <list>

namespace vemora {
namespace {

struct ToolWatch {
  HANDLE process;
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::list<ToolWatch> gWatches;
HWND gTimerWindow = nullptr;

void CALLBACK OnWatchTimer(HWND, UINT, UINT_PTR, DWORD) {
  ToolWatchTick();
}

void StartTimer() {
  if (gTimerWindow) SetTimer(gTimerWindow, kToolWatchTimer, kToolWatchPeriod, OnWatchTimer);
}

void StopTimer() {
  if (gTimerWindow) KillTimer(gTimerWindow, kToolWatchTimer);
}

bool HasEnded(HANDLE process) {
  DWORD code = 0;
  if (!process || !GetExitCodeProcess(process, &code)) return true;
  return code != STILL_ACTIVE;
}

void Release(std::list<ToolWatch>::iterator watch) {
  if (watch->process) CloseHandle(watch->process);
  gWatches.erase(watch);
}

}  // namespace

void AddToolWatch(HANDLE process, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool first = gWatches.empty();
  gWatches.push_back({process, window, message, wParam, lParam});
  if (!first) return;
  gTimerWindow = window;
  StartTimer();
}

void ToolWatchTick() {
  StopTimer();
  for (auto watch = gWatches.begin(); watch != gWatches.end(); ++watch) {
    if (!HasEnded(watch->process)) continue;
    PostMessageW(watch->window, watch->message, watch->wParam, watch->lParam);
    Release(watch);
    break;
  }
  if (!gWatches.empty()) StartTimer();
}

void CancelToolWatches() {
  StopTimer();
  while (!gWatches.empty()) Release(gWatches.begin());
}

size_t ToolWatchCount() {
  return gWatches.size();
}

}  // namespace vemora
